// The renamer module over small Delphi programs: what it writes is built
// with the Free Pascal compiler beside the sources and must print the same,
// and a refused rename says why and writes nothing.
#include "tests/Refactorings/FpcRunSupport.h"
#include "tests/Refactorings/PluginModuleSupport.h"

#include <cstdio>

namespace {

struct TRenameCase {
    const char* Case;
    // Unit.Name.Name...; "#N" after a name picks the Nth declaration of it.
    const char* Symbol;
    const char* NewName;
    // Empty for a rename that goes through, else a part of its message; after
    // "?" a refusal that is acceptable in place of the rename.
    const char* Refusal;
};

std::ostream& operator<<(std::ostream& Out, const TRenameCase& C)
{
    return Out << C.Case << " " << C.Symbol << " -> " << C.NewName;
}

// The declaration Name (Nth of that name) of Container, else what its
// lookup finds.
TqlSymbol* FindDeclared(TqlUnit* Unit, TqlSymbol* Container, std::string Name)
{
    int Nth = 0;
    if (const size_t Hash = Name.find('#'); Hash != std::string::npos) {
        Nth = std::stoi(Name.substr(Hash + 1));
        Name.erase(Hash);
    }
    if (auto* C = dynamic_cast<TqlSymbolContainer*>(Container))
        for (int I = 0; I < C->GetSymbolCount(); ++I)
            if (qlSameName(C->GetSymbol(I)->GetName(), Name) && --Nth <= 0)
                return C->GetSymbol(I);
    if (Nth > 0)
        return nullptr;
    // Labels and exception handler variables are outside the name index.
    if (auto* C = dynamic_cast<TqlVarContainer*>(Container)) {
        for (int I = 0; I < C->GetLabels()->GetCount(); ++I)
            if (qlSameName(C->GetLabels()->GetLabels(I)->GetName(), Name))
                return C->GetLabels()->GetLabels(I);
        for (int I = 0; I < C->GetVariables()->GetCount(); ++I)
            if (qlSameName(C->GetVariables()->GetVariables(I)->GetName(), Name))
                return C->GetVariables()->GetVariables(I);
    }
    return Container->FindSymbol(Unit, dynamic_cast<TqlClass*>(Container), Name);
}

// Builds Program in Folder in Delphi mode and answers what it prints, or
// "<build failed>" with the compiler's output.
std::string BuildAndRun(const fs::path& Folder, const std::string& Program)
{
    if (!qlFpcBuild(Folder, Program))
        return "<build failed>\n" + qlReadFile(Folder / "build.log");
    return qlRunBuilt(Folder, Program);
}

class RenameFixture : public PluginModuleTest, public ::testing::WithParamInterface<TRenameCase> {};

} // namespace

TEST_P(RenameFixture, WritesWhatBuildsAndMeansTheSameOrRefuses)
{
    const TRenameCase& C = GetParam();
    Load("SymbolRenamer");
    AnalyzeCase(C.Case);
    std::string Path = C.Symbol;
    const size_t Dot = Path.find('.');
    TqlUnit* Home = Unit(Path.substr(0, Dot));
    ASSERT_NE(Home, nullptr);
    TqlSymbol* Symbol = Home;
    for (size_t At = Dot; At != std::string::npos && Symbol;) {
        const size_t Next = Path.find('.', At + 1);
        Symbol = FindDeclared(Home, Symbol, Path.substr(At + 1, Next == std::string::npos ? Next : Next - At - 1));
        At = Next;
    }
    ASSERT_NE(Symbol, nullptr);
    Host->SelectedSymbol = Symbol;
    Host->InputAnswers.push_back(std::string(C.NewName));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    const auto Files = Written();
    const auto Messages = HostMessages();
    const bool MayRefuse = *C.Refusal == '?';
    if (*C.Refusal && (!MayRefuse || !Messages.empty())) {
        EXPECT_TRUE(Files.empty());
        ASSERT_EQ(Messages.size(), 1u);
        EXPECT_NE(Messages[0].find(C.Refusal + (MayRefuse ? 1 : 0)), std::string::npos) << Messages[0];
        return;
    }
    EXPECT_TRUE(Messages.empty()) << Messages.front();
    ASSERT_FALSE(Files.empty());
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    // The sources, and the sources with the written files in their place.
    const fs::path Before = fs::path(Run) / "before", After = fs::path(Run) / "after";
    const fs::path Source = qlCaseFolder(C.Case) / "before";
    fs::copy(Source, Before, fs::copy_options::recursive);
    fs::copy(Source, After, fs::copy_options::recursive);
    const bool UnitRenamed = Symbol == Home;
    if (UnitRenamed)
        fs::remove(After / fs::path(Home->GetFullFileName()).filename());
    std::string Program;
    for (const auto& E : fs::directory_iterator(Source))
        if (E.path().extension() == ".dpr")
            Program = E.path().filename().string();
    for (const auto& [Name, Text] : Files)
        std::ofstream(After / Name, std::ios::binary) << Text;
    const std::string Was = BuildAndRun(Before, Program);
    ASSERT_EQ(Was.find("<build failed>"), std::string::npos) << Was;
    EXPECT_EQ(BuildAndRun(After, Program), Was);
}

INSTANTIATE_TEST_SUITE_P(
    Renames, RenameFixture,
    ::testing::Values(
        // Every place of the old name changes, headings and forward
        // declarations included.
        TRenameCase{"rename_method_heading", "UFoo.TFoo.FBase", "FStart", ""},
        TRenameCase{"rename_pascal_result", "Results.Twice", "Double", ""},
        TRenameCase{"rename_pascal_result", "Results.Fact", "Factorial", ""},
        TRenameCase{"rename_forward_types", "Nodes.PNode", "PItem", ""},
        // One overload: only the calls that bind to it.
        TRenameCase{"rename_overload", "USums.Sum#2", "Total", ""},
        TRenameCase{"rename_overload", "USums.Sum#1", "Single", ""},
        TRenameCase{"rename_overload", "USums.Twice#1", "Double", "Call of Twice here could not be bound to one overload"},
        // Overloads of a program, each declared with its body.
        TRenameCase{"rename_overload_program", "Overloads.Sum", "Total", ""},
        TRenameCase{"rename_pascal_result", "Results.Later", "Afterwards", ""},
        // A parameter may take the name of a routine its routine does not call.
        TRenameCase{"rename_overload", "USums.Sum#1.A", "Twice", ""},
        // Every place of the old name changes, headings, labels, forward
        // declarations and a unit's own qualified names included.
        TRenameCase{"rename_method_heading", "UFoo.TFoo.Get", "Fetch", ""},
        TRenameCase{"rename_forward_types", "Nodes.TNode", "TItem", ""},
        TRenameCase{"rename_forward_types", "Nodes.TTree", "TForest", ""},
        TRenameCase{"rename_label", "Jumps.Count.Done", "Finish", ""},
        TRenameCase{"rename_unit_qualified", "uBase.Count", "Total", ""},
        TRenameCase{"rename_unit_qualified", "uBase", "uCore", ""},
        // A unit whose file starts with a UTF-8 byte-order mark.
        TRenameCase{"rename_bom", "UBom", "UBase", ""},
        TRenameCase{"rename_bom", "UBom.Twice", "Double", ""},
        TRenameCase{"rename_members", "Members.TList2.Fill", "Populate", ""},
        TRenameCase{"rename_inherited", "Inherit.TBase.Clear", "Wipe", ""},
        // Overloads declared apart from their implementations.
        TRenameCase{"rename_overload_unit", "UGen.Gen#1", "Make", "?did not tie its declaration and implementation together"},
        TRenameCase{"rename_overload_unit", "UGen.Gen#2", "Make", "?did not tie its declaration and implementation together"},
        TRenameCase{"rename_overload_unit", "UGen.Gen#1.R", "Text", "?is a parameter of the overloaded routine Gen"},
        TRenameCase{"rename_overload_unit", "UGen.Gen#2.F", "Factor", "?is a parameter of the overloaded routine Gen"},
        TRenameCase{"rename_overload_unit", "Over.TNames.Sorted", "Ordered", "Property, Sorted, redeclares an inherited property"},
        // Members the analysis reaches in other ways.
        TRenameCase{"rename_members", "Members.TCell.Value", "Val", ""},
        TRenameCase{"rename_members", "Members.TList2.Items", "Cells", ""},
        // Members used inside with Self, with A[I], with Items[I], with a
        // function's result: the types of the with statements are known.
        TRenameCase{"rename_with_types", "WithTypes.TCell.Value", "Amount", ""},
        TRenameCase{"rename_with_types", "WithTypes.TSheet.Total", "Grand", ""},
        TRenameCase{"rename_with_types", "WithTypes.TSheet.Total", "Value", "Name, Value, already stands for TCell.Value where Total is used"},
        // A with statement over a type the analysis did not find.
        TRenameCase{"rename_with_unknown", "Unknown.Report", "Show", "Name, Show, may be a member of the type of an enclosing with statement"},
        // Uses after a class var section.
        TRenameCase{"rename_class_var", "Counters.TCounter.Step", "Stride", "?was not analysed to its end"},
        TRenameCase{"rename_class_var", "Counters.TCounter.Made", "Built", "?was not analysed to its end"},
        TRenameCase{"rename_members", "Members.IRunner.Go", "Start", "is a method of interface IRunner"},
        // A redeclared property is renamed with the one it redeclares.
        TRenameCase{"rename_members", "Members.TNamed.Name", "Title", ""},
        TRenameCase{"rename_members", "Members.TPublicNamed.Name", "Caption", ""},
        TRenameCase{"rename_members", "Members.TList2.GetItem.Result", "Value", "is the result of function GetItem"},
        // The new name already means something else where the old one is
        // used, or the renamed symbol would hide what it means.
        TRenameCase{"rename_clash", "Clash.gCount", "FCount", "Name, FCount, already stands for TCounter.FCount where gCount is used"},
        TRenameCase{"rename_clash", "Clash.Helper", "Helper2", "Name, Helper2, already stands for UseHelper.Helper2 where Helper is used"},
        TRenameCase{"rename_clash", "Clash.Step", "Width", "Name, Width, already stands for TPair.Width where Step is used"},
        TRenameCase{"rename_clash", "ULimits.Limit", "Cap", "Name, Cap, already stands for UCaps.Cap where Limit is used"},
        TRenameCase{"rename_clash", "UCaps.Cap", "Limit", "Name, Limit, stands here for another symbol, which the renamed Cap would hide"},
        TRenameCase{"rename_clash", "Clash.TCounter.FCount", "gCount", "Name, gCount, stands here for another symbol, which the renamed FCount would hide"},
        TRenameCase{"rename_clash", "Clash.Guard.E", "Msg", "Name, Msg, is already declared in Guard"},
        TRenameCase{"rename_clash", "Clash.Guard.E", "Error", ""},
        TRenameCase{"rename_clash", "ULimits.Limit", "MaxLimit", ""},
        // A unit that does not use the renamed symbol still sees its new name.
        TRenameCase{"rename_hidden_unit", "UB.Cap", "Limit", "Name, Limit, stands here for another symbol, which the renamed Cap would hide"},
        TRenameCase{"rename_hidden_unit", "UB.Cap", "Ceiling", ""},
        TRenameCase{"rename_hidden_member", "UBaseCls.TBase.FValue", "Total", "Name, Total, stands here for another symbol, which the renamed FValue would hide"},
        TRenameCase{"rename_hidden_member", "UBaseCls.TBase.FValue", "FStart", ""},
        TRenameCase{"rename_clash", "Clash.Step", "Stride", ""},
        // A bare inherited calls the method by its old name.
        TRenameCase{"rename_inherited", "Inherit.TBase.Reset", "Restart", "calls the renamed Reset through a bare inherited"},
        // What the analysis did not see.
        TRenameCase{"rename_hidden_text", "UBytes.SwapWordBE", "SwapBytes", "Name, SwapWordBE, occurs here where the analysis recorded no use"},
        TRenameCase{"rename_hidden_text", "UColors.TColorFormat", "TPixelFormat", "colors.inc, which is not changed"},
        TRenameCase{"rename_hidden_text", "UColors.Shade", "Tint", ""},
        TRenameCase{"rename_syntax_error", "UGood.Answer", "Reply", "Unit, UBad, was not analysed to its end and names Answer"},
        TRenameCase{"rename_form_class", "UMain.TForm1", "TMainForm", "UMain.dfm, which is not changed"}));
