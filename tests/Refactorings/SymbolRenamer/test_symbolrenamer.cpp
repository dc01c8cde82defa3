// Renaming over analysed fixture projects: every place maps to a token
// holding the old name before anything changes.
#include "tests/Refactorings/PluginTestSupport.h"

#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include <cstring>

namespace {

struct TRenameRun {
    explicit TRenameRun(const std::string& Case) : P(qlCaseFolder(Case) / "before") { P.Analyze(); }

    // Renames Symbol; answers the texts of the changed units by file name.
    std::map<std::string, std::string> Rename(TqlSymbol* Symbol, const std::string& NewName,
                                              bool* Prepared = nullptr)
    {
        TqlSymbolRename R(
            Symbol, NewName, [this](TqlUnit* U) { return P.Tree(U); },
            [this](const std::string& Text, int, int X, int Y) {
                P.Messages.push_back(std::to_string(X) + ":" + std::to_string(Y) + " " + Text);
            });
        std::map<std::string, std::string> Written;
        bool Ok = R.Prepare();
        for (TqlUnit* U : Ok ? R.Units() : std::vector<TqlUnit*>{})
            Ok = R.RenameIn(U) && Ok;
        if (Prepared)
            *Prepared = Ok;
        if (!Ok)
            return Written;
        for (TqlUnit* U : R.Units())
            Written[fs::path(U->GetFullFileName()).filename().string()] = P.Generated(P.Tree(U));
        return Written;
    }
    TAnalysedProject P;
};

} // namespace

TEST(SymbolRenamer, RoutineUsedInThreeUnits)
{
    TRenameRun Run("rename_routine");
    TqlSymbol* DoIt = Run.P.Unit("U1")->GetRoutines()->Find("DoIt");
    ASSERT_NE(DoIt, nullptr);
    const auto Written = Run.Rename(DoIt, "Perform");
    qlDumpCase("rename_routine", Written, Run.P.Messages);
    qlExpectCase("rename_routine", Written, Run.P.Messages);
}

TEST(SymbolRenamer, UnitAndItsPathInTheProgram)
{
    TRenameRun Run("rename_unit");
    const auto Written = Run.Rename(Run.P.Unit("Foo"), "Bar");
    qlDumpCase("rename_unit", Written, Run.P.Messages);
    qlExpectCase("rename_unit", Written, Run.P.Messages);
}

// A unit listed in a package's contains clause: its path there changes in
// its last base name only.
TEST(SymbolRenamer, UnitInAPackage)
{
    TRenameRun Run("rename_package");
    const auto Written = Run.Rename(Run.P.Unit("Foo"), "Bar");
    qlDumpCase("rename_package", Written, Run.P.Messages);
    qlExpectCase("rename_package", Written, Run.P.Messages);
}

// Symbols that one project refuses to rename, each with its finding; nothing
// is written.
TEST(SymbolRenamer, RefusedSymbolsChangeNothing)
{
    const struct {
        const char* Unit;
        const char* Class;  // "" for a symbol of the unit, the unit itself included
        const char* Symbol;
        const char* NewName;
        const char* Message;
        const char* MessageEnd;
    } Cases[] = {
        // A use in an include file would keep the old name.
        {"UShapes", "", "Target", "Aim", "Symbol, Target, is used in ", "calls.inc, which is not changed"},
        // So would the streamed form.
        {"UForm", "TForm1", "FormClick", "Clicked", "Symbol, FormClick, is used in ",
         "UForm.dfm, which is not changed"},
        {"UShapes", "TBase", "A", "B", "Name, B, is already declared in TDerived", ""},
        {"UShapes", "TBase", "Plain", "a", "Name, a, is already declared in TBase", ""},
        {"UShapes", "", "UShapes", "UInc", "Name, UInc, is already declared in the project", ""},
        // A file of the unit's folder, whatever its case.
        {"UInc", "", "UInc", "CALLS", "Name, CALLS, is already declared in ", ""},
    };
    for (const auto& C : Cases) {
        TRenameRun Run("rename_refused");
        TqlUnit* Unit = Run.P.Unit(C.Unit);
        ASSERT_NE(Unit, nullptr) << C.Unit;
        TqlSymbol* Symbol = nullptr;
        if (*C.Class) {
            auto* Class = static_cast<TqlClass*>(Unit->GetClasses()->Find(C.Class));
            ASSERT_NE(Class, nullptr) << C.Class;
            Symbol = Class->FindSymbol(Unit, Class, C.Symbol);
        } else {
            Symbol = qlSameName(C.Symbol, C.Unit) ? static_cast<TqlSymbol*>(Unit)
                                                  : Unit->GetRoutines()->Find(C.Symbol);
        }
        ASSERT_NE(Symbol, nullptr) << C.Symbol;
        bool Prepared = true;
        const auto Written = Run.Rename(Symbol, C.NewName, &Prepared);
        EXPECT_FALSE(Prepared) << C.Symbol;
        EXPECT_TRUE(Written.empty()) << C.Symbol;
        ASSERT_EQ(Run.P.Messages.size(), 1u) << C.Symbol;
        const std::string& Message = Run.P.Messages[0];
        EXPECT_NE(Message.find(C.Message), std::string::npos) << Message;
        EXPECT_TRUE(Message.size() >= std::strlen(C.MessageEnd) &&
                    Message.compare(Message.size() - std::strlen(C.MessageEnd), std::string::npos,
                                    C.MessageEnd) == 0)
            << Message;
    }
}

TEST(SymbolRenamer, RefusedNamesChangeNothing)
{
    const struct {
        const char* NewName;
        const char* Message;
    } Cases[] = {
        {"", "Identifier, , is not a valid name"},
        {"1Go", "Identifier, 1Go, is not a valid name"},
        {"Be gin", "Identifier, Be gin, is not a valid name"},
        {"begin", "Identifier, begin, is not a valid name"},
        // The program's call of U2's Twice would call the renamed Thrice.
        {"Twice", "Name, Twice, stands here for another symbol, which the renamed Thrice would hide"},
    };
    for (const auto& C : Cases) {
        TRenameRun Run("rename_routine");
        TqlSymbol* DoIt = Run.P.Unit("U1")->GetRoutines()->Find("DoIt");
        bool Prepared = true;
        // The program reaches both Twice and Thrice.
        TqlSymbol* Target = std::string(C.NewName) == "Twice"
                                ? static_cast<TqlSymbol*>(Run.P.Unit("U3")->GetRoutines()->Find("Thrice"))
                                : DoIt;
        const auto Written = Run.Rename(Target, C.NewName, &Prepared);
        EXPECT_FALSE(Prepared) << C.NewName;
        EXPECT_TRUE(Written.empty()) << C.NewName;
        ASSERT_EQ(Run.P.Messages.size(), 1u) << C.NewName;
        EXPECT_NE(Run.P.Messages[0].find(C.Message), std::string::npos) << Run.P.Messages[0];
    }
    EXPECT_FALSE(TqlSymbolRename::IsValidName(std::string(256, 'a')));
    EXPECT_TRUE(TqlSymbolRename::IsValidName(std::string(255, 'a')));
}

TEST(SymbolRenamer, CaseOnlyRenamePasses)
{
    TRenameRun Run("rename_routine");
    TqlSymbol* DoIt = Run.P.Unit("U1")->GetRoutines()->Find("DoIt");
    const auto Written = Run.Rename(DoIt, "DOIT");
    EXPECT_EQ(Written.size(), 4u);
    EXPECT_TRUE(Run.P.Messages.empty());
}

TEST(SymbolRenamer, PathsRenameOnlyTheLastBaseName)
{
    EXPECT_EQ(TqlSymbolRename::RenamePath("'src\\foolib\\foo.pas'", "Foo", "Bar"),
              "'src\\foolib\\Bar.pas'");
    EXPECT_EQ(TqlSymbolRename::RenamePath("'foo.pas'", "Foo", "Bar"), "'Bar.pas'");
    EXPECT_EQ(TqlSymbolRename::RenamePath("'src/other.pas'", "Foo", "Bar"), "'src/other.pas'");
}

// A renamed routine resolves everywhere its old name did.
TEST(SymbolRenamer, OutputsResolveAsTheSourcesDid)
{
    const auto [Before, After] = qlFindingsBeforeAndAfter("rename_routine");
    EXPECT_EQ(After, Before);
}
