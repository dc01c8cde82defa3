unit UCalc;

interface

function AddIt(A, B: Integer): Integer;
procedure Show(Extra: Integer);
function Sum3(A, B, C: Integer): Integer;
procedure Tally;

implementation

function Twice(X: Integer): Integer;
begin
  Result := X * 2;
end;

function AddIt(A, B: Integer): Integer;
begin
  Result := A + B;
end;

procedure Show(Extra: Integer);
begin
  WriteLn('Show ', Twice(Extra));
end;

function Sum3(A, B, C: Integer): Integer;
var
  Spare: Integer;
begin
  Spare := AddIt(A, B);
  Result := Spare + C;
end;

procedure Tally;
var
  Count: Integer;

  procedure Step;
  begin
    Inc(Count);
  end;

begin
  Count := 0;
  Step;
  Step;
  WriteLn('Tally ', Count);
end;

end.
