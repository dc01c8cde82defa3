; Coding conventions of the Inventory team
[options]
enforceprefixonunreferecend = F

[prefixes]
; buttons first
btn[A-Z].+ = TButton
lbl[A-Z].+=TLabel
BTN[A-Z].+=TBitBtn

[Namingconventions]
CONSTANTS=c[A-Z].*
localvariables = l[A-Z].*

[Local]
; kept as it is
anything=goes
