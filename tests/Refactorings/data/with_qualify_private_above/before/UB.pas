unit UB;

interface

uses
  UA;

type
  TB = class(TA)
  private
    X: string;
  public
    procedure Mark;
    function Marked: string;
  end;

implementation

procedure TB.Mark;
begin
  X := 'marked';
end;

function TB.Marked: string;
begin
  Result := X;
end;

end.
