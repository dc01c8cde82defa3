// A unit's text is given back between the interface and the implementation
// phase and read again: the model, its uses and the messages are the same as
// when the text is kept, and it is kept where the interface ends inside an
// include file.
#include "AnalysisTestSupport.h"

namespace {

// Every recorded use: unit, symbol, file, position, case.
std::string DumpUses(TStandInProject* Project)
{
    std::ostringstream Out;
    TqlUnitList* Units = Project->GetUnits();
    for (int i = 0; i < Units->GetCount(); ++i) {
        TqlUnit* U = Units->GetUnits(i);
        TqlList* Uses = U->GetUsedByLocations();
        Out << U->GetName() << "\n";
        for (int j = 0; Uses && j < Uses->GetCount(); ++j) {
            auto* L = static_cast<TqlUsedByLocation*>(Uses->GetItem(j));
            Out << "  " << L->GetUsedByList()->GetSymbol()->GetName() << " " << L->GetFileIndex() << " @"
                << L->GetY() << ":" << L->GetX() << (L->GetIsWrongCase() ? " wrong-case" : "") << "\n";
        }
    }
    return Out.str();
}

void WriteProject(const TTempFolder& F)
{
    // The main program: parsed whole in the first phase.
    F.Write("App.dpr", "program App;\nuses Base, Incl, Derived;\nvar G: TBase;\nbegin\n"
                       "  G := TBase.Create;\n  G.Run(Shared);\n  Missing1;\nend.\n");
    // A conditional opened in the interface closes in the implementation; a
    // symbol defined in the interface is tested there.
    F.Write("Base.pas", "unit Base;\r\ninterface\r\n{$DEFINE FROMINTF}\r\n{$IFNDEF NOTDEFINED}\r\n"
                        "type\r\n  TBase = class\r\n    FCount: Integer;\r\n"
                        "    procedure Run(Value: Integer); virtual;\r\n  end;\r\n"
                        "var Shared: Integer;\r\nimplementation\r\n{$ENDIF}\r\n"
                        "{$IFDEF FROMINTF}\r\nprocedure TBase.Run(Value: Integer);\r\nbegin\r\n"
                        "  FCount := Value + shared;\r\n  Missing2(FCount);\r\nend;\r\n{$ENDIF}\r\nend.\r\n");
    // The interface ends inside an include file, which goes on into the
    // implementation.
    F.Write("Incl.pas", "unit Incl;\ninterface\nuses Base;\n{$I incl.inc}\n"
                        "procedure Later;\nbegin\n  Helper;\n  Missing3;\nend;\nend.\n");
    F.Write("incl.inc", "procedure Helper;\nprocedure Later;\nimplementation\n"
                        "procedure Helper;\nbegin\n  Shared := 2;\nend;\n");
    // An inherited call and a syntax problem after the boundary.
    F.Write("Derived.pas", "unit Derived;\ninterface\nuses Base;\ntype\n  TDerived = class(TBase)\n"
                           "    procedure Run(Value: Integer); override;\n  end;\nimplementation\n"
                           "uses Incl;\nprocedure TDerived.Run(Value: Integer);\nbegin\n"
                           "  inherited Run(Value);\n  inherited;\n  Later;\n  Later(1;\nend;\nend.\n");
}

struct TRun {
    std::string Model;
    std::string Uses;
};

TRun Analyse(const std::string& Main, bool Keep, bool ParseAll,
             std::vector<std::pair<std::string, bool>>* Released = nullptr)
{
    TAnalysisScope P;
    P->Factory = [Keep](const std::string& File) {
        auto Parser = std::make_unique<TAnalyzeParser>(File, GlobalDirectiveHash, GlobalKeyHashTable, nullptr);
        Parser->SetKeepSource(Keep);
        return Parser;
    };
    P->Analyze(Main, ParseAll);
    if (Released)
        for (int i = 0; i < P->GetUnits()->GetCount(); ++i) {
            TqlUnit* U = P->GetUnits()->GetUnits(i);
            if (TAnalyzeParser* Parser = P->ParserOf(U))
                Released->emplace_back(U->GetName(), Parser->SourceReleased());
        }
    return TRun{DumpProject(P.get()), DumpUses(P.get())};
}

} // namespace

TEST(SourceRelease, SameModelUsesAndMessagesAsWithTheTextKept)
{
    TTempFolder F;
    WriteProject(F);
    const std::vector<std::string> Mains = {F.Path() + "/App.dpr", F.Path() + "/Derived.pas",
                                            std::string(QUILLET_TEST_DATA) + "/Proj1/Prog.dpr",
                                            std::string(QUILLET_TEST_DATA) + "/Proj2/Pkg.dpk"};
    for (const std::string& Main : Mains)
        for (bool ParseAll : {true, false}) {
            SCOPED_TRACE(Main + (ParseAll ? " all" : " main only"));
            const TRun Kept = Analyse(Main, true, ParseAll);
            const TRun Released = Analyse(Main, false, ParseAll);
            EXPECT_EQ(Released.Model, Kept.Model);
            EXPECT_EQ(Released.Uses, Kept.Uses);
        }
    // The fixture reaches what it is meant to: uses across the boundary and
    // messages from both phases.
    const TRun R = Analyse(F.Path() + "/App.dpr", false, true);
    for (const char* Expected : {"Missing1", "Missing2", "Missing3", "Derived.pas @15"})
        EXPECT_NE(R.Model.find(Expected), std::string::npos) << Expected << "\n" << R.Model;
    EXPECT_NE(R.Uses.find("Shared "), std::string::npos) << R.Uses;
    EXPECT_NE(R.Uses.find("Helper "), std::string::npos) << R.Uses;
}

// Between the phases: a unit stopped in its own file has given its text
// back; a unit whose interface ended inside an include file keeps it.
TEST(SourceRelease, GivenBackOnlyWhereSafe)
{
    TTempFolder F;
    WriteProject(F);
    for (bool Keep : {false, true}) {
        std::vector<std::pair<std::string, bool>> Released;
        Analyse(F.Path() + "/App.dpr", Keep, false, &Released);
        const std::vector<std::pair<std::string, bool>> Expected = {
            {"Base", !Keep}, {"Incl", false}, {"Derived", !Keep}};
        EXPECT_EQ(Released, Expected) << "keep " << Keep;
    }
}
