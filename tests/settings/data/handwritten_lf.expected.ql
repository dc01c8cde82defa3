; Coding conventions of the Inventory team
[options]
enforceprefixonunreferecend = F

[prefixes]
btn[A-Z].+=TBitBtn
lbl[A-Z].+=TLabel
edt[A-Z].+=TEdit

[Namingconventions]
CONSTANTS=c[A-Z].*
localvariables = l[A-Z].*
GlobalVariables=g[A-Z].*
ClassFields=F[A-Z].*
ClassTypes=T[A-Z].*
InterfaceTypes=I[A-Z].*
RecordTypes=T[A-Z].*
ObjectTypes=T[A-Z].*
PointerTypes=P[A-Z].*
RoutineNames=[A-Z].*
ConstParameters=a[A-Z].*
VarParameters=a[A-Z].*
Parameters=
Properties=[A-Z].*
GetRoutines=Get[A-Z].*
SetRoutines=Set[A-Z].*

[Local]
; kept as it is
anything=goes

[IndentationConventions]
SpacesPerIndent=3
IndentBeforeBegin=F
IndentBeforeTry=F
IndentBeforeElseInTryBlock=F
IndentBeforeElseInCaseBlock=F
NeverIndentElseIf=F
IndentComments=T
IndentDirectives=F
