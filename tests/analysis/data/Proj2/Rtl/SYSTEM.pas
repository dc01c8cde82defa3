unit System;

interface

type
  TObject = class
  public
    constructor Create;
    destructor Destroy; virtual;
  end;
  IUnknown = interface
  end;
  TPointRec = object
    X, Y: Integer;
    procedure Clear;
  end;

implementation

constructor TObject.Create;
begin
end;

destructor TObject.Destroy;
begin
end;

procedure TPointRec.Clear;
label
  Done, 10;
begin
  X := 0;
  goto Done;
Done:
end;

end.
