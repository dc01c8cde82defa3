program JpegCheck;

{ Compresses a drawn picture to JPEG, plain and progressive, with the
  pasjpeg units, reads it back and prints sums of what it read. }

{$APPTYPE CONSOLE}

uses
  Classes, jmorecfg, jpeglib, jerror, jcapimin, jcapistd, jcparam, jdatadst,
  jdapimin, jdapistd, jdatasrc;

const
  W = 64;
  H = 48;

var
  Pixels: array[0..H - 1, 0..W * 3 - 1] of JSAMPLE;

procedure Draw;
var
  X, Y: Integer;
begin
  for Y := 0 to H - 1 do
    for X := 0 to W - 1 do
    begin
      Pixels[Y, X * 3] := (X * 4) and $FF;
      Pixels[Y, X * 3 + 1] := (Y * 5) and $FF;
      Pixels[Y, X * 3 + 2] := ((X xor Y) * 8) and $FF;
    end;
end;

procedure Compress(Target: TStream; Progressive: Boolean);
var
  Info: jpeg_compress_struct;
  Err: jpeg_error_mgr;
  Row: JSAMPROW;
begin
  Info.err := jpeg_std_error(Err);
  jpeg_create_compress(@Info);
  jpeg_stdio_dest(@Info, @Target);
  Info.image_width := W;
  Info.image_height := H;
  Info.input_components := 3;
  Info.in_color_space := JCS_RGB;
  jpeg_set_defaults(@Info);
  jpeg_set_quality(@Info, 80, True);
  if Progressive then
    jpeg_simple_progression(@Info);
  jpeg_start_compress(@Info, True);
  while Info.next_scanline < H do
  begin
    Row := JSAMPROW(@Pixels[Info.next_scanline]);
    jpeg_write_scanlines(@Info, JSAMPARRAY(@Row), 1);
  end;
  jpeg_finish_compress(@Info);
  jpeg_destroy_compress(@Info);
end;

procedure Decompress(Source: TStream);
var
  Info: jpeg_decompress_struct;
  Err: jpeg_error_mgr;
  Line: array[0..W * 3 - 1] of JSAMPLE;
  Row: JSAMPROW;
  Sum, I: Integer;
begin
  Source.Position := 0;
  Info.err := jpeg_std_error(Err);
  jpeg_create_decompress(@Info);
  jpeg_stdio_src(@Info, @Source);
  jpeg_read_header(@Info, True);
  jpeg_start_decompress(@Info);
  Sum := 0;
  Row := JSAMPROW(@Line);
  while Info.output_scanline < Info.output_height do
  begin
    jpeg_read_scanlines(@Info, JSAMPARRAY(@Row), 1);
    for I := 0 to W * 3 - 1 do
      Sum := Sum + Line[I] * ((I mod 7) + 1);
  end;
  WriteLn(Source.Size, ' ', Info.output_width, 'x', Info.output_height, ' ', Info.progressive_mode, ' ', Sum);
  jpeg_finish_decompress(@Info);
  jpeg_destroy_decompress(@Info);
end;

var
  Plain, Progressive: TMemoryStream;
begin
  Draw;
  Plain := TMemoryStream.Create;
  Progressive := TMemoryStream.Create;
  Compress(Plain, False);
  Compress(Progressive, True);
  Decompress(Plain);
  Decompress(Progressive);
  Plain.Free;
  Progressive.Free;
end.
