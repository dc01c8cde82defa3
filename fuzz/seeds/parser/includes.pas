unit Includes;
{$I d.inc}
interface
{$IFDEF C}
const C = 1;
{$ENDIF}
{$R+}
{$I e.inc}
{$I f.inc}
{$I d.inc}
{$I a.inc}
implementation
{$I g.inc}
end.
