// Renaming over analysed fixture projects: every place maps to a token
// holding the old name before anything changes.
#include "tests/Refactorings/PluginTestSupport.h"

#include "Refactorings/SymbolRenamer/uRenameChecks.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include <cctype>
#include <cstring>

namespace {

struct TRenameRun {
    explicit TRenameRun(const std::string& Case) : P(qlCaseFolder(Case) / "before") { P.Analyze(); }
    // Writes the files (name, text) and analyses the first.
    explicit TRenameRun(const std::vector<std::pair<std::string, std::string>>& Files)
    {
        for (const auto& [Name, Text] : Files)
            P.Write(Name, Text);
        P.Analyze(Files.front().first);
    }

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
TEST(SymbolRenamer, DirectiveWordsAreTheDirectivesOnly)
{
    // The text, the word looked at (its first occurrence after the marker
    // "@"), and whether it is the directive.
    const struct {
        const char* Text;
        bool Directive;
    } Cases[] = {
        {"property First: Integer @index 10 read GetItem;", true},
        {"property First: Integer @index CFirst read GetItem;", true},
        {"property P: Integer read @Index write SetIndex;", false},
        {"property @Index: Integer read FIndex;", false},
        {"function F: Integer; external 'k.dll' @index 5;", true},
        {"exports Foo @index 3;", true},
        {"  X := @Index + 1;", false},
        {"  if A then @Index := 2;", false},
        {"  Items[@Index] := 0;", false},
        {"  case K of @Index: Y := 1; end;", false},
        {"procedure X(var Message: TMsg); @message CM_X;", true},
        {"procedure X(var Message: TMsg); @message $B001;", true},
        {"procedure X(var @Message: TMsg); message CM_X;", false},
        {"  Foo; @Message := 1;", false},
        {"  Foo; @Message(1);", false},
        {"  repeat Foo; @Message until Done;", false},
        {"  Foo; @Message;", false},
    };
    for (const auto& C : Cases) {
        std::string Text = C.Text;
        const size_t At = Text.find('@');
        Text.erase(At, 1);
        size_t End = At;
        while (End < Text.size() && std::isalpha(static_cast<unsigned char>(Text[End])))
            ++End;
        EXPECT_EQ(SymbolRenamer::IsDirectiveWord(Text, At, std::string_view(Text).substr(At, End - At)), C.Directive)
            << C.Text;
    }
}

TEST(SymbolRenamer, OutputsResolveAsTheSourcesDid)
{
    const auto [Before, After] = qlFindingsBeforeAndAfter("rename_routine");
    EXPECT_EQ(After, Before);
}

// The form of another unit, text or binary, writes properties of the form
// class's ancestor, of a component, of the items of its collection; a
// renamed one is refused at its line, and one written only for another class
// is renamed.
TEST(SymbolRenamer, PropertiesWrittenInAFormOfAnotherUnit)
{
    // Columns holds a collection whose items' class its default property
    // tells, or one that does not tell it (@ITEMS@).
    const std::string Parts = R"(unit UParts;

interface

uses
  Classes;

type
  TCol = class(TCollectionItem)
  private
    FWidth: Integer;
    FTitle: string;
  published
    property Width: Integer read FWidth write FWidth;
    property Title: string read FTitle write FTitle;
  end;

  TCols = class(TCollection)
  private
    function GetItem(Index: Integer): TCol;
  public
    property Items[Index: Integer]: TCol read GetItem; default;
  end;

  TBag = class(TCollection)
  end;

  TPanel = class(TComponent)
  private
    FColumns: @ITEMS@;
  published
    property Columns: @ITEMS@ read FColumns write FColumns;
  end;

  TBaseForm = class(TComponent)
  private
    FTop: Integer;
    FScaled: Boolean;
  published
    property Top: Integer read FTop write FTop;
    property Scaled: Boolean read FScaled write FScaled;
  end;

  TOther = class(TComponent)
  private
    FLeft: Integer;
  published
    property Left: Integer read FLeft write FLeft;
  end;

implementation

function TCols.GetItem(Index: Integer): TCol;
begin
  Result := TCol(inherited Items[Index]);
end;

end.
)";
    const std::string Main = R"(unit UMain;

interface

uses
  Classes, UParts;

type
  TForm1 = class(TBaseForm)
  published
    Panel1: TPanel;
  end;

implementation

{$R *.dfm}

end.
)";
    const std::string Program = "program Forms2;\n\nuses\n  UParts in 'UParts.pas',\n  UMain in 'UMain.pas';\n\nbegin\nend.\n";
    const struct {
        const char* Items;    // the type of TPanel.Columns
        const char* Class;
        const char* Symbol;
        // In the text form, and in the binary one as text (its list ends on a
        // line of its own); 0: renamed.
        int Line[2];
        const char* Message;
    } Cases[] = {
        {"TCols", "TBaseForm", "Top", {3, 3}, "Property, Top, is written for Form1 (TForm1) in "},
        {"TCols", "TBaseForm", "Scaled", {6, 6}, "Property, Scaled, is written for Form1 (TForm1) in "},
        {"TCols", "TPanel", "Columns", {21, 22}, "Property, Columns, is written for Panel1 (TPanel) in "},
        {"TCols", "TCol", "Width", {23, 24}, "Property, Width, is written for an item of Panel1.Columns in "},
        {"TCols", "TCol", "Title", {24, 25}, "Property, Title, is written for an item of Panel1.Columns in "},
        {"TBag", "TCol", "Width", {23, 24}, "Property, Width, may be written for an item of Panel1.Columns in "},
        // Written for TButton and TForm1, which TOther is not.
        {"TCols", "TOther", "Left", {0, 0}, ""},
    };
    const std::string Folder = std::string(QUILLET_SOURCE_DIR) + "/tests/model/data/";
    for (const int Binary : {0, 1})
        for (const auto& C : Cases) {
            const char* Form = Binary ? "MainForm.bin.dfm" : "MainForm.txt.dfm";
            const int Line = C.Line[Binary];
            std::string Text = Parts;
            for (size_t At; (At = Text.find("@ITEMS@")) != std::string::npos;)
                Text.replace(At, 7, C.Items);
            TRenameRun Run({{"Forms2.dpr", Program},
                            {"UParts.pas", Text},
                            {"UMain.pas", Main},
                            {"UMain.dfm", qlReadFile(Folder + Form)}});
            auto* Class = static_cast<TqlClass*>(Run.P.Unit("UParts")->GetClasses()->Find(C.Class));
            ASSERT_NE(Class, nullptr) << C.Class;
            TqlSymbol* Symbol = Class->GetProperties()->Find(C.Symbol);
            ASSERT_NE(Symbol, nullptr) << C.Symbol;
            bool Prepared = false;
            const auto Written = Run.Rename(Symbol, std::string(C.Symbol) + "2", &Prepared);
            const std::string What = std::string(Form) + " " + C.Class + "." + C.Symbol;
            if (Line == 0) {
                EXPECT_TRUE(Prepared) << What;
                EXPECT_TRUE(Run.P.Messages.empty()) << What << ": " << Run.P.Messages.front();
                continue;
            }
            EXPECT_FALSE(Prepared) << What;
            EXPECT_TRUE(Written.empty()) << What;
            ASSERT_EQ(Run.P.Messages.size(), 1u) << What;
            const std::string Place = "1:" + std::to_string(Line) + " ";
            EXPECT_EQ(Run.P.Messages[0].rfind(Place, 0), 0u) << What << ": " << Run.P.Messages[0];
            EXPECT_NE(Run.P.Messages[0].find(C.Message), std::string::npos) << What << ": " << Run.P.Messages[0];
            EXPECT_NE(Run.P.Messages[0].find("UMain.dfm, line " + std::to_string(Line)), std::string::npos)
                << Run.P.Messages[0];
        }
}

// A form file the renamer cannot follow refuses a rename of a property whose
// name it holds, at the first line that holds it.
TEST(SymbolRenamer, FormThatCannotBeFollowedRefusesItsPropertyNames)
{
    const std::string Unit = "unit UBox;\n\ninterface\n\ntype\n  TBox = class(TObject)\n  private\n"
                             "    FSize: Integer;\n  published\n    property Size: Integer read FSize write FSize;\n"
                             "  end;\n\nimplementation\n\nend.\n";
    const std::string Main = "unit UView;\n\ninterface\n\nuses\n  UBox;\n\nimplementation\n\n{$R *.dfm}\n\nend.\n";
    for (const auto& [Form, Refused] : std::vector<std::pair<std::string, bool>>{
             {"object View: TView\n  Left = 1\n  Size = (\nend\n", true},
             {"object View: TView\n  Left = 1\n  Width = (\nend\n", false},
             {"object View: TView\n  object Box1: TBox\n    Size = 3\n  end\nend\n", true}}) {
        TRenameRun Run({{"Boxes.dpr", "program Boxes;\n\nuses\n  UBox in 'UBox.pas',\n  UView in 'UView.pas';\n\nbegin\nend.\n"},
                        {"UBox.pas", Unit},
                        {"UView.pas", Main},
                        {"UView.dfm", Form}});
        auto* Box = static_cast<TqlClass*>(Run.P.Unit("UBox")->GetClasses()->Find("TBox"));
        ASSERT_NE(Box, nullptr);
        bool Prepared = false;
        Run.Rename(Box->GetProperties()->Find("Size"), "Extent", &Prepared);
        EXPECT_EQ(Prepared, !Refused) << Form;
        if (Refused) {
            ASSERT_EQ(Run.P.Messages.size(), 1u) << Form;
            EXPECT_EQ(Run.P.Messages[0].rfind("1:3 ", 0), 0u) << Run.P.Messages[0];
        }
    }
}

// An old-style object with no heritage has a known, empty ancestry: a bare
// inherited in its methods, or in those of an object below it, calls
// nothing. An object over an ancestor the analysis did not find may
// override, or call through inherited, a method of that ancestor.
TEST(SymbolRenamer, ObjectAncestryDecidesInheritedAndOverrides)
{
    const std::string Unit = "unit UObjs;\n\ninterface\n\ntype\n"
                             "  TLoose = object(TMissing)\n    procedure Draw; virtual;\n    procedure Wipe;\n  end;\n\n"
                             "  TRoot = object\n    procedure Reset;\n  end;\n\n"
                             "  TLeaf = object(TRoot)\n    procedure Clear;\n  end;\n\n"
                             "implementation\n\n"
                             "procedure TLoose.Draw;\nbegin\nend;\n\n"
                             "procedure TLoose.Wipe;\nbegin\n  inherited;\nend;\n\n"
                             "procedure TRoot.Reset;\nbegin\n  inherited;\nend;\n\n"
                             "procedure TLeaf.Clear;\nbegin\n  inherited;\nend;\n\nend.\n";
    const struct {
        const char* Object;
        const char* Method;
        const char* Refusal;  // empty where the rename goes through
    } Cases[] = {
        {"TRoot", "Reset", ""},
        {"TLeaf", "Clear", ""},
        {"TLoose", "Draw", "Method TLoose.Draw overrides a method of an ancestor the analysis did not find"},
        {"TLoose", "Wipe", "Method TLoose.Wipe calls a method of an ancestor the analysis did not find"},
    };
    for (const auto& C : Cases) {
        TRenameRun Run({{"UObjs.pas", Unit}});
        auto* Object = static_cast<TqlClass*>(Run.P.Unit("UObjs")->GetObjects()->Find(C.Object));
        ASSERT_NE(Object, nullptr) << C.Object;
        TqlSymbol* Method = Object->GetRoutines()->Find(C.Method);
        ASSERT_NE(Method, nullptr) << C.Method;
        bool Prepared = false;
        const auto Written = Run.Rename(Method, std::string(C.Method) + "2", &Prepared);
        EXPECT_EQ(Prepared, !*C.Refusal) << C.Method;
        if (*C.Refusal) {
            ASSERT_EQ(Run.P.Messages.size(), 1u) << C.Method;
            EXPECT_NE(Run.P.Messages[0].find(C.Refusal), std::string::npos) << Run.P.Messages[0];
        } else {
            ASSERT_EQ(Written.count("UObjs.pas"), 1u) << C.Method;
            EXPECT_NE(Written.at("UObjs.pas").find(std::string("procedure ") + C.Object + "." + C.Method + "2;"),
                      std::string::npos)
                << Written.at("UObjs.pas");
        }
    }
}
