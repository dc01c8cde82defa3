unit MainForm;

interface

uses
  Tools;

type
  TMainForm = class(TToolBase, ITool)
  strict private
    FCount: Integer;
  protected
    Public: Integer;
    function Run: Boolean;
  end;

var
  MainFormInstance: TMainForm;

implementation

{$R *.DFM}

function TMainForm.Run: Boolean;

  function Inner(A: Integer): Integer;
  begin
    Result := A;
  end;

begin
  Result := Inner(FCount) > 0;
end;

end.
