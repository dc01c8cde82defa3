// Names found in used units through the project's name index: every use,
// unresolved name and message must be what asking each used unit in turn,
// the last used first, gives.
#include "AnalysisTestSupport.h"
#include "model/uqlNameLookup.h"

#include <map>
#include <set>

namespace {

// The stand-in project with its units and parsers joined to a name index.
class TIndexedProject : public TStandInProject {
public:
    // Active from the start, or only once some uses list is long.
    explicit TIndexedProject(bool Active)
    {
        if (Active)
            Index.Activate();
        Factory = [this](const std::string& FileName) {
            auto P = std::make_unique<TAnalyzeParser>(FileName, GlobalDirectiveHash,
                                                      GlobalKeyHashTable, nullptr);
            P->SetNameIndex(&Index);
            return P;
        };
    }
    TqlUnit* AddUnit(const std::string& UnitName, const std::string& FileName) override
    {
        TqlUnit* U = TStandInProject::AddUnit(UnitName, FileName);
        U->SetNameIndex(&Index);
        return U;
    }
    TqlUnitNameIndex Index;
};

std::string Place(TqlCodeLocation* L)
{
    return std::to_string(L->GetFileIndex()) + ":" + std::to_string(L->GetY()) + ":" +
           std::to_string(L->GetX());
}

// Each unit's uses (in the order recorded) with the declaration each one
// found, its unresolved names, then the messages.
std::string Resolutions(TStandInProject* P)
{
    std::string Out;
    for (int u = 0; u < P->GetUnits()->GetCount(); ++u) {
        TqlUnit* U = P->GetUnits()->GetUnits(u);
        Out += "unit " + U->GetName() + "\n";
        TqlList* Uses = U->GetUsedByLocations();
        for (int i = 0; i < Uses->GetCount(); ++i) {
            auto* L = static_cast<TqlUsedByLocation*>(Uses->GetItem(i));
            TqlSymbol* S = L->GetUsedByList()->GetSymbol();
            TqlUnit* Owner = S->GetUnitIntf();
            Out += "  " + Place(L) + (L->GetIsWrongCase() ? " case " : " ") + S->GetName() + " of " +
                   (Owner ? Owner->GetName() : std::string("?")) + " at " + Place(S) + "\n";
        }
        const std::set<std::string> Unresolved(U->GetUnresolvedNames().begin(),
                                               U->GetUnresolvedNames().end());
        for (const std::string& N : Unresolved)
            Out += "  unresolved " + N + "\n";
    }
    for (const std::string& M : P->MessageTexts())
        Out += "message " + M + "\n";
    return Out;
}

std::string Analyse(TStandInProject* P, const std::map<std::string, std::string>& Files)
{
    TTempFolder T;
    for (const auto& [Name, Text] : Files)
        T.Write(Name, Text);
    gqlProject = Ref<IqlProject>(P);
    P->Analyze(T.Path() + "/Main.dpr", true);
    std::string R = Resolutions(P);
    gqlProject = nullptr;
    return R;
}

struct TCase {
    const char* Name;
    std::map<std::string, std::string> Files;
    // Lines the resolutions must hold ("name of unit" at the main file).
    std::vector<std::string> Expected;
};

const std::string UnitA = "unit A;\ninterface\nvar X, OnlyA: Integer;\nprocedure P;\n"
                          "implementation\nprocedure P;\nbegin\nend;\nend.\n";
const std::string UnitB = "unit B;\ninterface\nvar X: Integer;\nimplementation\n"
                          "var OnlyA: Integer;\nprocedure Q;\nbegin\n  OnlyA := X;\nend;\nend.\n";

// A unit Fn that declares Shared, OnlyFn and (in its implementation) Hidden.
std::string Filler(int N)
{
    const std::string Name = "F" + std::to_string(N);
    return "unit " + Name + ";\ninterface\nvar Shared, Only" + Name + ": Integer;\n" +
           "implementation\nvar Hidden: Integer;\nprocedure P;\nbegin\n  Shared := Hidden;\nend;\nend.\n";
}

const std::vector<TCase>& Cases()
{
    static const std::vector<TCase> List = {
        {"the unit used last wins; an implementation declaration is not seen",
         {{"A.pas", UnitA}, {"B.pas", UnitB},
          {"Main.dpr", "program Main;\nuses A, B;\nbegin\n  X := 1;\n  OnlyA := 2;\n  P;\nend.\n"}},
         {"0:4:3 X of B", "0:5:3 OnlyA of A", "0:6:3 P of A", "5:8:3 OnlyA of B", "5:8:12 X of B"}},
        {"the other order",
         {{"A.pas", UnitA}, {"B.pas", UnitB},
          {"Main.dpr", "program Main;\nuses B, A;\nbegin\n  X := 1;\nend.\n"}},
         {"0:4:3 X of A"}},
        {"own declarations first, case does not matter, unused units are not searched",
         {{"A.pas", "unit A;\ninterface\nuses C;\nconst MixedName = 1;\nvar Own: Integer;\n"
                    "implementation\nend.\n"},
          {"C.pas", "unit C;\ninterface\nvar Deep: Integer;\nimplementation\nend.\n"},
          {"Main.dpr", "program Main;\nuses A;\nvar Own: Integer;\nbegin\n  Own := MIXEDNAME;\n"
                       "  Deep := 1;\n  Nowhere := 2;\nend.\n"}},
         {"0:5:3 Own of Main", "0:5:10 case MixedName of A", "unresolved DEEP", "unresolved NOWHERE",
          "message Symbol, Deep, not found in project"}},
        {"declarations made while another unit's interface is read, and a unit named twice",
         {{"A.pas", "unit A;\ninterface\nuses B;\nvar V: Integer;\nimplementation\nend.\n"},
          {"B.pas", "unit B;\ninterface\nvar V, W: Integer;\nimplementation\nuses A;\n"
                    "procedure R;\nbegin\n  V := W;\nend;\nend.\n"},
          {"D.pas", "unit D;\ninterface\nuses A, B;\nimplementation\nuses A;\n"
                    "procedure S;\nbegin\n  V := W;\nend;\nend.\n"},
          {"Main.dpr", "program Main;\nuses B, A, D;\nbegin\n  V := W;\nend.\n"}},
         {"0:4:3 V of A", "0:4:8 W of B", "6:8:3 V of A", "6:8:8 W of B", "4:8:3 V of B"}},
        {"a unit that names itself, overloads in two units, a unit's own name",
         {{"A.pas", "unit A;\ninterface\nuses A;\nfunction F(I: Integer): Integer; overload;\n"
                    "implementation\nfunction F(I: Integer): Integer;\nbegin\n  Result := F(I);\nend;\nend.\n"},
          {"B.pas", "unit B;\ninterface\nfunction F(S: string): Integer; overload;\n"
                    "implementation\nfunction F(S: string): Integer;\nbegin\n  Result := 0;\nend;\nend.\n"},
          {"Main.dpr", "program Main;\nuses A, B;\nbegin\n  F('x');\n  A.F(1);\nend.\n"}},
         {"0:4:3 F of B", "0:5:3 A of A", "0:5:5 F of A"}},
        {"a uses list long enough to put the index to use halfway",
         {{"F1.pas", Filler(1)}, {"F2.pas", Filler(2)}, {"F3.pas", Filler(3)}, {"F4.pas", Filler(4)},
          {"F5.pas", Filler(5)}, {"F6.pas", Filler(6)}, {"F7.pas", Filler(7)}, {"F8.pas", Filler(8)},
          {"F9.pas", Filler(9)},
          {"Main.dpr", "program Main;\nuses F1, F2, F3, F4, F5, F6, F7, F8, F9;\nbegin\n"
                       "  Shared := OnlyF3 + OnlyF9;\n  Hidden := 1;\nend.\n"}},
         {"0:4:3 Shared of F9", "0:4:13 OnlyF3 of F3", "0:4:22 OnlyF9 of F9", "unresolved HIDDEN",
          "4:8:3 Shared of F1"}},
    };
    return List;
}

} // namespace

TEST(NameIndexLookup, SameResolutionsAsTheSearchOfEachUsedUnit)
{
    for (const TCase& C : Cases()) {
        SCOPED_TRACE(C.Name);
        Ref<TStandInProject> Plain(new TStandInProject);
        const std::string Expected = Analyse(Plain.get(), C.Files);
        for (const std::string& Line : C.Expected)
            EXPECT_NE(Expected.find(Line), std::string::npos) << Line << "\nin\n" << Expected;
        const bool LongUses = C.Files.size() > 8;
        for (bool Active : {false, true}) {
            SCOPED_TRACE(Active ? "active from the start" : "put to use when needed");
            Ref<TIndexedProject> Indexed(new TIndexedProject(Active));
            EXPECT_EQ(Analyse(Indexed.get(), C.Files), Expected);
            EXPECT_EQ(Indexed->Index.Active(), Active || LongUses);
            EXPECT_EQ(Indexed->Index.NameCount() > 0, Active || LongUses);
        }
    }
}
