program HashCheck;

{ Prints digests of a few texts through the units of the hash package. }

{$APPTYPE CONSOLE}

uses
  crc, md5, sha1, hmac;

const
  Texts: array[0..2] of string = ('', 'The quick brown fox', 'with statements');

var
  I: Integer;
  S: string;
begin
  for I := Low(Texts) to High(Texts) do
  begin
    S := Texts[I];
    if S = '' then
      WriteLn(crc32(0, nil, 0))
    else
      WriteLn(crc32(0, @S[1], Length(S)));
    WriteLn(MD5Print(MD5String(S)));
    WriteLn(SHA1Print(SHA1String(S)));
    WriteLn(HMACMD5('key', S));
  end;
end.
