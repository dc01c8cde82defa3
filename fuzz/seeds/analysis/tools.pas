unit Tools;

interface

type
  ITool = interface(IUnknown)
    ['{6F1D3C2A-0000-4000-8000-00000000000A}']
    function Run: Boolean;
  end;
  IOther = interface
  end;
  TToolBase = class
  end;
  TTool = class(TToolBase, ITool, IOther)
    function Run: Boolean;
  end;

resourcestring
  SHello = 'Hello';

implementation

function TTool.Run: Boolean;
begin
  Result := SHello <> '';
end;

end.
