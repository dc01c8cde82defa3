// The shipped unit QuilletSystem: it reads without a message, declares the
// names every Delphi 7 unit uses without a uses clause, and gives a class
// without heritage its TObject.
#include "AnalysisTestSupport.h"

TEST(QuilletSystemUnit, PredeclaredNamesResolveInEveryUnit)
{
    TAnalysisScope P;
    TTempFolder F;
    P->SearchFolders.push_back(std::string(QUILLET_SOURCE_DIR) + "/QuilletSystem");
    const std::string Main = F.Write(
        "Stock.pas",
        "unit Stock;\n\ninterface\n\ntype\n  TStock = class\n  private\n    FNames: array of string;\n"
        "    FRef: IInterface;\n  public\n    procedure Trim(var S: string);\n  end;\n\n"
        "  TShared = class(TInterfacedObject, IInterface)\n  end;\n\n"
        "implementation\n\n"
        "procedure TStock.Trim(var S: string);\nvar\n  I: Integer;\n  P: PInteger;\n"
        "  G: TGUID;\n  C: TClass;\n  Buf: array [0..15] of Byte;\nbegin\n"
        "  if not Assigned(FRef) or (Length(S) = 0) then\n    Exit;\n"
        "  I := Pos(' ', S);\n  while I > 0 do\n  begin\n    Delete(S, I, 1);\n"
        "    Insert('_', S, I);\n    I := Pos(' ', S);\n    if I > MaxInt - 1 then\n      Break\n"
        "    else\n      Continue;\n  end;\n"
        "  SetLength(FNames, High(FNames) - Low(FNames) + 2);\n  FNames[0] := Copy(S, 1, 2) + Chr(Ord('a'));\n"
        "  Inc(I);\n  Dec(I, 2);\n  I := Succ(Pred(I));\n  FillChar(Buf, SizeOf(Buf), 0);\n"
        "  Move(Buf[0], G, SizeOf(G));\n  New(P);\n  Dispose(P);\n  GetMem(P, 4);\n  FreeMem(P);\n"
        "  Val('12', I, I);\n  Str(I, S);\n  C := ClassType;\n  Assert(C <> nil, ClassName);\n"
        "  if TypeInfo(TStock) = nil then\n    Halt(1);\n  WriteLn(Output, S, True, False);\n"
        "  ReadLn(Input, S);\n  Write(S);\n  Read(S);\nend;\n\nend.\n");
    P->Analyze(Main, true);
    std::string All;
    for (const std::string& M : P->MessageTexts())
        All += M + "\n";
    EXPECT_EQ(All, "");
    TqlUnit* System = P->FindUnit("QuilletSystem");
    ASSERT_NE(System, nullptr);
    EXPECT_EQ(System->ParserState, psrFull);
    auto* Stock = dynamic_cast<TqlClass*>(P->FindUnit("Stock")->FindSymbol(nullptr, nullptr, "TStock"));
    ASSERT_NE(Stock, nullptr);
    ASSERT_NE(Stock->GetInheritsFromClass(), nullptr);
    EXPECT_EQ(Stock->GetInheritsFromClass(), System->GetClasses()->Find("TObject"));
}
