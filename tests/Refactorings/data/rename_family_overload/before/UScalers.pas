unit UScalers;

interface

type
  TScaler = class
  public
    function Scale(F: Integer): Integer; overload; virtual;
    function Scale(F, G: Integer): Integer; overload; virtual;
  end;

  TDoubler = class(TScaler)
  public
    function Scale(F: Integer): Integer; override;
  end;

implementation

function TScaler.Scale(F: Integer): Integer;
begin
  Result := F;
end;

function TScaler.Scale(F, G: Integer): Integer;
begin
  Result := F * G;
end;

function TDoubler.Scale(F: Integer): Integer;
begin
  Result := 2 * inherited Scale(F);
end;

end.
