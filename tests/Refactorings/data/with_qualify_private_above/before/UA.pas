unit UA;

interface

type
  TA = class
  public
    X: Integer;
  end;

implementation

end.
