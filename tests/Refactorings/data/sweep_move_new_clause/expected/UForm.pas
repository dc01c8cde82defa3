unit UForm;

interface

procedure Show;

implementation

{$R *.dfm}

uses Helper;

procedure Show;
var
  S: string;
begin
  S := HelperText;
end;

end.
