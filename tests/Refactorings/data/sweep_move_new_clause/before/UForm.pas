unit UForm;

interface

uses Helper;

procedure Show;

implementation

{$R *.dfm}

procedure Show;
var
  S: string;
begin
  S := HelperText;
end;

end.
