unit QuilletSystem;

{ What the analysis sees of the compiler's own unit in this project. }

interface

type
  TObject = class
  end;

procedure WriteLn;

implementation

procedure WriteLn;
begin
end;

end.
