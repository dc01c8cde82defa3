unit Helpers;

interface

procedure Log(const Msg: string);

implementation

{$I inc\LOG.Inc}

procedure Log(const Msg: string);
begin
  Counter := Counter + 1;
end;

end.
