unit Ctrls;

interface

uses
  Base;

type
  TLabelX = class(TControlX)
    Caption: string;
  end;

  TFormX = class(TControlX)
  end;

implementation

end.
