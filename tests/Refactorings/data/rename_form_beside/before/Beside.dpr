program Beside;

{$APPTYPE CONSOLE}

uses
  Classes,
  SysUtils,
  UPanel in 'UPanel.pas';

// Streams the binary form file of a unit into Root, past its resource
// header.
procedure LoadForm(Root: TComponent; const FileName: string);
var
  Source: TFileStream;
begin
  Source := TFileStream.Create(FileName, fmOpenRead);
  try
    Source.ReadResHeader;
    Source.ReadComponent(Root);
  finally
    Source.Free;
  end;
end;

var
  Form: TPanelForm;
begin
  Form := TPanelForm.Create(nil);
  try
    try
      LoadForm(Form, 'UPanel.dfm');
      Form.Panel1.Level := 4;
      WriteLn(Form.Panel1.Heading, ' ', Form.Panel1.Level, ' ', Form.Panel1.Font.Size, ' ',
        TLine(Form.Panel1.Lines.Items[0]).Text);
      Form.Panel1.Show;
    except
      on E: Exception do
        WriteLn('The form did not load: ', E.ClassName, ': ', E.Message);
    end;
  finally
    Form.Free;
  end;
end.
