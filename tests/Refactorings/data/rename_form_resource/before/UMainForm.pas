unit UMainForm;

interface

uses
  Classes, UParts;

type
  TMainForm = class(TComponent)
  private
    FTitle: string;
    FCount: Integer;
  published
    Part1: TPart;
    procedure Part1Press(Sender: TObject);
    property Title: string read FTitle write FTitle;
    property Count: Integer read FCount write FCount;
  end;

implementation

{$R FForm.dfm}

procedure TMainForm.Part1Press(Sender: TObject);
begin
  WriteLn('Pressed ', TPart(Sender).Name);
end;

end.
