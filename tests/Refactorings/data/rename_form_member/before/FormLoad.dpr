program FormLoad;

{$APPTYPE CONSOLE}

uses
  Classes,
  SysUtils,
  UBtn in 'UBtn.pas',
  UBig in 'UBig.pas',
  UComp2 in 'UComp2.pas';

// Streams the text form into Root as the form designer's files are read
// at run time.
procedure LoadForm(Root: TComponent; const FileName: string);
var
  Text: TFileStream;
  Binary: TMemoryStream;
begin
  Text := TFileStream.Create(FileName, fmOpenRead);
  Binary := TMemoryStream.Create;
  try
    ObjectTextToBinary(Text, Binary);
    Binary.Position := 0;
    Binary.ReadComponent(Root);
  finally
    Binary.Free;
    Text.Free;
  end;
end;

var
  Comp: TComp2;
  Tag: TTag;
begin
  Comp := TComp2.Create(nil);
  Tag := TTag.Create(nil);
  try
    try
      LoadForm(Comp, 'UComp2.dfm');
      Tag.Caption := 'tag';
      WriteLn(Comp.B1.Caption, ' ', Comp.B1.Style.Bold, ' ', Comp.B2.Hint, ' ', Comp.B2.Level, ' ',
        Comp.B1.Count, ' ', Tag.Caption, ' ', Comp.B1.Columns[0].Width, ' ', Comp.B1.Columns[1].Width);
      Comp.B1.Click;
    except
      on E: Exception do
        WriteLn('The form did not load: ', E.Message);
    end;
  finally
    Tag.Free;
    Comp.Free;
  end;
end.
