unit UBig;

interface

uses
  Classes, UBtn;

type
  TBigBtn = class(TMyBtn)
  private
    FLevel: Integer;
  published
    property Level: Integer read FLevel write FLevel;
  end;

  TTag = class(TComponent)
  private
    FCaption: string;
  published
    property Caption: string read FCaption write FCaption;
  end;

implementation

initialization
  RegisterClass(TBigBtn);
  RegisterClass(TTag);
end.
