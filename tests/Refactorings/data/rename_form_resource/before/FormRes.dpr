program FormRes;

{$APPTYPE CONSOLE}

uses
  Classes,
  SysUtils,
  UParts in 'UParts.pas',
  UMainForm in 'UMainForm.pas',
  UTools in 'UTools.pas';

// Streams a form file into Root as the designer's files are read at run
// time: a binary form after its resource header, a text form through the
// converter.
procedure LoadForm(Root: TComponent; const FileName: string);
var
  Source: TFileStream;
  Binary: TMemoryStream;
  First: Byte;
begin
  Source := TFileStream.Create(FileName, fmOpenRead);
  Binary := TMemoryStream.Create;
  try
    Source.ReadBuffer(First, 1);
    Source.Position := 0;
    if First = $FF then
    begin
      Source.ReadResHeader;
      Binary.CopyFrom(Source, Source.Size - Source.Position);
    end
    else
      ObjectTextToBinary(Source, Binary);
    Binary.Position := 0;
    Binary.ReadComponent(Root);
  finally
    Binary.Free;
    Source.Free;
  end;
end;

var
  Main: TMainForm;
  Tools: TToolBox;
begin
  Main := TMainForm.Create(nil);
  Tools := TToolBox.Create(nil);
  try
    try
      LoadForm(Main, 'FForm.dfm');
      LoadForm(Tools, 'Forms/Tools.dfm');
      Main.Count := 2;
      WriteLn(Main.Title, ' ', Main.Count, ' ', Main.Part1.Caption, ' ', Main.Part1.Style.Bold, ' ',
        Main.Part1.Columns[0].Width, ' ', Main.Part1.Columns[1].Width);
      WriteLn(Tools.Hint, ' ', Tools.Tool1.Style.Size, ' ', Tools.Tool1.Columns[0].Tag);
      Main.Part1.Press;
    except
      on E: Exception do
        WriteLn('The form did not load: ', E.ClassName, ': ', E.Message);
    end;
  finally
    Tools.Free;
    Main.Free;
  end;
end.
