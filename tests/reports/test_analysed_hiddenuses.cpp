// Ridizo Dedu's unused-declaration checks over uses that are not written as
// names where statements read them: instructions of asm blocks (in an
// assembler routine and in a begin..end body, a stub that jumps to an
// imported routine) and a bare "inherited". Next to them, what is truly
// unused is still reported, an exception handler's variable among them.
#include "AnalysedProject.h"

namespace {

const char* const FastText =
    "unit UFast;\n\ninterface\n\nuses\n  Windows;\n\ntype\n"
    "  TBase = class public procedure Store(Value: Integer); procedure Spare; end;\n"
    "  TDerived = class(TBase) public procedure Store(Value: Integer); procedure Lonely(Value: Integer); end;\n"
    "procedure SinCos(X: Extended; out S, C: Extended);\nfunction Swap32(Value: Cardinal): Cardinal;\n"
    "procedure Jump(A, B: Integer);\nprocedure Plain(Used, Idle: Integer);\nprocedure Guard;\n"
    "var\n  gLast: Integer;\n\nimplementation\n\nconst\n  Mask = $FF;\nvar\n  _Jump: Pointer;\n\n"
    // Called from an instruction only; truly unused.
    "procedure Tally; begin gLast := gLast + 1; end;\nprocedure Forgotten; begin end;\n"
    // Reached through a bare inherited only; no ancestor has Lonely, so its
    // inherited does nothing.
    "procedure TBase.Store(Value: Integer); begin gLast := Value; end;\nprocedure TBase.Spare; begin end;\n"
    "procedure TDerived.Store(Value: Integer); begin inherited; end;\n"
    "procedure TDerived.Lonely(Value: Integer); begin inherited; end;\n"
    "procedure SinCos(X: Extended; out S, C: Extended);\nbegin\n  asm\n    FLD X\n    FSINCOS\n  end;\nend;\n"
    "function Swap32(Value: Cardinal): Cardinal;\nvar\n  Count, Scratch: Integer;\n"
    "asm\n  MOV Count, EAX\n  AND EAX, Mask\n  CALL Tally\nend;\n"
    // A stub that jumps to an imported routine passes its parameters on.
    "procedure Jump(A, B: Integer);\nbegin\n  asm\n    POP EBP\n    JMP [_Jump]\n  end;\nend;\n"
    "procedure Plain(Used, Idle: Integer); begin gLast := Used; end;\n"
    // The handler's variable is named where it is declared, and nowhere else.
    "procedure Guard;\nbegin\n  try\n    Plain(1, 2);\n  except\n    on E: TBase do ;\n  end;\nend;\n\nend.\n";

const char* const MainText =
    "program Main;\n\nuses\n  UFast;\n\nvar\n  gD: TDerived;\n  gS, gC: Extended;\n\n"
    "begin\n  gD := nil;\n  gD.Store(1);\n  gD.Lonely(2);\n  SinCos(1, gS, gC);\n"
    "  Jump(Swap32(3), 4);\n  Plain(5, 6);\n  Guard;\nend.\n";

} // namespace

TEST(AnalysedHiddenUses, OnlyWhatIsTrulyUnusedIsReported)
{
    TAnalysedProject P;
    P.Write("UFast.pas", FastText);
    P.Write("Main.dpr", MainText);
    P.Analyze("Main.dpr");
    ASSERT_TRUE(P->GetUnits()->FindUnit("UFast")->AnalysedToEnd) << P.Messages();
    EXPECT_EQ(P.Lint("Unused"), (Strings{
                                    "UFast|TBase|Unused routine: Spare",
                                    "UFast|TDerived.Lonely|Unused parameter: Value",
                                    "UFast|Swap32|Unused variable: Scratch",
                                    "UFast|Plain|Unused parameter: Idle",
                                    "UFast|Guard|Unused variable: E",
                                    "UFast|UFast|Unused routine: Forgotten",
                                }));
}
