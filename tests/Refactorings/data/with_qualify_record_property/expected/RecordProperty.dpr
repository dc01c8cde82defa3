program RecordProperty;

{$APPTYPE CONSOLE}

type
  THeader = record
    Width, Height: Integer;
  end;

  TReader = class
  private
    FHeader: THeader;
    FHeaders: array[0..1] of THeader;
    function GetHeaders(Index: Integer): THeader;
  public
    procedure Load;
    property Header: THeader read FHeader;
    property Headers[Index: Integer]: THeader read GetHeaders; default;
  end;

function TReader.GetHeaders(Index: Integer): THeader;
begin
  Result := FHeaders[Index];
end;

procedure TReader.Load;
begin
  with Header do
  begin
    Width := 640;
    Height := Width div 2;
  end;
  with FHeader do
    FHeader.Height := FHeader.Height + 1;
end;

procedure Touch(R: TReader);
begin
  with R[1] do
    Width := Width + 1;
  with R.Header do
    WriteLn(Width);
end;

var
  R: TReader;
begin
  R := TReader.Create;
  R.Load;
  Touch(R);
  WriteLn(R.Header.Width, ' ', R.Header.Height, ' ', R[1].Width);
end.
