// Uses that Delphi 7 code makes without writing the name where the analysis
// looks for it: a bare "inherited", the words of an asm block, the
// constructor called by New(P, Init), the members of an exception
// handler's variable and the index parameters of array properties. Each
// use must stand at the token a rename edits (or be marked as having none).
// The unit's interface starts at line 8, its implementation at the fourth
// line after the interface's last.
#include "AnalysisTestSupport.h"

#include <tuple>

namespace {

struct TUsesFixture : TFixtureUnit {
    TUsesFixture(const std::string& Interface, const std::string& Implementation)
        : TFixtureUnit("Windows", Interface, Implementation)
    {
        EXPECT_EQ(Messages({"TObject", "Windows"}), "");
    }
    TqlClass* Class(const std::string& Name) { return dynamic_cast<TqlClass*>(Find(Name)); }
    // The Index-th routine of that name of a class, or of the unit.
    TqlRoutine* Routine(const std::string& Name, const std::string& ClassName = "", int Index = 0)
    {
        TqlRoutineList* L = ClassName.empty() ? Unit->GetRoutines() : Class(ClassName)->GetRoutines();
        for (int i = 0; i < L->GetCount(); ++i)
            if (qlSameText(L->GetRoutine(i)->GetName(), Name) && Index-- == 0)
                return L->GetRoutine(i);
        return nullptr;
    }
    TqlSymbol* Param(const std::string& Name, const std::string& RoutineName, const std::string& ClassName = "")
    {
        return Routine(RoutineName, ClassName)->GetParameters()->Find(Name);
    }
};

void ExpectPlaces(std::initializer_list<std::tuple<const char*, TqlSymbol*, const char*>> Cases)
{
    for (const auto& [What, Symbol, Expected] : Cases)
        EXPECT_EQ(UsePlaces(Symbol), Expected) << What;
}

} // namespace

TEST(Delphi7Uses, BareInheritedCallsTheNearestAncestorsMethodWithTheParameters)
{
    TUsesFixture Fx("type\n  TBase = class\n  public\n    procedure Work(A: Integer);\n"
                    "    procedure Show(N: Integer); overload;\n    procedure Show(const S: string); overload;\n"
                    "    function Size: Integer;\n  end;\n  TMid = class(TBase)\n  end;\n  TDer = class(TMid)\n"
                    "  public\n    procedure Work(A: Integer);\n    procedure Show(const S: string);\n"
                    "    function Size: Integer;\n    procedure Alone(B: Integer);\n  end;\n", // 8-24
                    "procedure TBase.Work(A: Integer); begin end;\nprocedure TBase.Show(N: Integer); begin end;\n"
                    "procedure TBase.Show(const S: string); begin end;\n"
                    "function TBase.Size: Integer; begin Result := 1; end;\n"
                    "procedure TDer.Work(A: Integer); begin inherited; end;\n" // 32
                    "procedure TDer.Show(const S: string); begin if S <> '' then inherited end;\n"
                    "function TDer.Size: Integer; begin inherited end;\n"
                    "procedure TDer.Alone(B: Integer); begin inherited; end;\n"); // 35
    ExpectPlaces({
        // Found two classes up; no name is written at "inherited".
        {"ancestor's method", Fx.Routine("Work", "TBase"), "28:17h 32:40u"},
        {"parameter passed on", Fx.Param("A", "Work", "TDer"), "20:20 32:21h 32:40u"},
        // Of the overloads, the one with the caller's parameters.
        {"overload taking an Integer", Fx.Routine("Show", "TBase", 0), "29:17h"},
        {"overload taking a string", Fx.Routine("Show", "TBase", 1), "30:17h 33:61u"},
        // The whole statement of a function.
        {"ancestor's function", Fx.Routine("Size", "TBase"), "31:16h 34:36u"},
        // No ancestor has it: Delphi ignores the inherited, nothing is used.
        {"parameter of a method no ancestor has", Fx.Param("B", "Alone", "TDer"), "23:21 35:22h"},
    });
}
