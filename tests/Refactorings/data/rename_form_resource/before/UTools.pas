unit UTools;

interface

uses
  Classes, UParts;

type
  TToolBox = class(TComponent)
  private
    FHint: string;
  published
    Tool1: TPart;
    property Hint: string read FHint write FHint;
  end;

implementation

{$R 'Forms\Tools.dfm'}

end.
