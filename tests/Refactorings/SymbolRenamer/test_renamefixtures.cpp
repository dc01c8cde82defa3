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

// Builds Program in Folder in Delphi mode (with the units of its "lib"
// folder) and answers what it prints, or "<build failed>" with the
// compiler's output.
std::string BuildAndRun(const fs::path& Folder, const std::string& Program)
{
    if (!qlFpcBuild(Folder, Program, fs::exists(Folder / "lib") ? fs::path("lib") : fs::path()))
        return "<build failed>\n" + qlReadFile(Folder / "build.log");
    return qlRunBuilt(Folder, Program);
}

class RenameFixture : public PluginModuleTest, public ::testing::WithParamInterface<TRenameCase> {
protected:
    // The host's messages, "File X:Y text".
    std::vector<std::string> PlacedMessages() const
    {
        std::vector<std::string> Result;
        TqlFileNameList* Files = Project->GetFileNames();
        for (const Ref<IqlMessage>& M : Host->Messages) {
            const TqlCodeLocation* At = M->GetCodeLocation();
            const int Index = At->GetFileIndex();
            const std::string File = Index >= 0 && Index < Files->GetCount()
                                         ? fs::path(Files->GetItems(Index)->GetFullFileName()).filename().string()
                                         : "?";
            Result.push_back(File + " " + std::to_string(At->GetX()) + ":" + std::to_string(At->GetY()) + " " +
                             M->GetMessageText());
        }
        return Result;
    }
};

} // namespace

TEST_P(RenameFixture, WritesWhatBuildsAndMeansTheSameOrRefuses)
{
    const TRenameCase& C = GetParam();
    Load("SymbolRenamer");
    // A case's "lib" folder is a library folder, before the shipped system
    // unit's: its units are no sources of the project.
    if (fs::exists(qlCaseFolder(C.Case) / "before" / "lib")) {
        Project->GetSystemOptions()->GetLibrarySearchPath()->Add(Folder.Path() + "/lib");
        qlAddShippedSystemFolder(Project->GetSystemOptions()->GetLibrarySearchPath());
    }
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
    const auto Messages = PlacedMessages();
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
        // A parameter of a method matching a procedural type's: the
        // procedural type's parameter of that name is another declaration.
        TRenameCase{"rename_procedural_params", "UEvents.TButton.Report.Sender", "Source", ""},
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
        // New and Dispose name an object's constructor and destructor.
        TRenameCase{"rename_new_init", "UCounter.TCounter.Init", "Setup", ""},
        TRenameCase{"rename_new_init", "UCounter.TCounter.Done", "Finish", ""},
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
        TRenameCase{"rename_members", "Members.IRunner.Go", "Start", ""},
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
        TRenameCase{"rename_inherited", "Inherit.TDerived.Reset", "Restart",
                    "Method TDerived.Reset calls TBase.Reset through a bare inherited here, which keeps its name"},
        TRenameCase{"rename_inherited", "Inherit.TQuietTicker.Tick", "Beat",
                    "Method TQuietTicker.Tick calls TFastTicker.Tick through a bare inherited here, which keeps its name"},
        TRenameCase{"rename_inherited", "Inherit.TTicker.Tick", "Beat",
                    "Method TQuietTicker.Tick calls the renamed Tick through a bare inherited"},
        TRenameCase{"rename_inherited", "Inherit.TFastestTicker.Show", "Display",
                    "Method TFastTicker.Show calls TTicker.Show through a bare inherited here, which keeps its name"},
        // A virtual method with its overrides in another unit, the function
        // results and the inherited calls among them, from either end.
        TRenameCase{"rename_family", "UShapes.TShape.Area", "Surface", ""},
        TRenameCase{"rename_family", "UCircle.TRing.Area", "Surface", ""},
        TRenameCase{"rename_family", "UShapes.TShape.Describe", "Show", ""},
        TRenameCase{"rename_family", "UCircle.TCircle.Describe", "Show", ""},
        TRenameCase{"rename_family", "UCircle.TCircle.Area", "FSide", "Name, FSide, is already declared in TSquare"},
        // Old-style objects override by declaring the method virtual again:
        // the family from either end or the middle; a static method of the
        // same name in a descendant is another method.
        TRenameCase{"rename_family_object", "UFigures.TFigure.Area", "Size", ""},
        TRenameCase{"rename_family_object", "UBoxes.TCrate.Area", "Size", ""},
        TRenameCase{"rename_family_object", "UBoxes.TBox.Area", "Surface", ""},
        TRenameCase{"rename_family_object", "UFigures.TFigure.Caption", "Title", ""},
        // A bare inherited in a method of an object with no ancestor calls
        // nothing: its ancestry is known and empty.
        TRenameCase{"rename_family_object", "UFigures.TFigure.Show", "Display", ""},
        // Overloaded virtual methods: each overload's overrides are a family
        // of their own, though a class in between overrides only the other.
        TRenameCase{"rename_family_overload", "UScalers.TDoubler.Scale", "Resize", ""},
        TRenameCase{"rename_family_overload", "UScalers.TScaler.Scale#1", "Resize", ""},
        TRenameCase{"rename_family_overload", "UScalers.TScaler.Scale#2", "Stretch", ""},
        TRenameCase{"rename_family_overload", "UScalers2.TTripler.Scale", "Stretch", ""},
        // Interface methods and the class methods that implement them, an
        // inherited one and an override among them.
        TRenameCase{"rename_family_interface", "UGreetIntf.IGreeter.Greet", "Welcome", ""},
        TRenameCase{"rename_family_interface", "UGreet.TPolite.Greet", "Welcome", ""},
        TRenameCase{"rename_family_interface", "UGreetIntf.IHelloer.Wave", "Flap", ""},
        TRenameCase{"rename_family_interface", "UGreet.TLoudGreeter.Greet", "Wave",
                    "Name, Wave, is already declared in TLoudGreeter"},
        // A method resolution clause names the interface's method: it is
        // renamed there, and the class's own Count keeps its name.
        TRenameCase{"rename_family_interface", "UGreetIntf.ICounter.Count", "Add", ""},
        TRenameCase{"rename_family_interface", "UGreet.TTally.Count", "Add", ""},
        // A method resolution clause maps the interface's method to a method
        // of another name: each keeps its own, and the clause follows both.
        TRenameCase{"rename_family_clause", "UGreeters.IGreeter.Greet", "Welcome", ""},
        TRenameCase{"rename_family_clause", "UGreeters.TPlain.Greet", "Welcome", ""},
        TRenameCase{"rename_family_clause", "UGreeters.TGreeter.SayHello", "Hello", ""},
        TRenameCase{"rename_family_clause", "UGreeters.TGreeter.Greet", "Shout", ""},
        TRenameCase{"rename_family_clause", "UGreeters.TQuiet.Mumble", "Whisper", ""},
        TRenameCase{"rename_family_clause", "UGreeters.IGreeter.Greet", "Mumble", ""},
        // A method of an implementing class calls a routine of the new name.
        TRenameCase{"rename_family_interface", "UGreetIntf.IGreeter.Greet", "Salute",
                    "Name, Salute, stands here for another symbol, which the renamed Greet would hide"},
        // A unit that sees an implementing class but not the interface's unit.
        TRenameCase{"rename_family_interface", "UGreetIntf.IGreeter.Greet", "Cheer",
                    "Name, Cheer, stands here for another symbol, which the renamed Greet would hide"},
        // A form that inherits the method names it as a handler.
        TRenameCase{"rename_family_form", "UBaseForm.TBaseForm.ButtonClick", "Pressed",
                    "UMain.dfm, which is not changed"},
        // A member outside the project's sources keeps the family's name.
        TRenameCase{"rename_family_library", "UTasks.TMyTask.Run", "Start",
                    "Method TMyTask.Run must keep the name of TLibBase.Run, which lies in unit ULib, no source of the project"},
        TRenameCase{"rename_family_library", "ULib.TLibBase.Run", "Start",
                    "Method TLibBase.Run lies in unit ULib, no source of the project"},
        TRenameCase{"rename_family_library", "UTasks.TMyTask.Destroy", "Finish",
                    "Method TMyTask.Destroy must keep the name of TObject.Destroy, which lies in unit QuilletSystem"},
        TRenameCase{"rename_family_library", "UTasks.TJob.Execute", "Perform",
                    "Method TJob.Execute must keep the name of ILibTask.Execute, which lies in unit ULib"},
        TRenameCase{"rename_family_library", "UTasks.TNames.Changed", "Modified",
                    "Method TNames.Changed overrides a method of an ancestor the analysis did not find"},
        TRenameCase{"rename_family_library", "UTasks.TStreamer.SaveToStream", "Store",
                    "Method TStreamer.SaveToStream may implement a method of IStreamPersist, an interface the analysis did not find"},
        // Self and Result as new names, where a method's body reads its
        // object and a function's body its result, also from a nested
        // routine; elsewhere they are names like others.
        TRenameCase{"rename_implicit_names", "UPairs.TPair.Other", "Self",
                    "UPairs.pas 13:46 SymbolRenamer: Name, Self, stands for the object of method TPair.Partner where Other is used here"},
        TRenameCase{"rename_implicit_names", "UPairs._Cal", "Self", "Name, Self, stands for the object of method TPair.Same"},
        TRenameCase{"rename_implicit_names", "UPairs.Hits", "Self", "Name, Self, stands for the object of method TPair.Counted"},
        TRenameCase{"rename_implicit_names", "UPairs.Hits", "Result", "Name, Result, stands for the result of function TPair.Counted"},
        TRenameCase{"rename_implicit_names", "UPairs.Limit", "Result", "Name, Result, stands for the result of function Doubled"},
        TRenameCase{"rename_implicit_names", "UPairs.Limit", "Self", ""},
        TRenameCase{"rename_implicit_names", "UPairs.TPair.Same", "Result", ""},
        // A unit's new name that a unit using it, or the unit itself, reads
        // bare; a member or a heading of that name is no reading of it.
        TRenameCase{"rename_implicit_names", "UTexts", "Length",
                    "UTexts.pas 17:11 SymbolRenamer: Name, Length, is read here without a unit before it and would name the renamed unit UTexts"},
        TRenameCase{"rename_implicit_names", "UPairs", "Doubled",
                    "Implicit.dpr 27:17 SymbolRenamer: Name, Doubled, is read here without a unit before it"},
        TRenameCase{"rename_implicit_names", "UPairs", "Tag", ""},
        TRenameCase{"rename_implicit_names", "UTexts", "UStrings", ""},
        // The directives index and message are no uses of a name.
        TRenameCase{"rename_directive_words", "UCells.TCells.Index", "Position", ""},
        TRenameCase{"rename_directive_words", "UCells.TCells.GetItem.Index", "Slot", ""},
        TRenameCase{"rename_directive_words", "UCells.TWatcher.CMNotify.Message", "Info", ""},
        TRenameCase{"rename_directive_words", "UCells.TWatcher.CMReset.Message", "Info", ""},
        // A clash names the class that declares the other name.
        TRenameCase{"rename_clash_ancestor", "URects.TRect.FW", "FSize", "Name, FSize, is already declared in TShape"},
        TRenameCase{"rename_clash_ancestor", "URects.TSquare.FSide", "FSize", "Name, FSize, is already declared in TShape"},
        TRenameCase{"rename_clash_ancestor", "URects.TSquare.FSide", "FW", "Name, FW, is already declared in TRect"},
        TRenameCase{"rename_clash_ancestor", "URects.TRect.FW", "FWidth", ""},
        // What the analysis did not see.
        TRenameCase{"rename_hidden_text", "UBytes.SwapWordBE", "SwapBytes", "Name, SwapWordBE, occurs here where the analysis recorded no use"},
        TRenameCase{"rename_hidden_text", "UColors.TColorFormat", "TPixelFormat", "colors.inc, which is not changed"},
        TRenameCase{"rename_hidden_text", "UColors.Shade", "Tint", ""},
        TRenameCase{"rename_syntax_error", "UGood.Answer", "Reply", "Unit, UBad, was not analysed to its end and names Answer"},
        TRenameCase{"rename_form_class", "UMain.TForm1", "TMainForm", "UMain.dfm, which is not changed"},
        // A parameter or local hides the new name only inside its own routine.
        TRenameCase{"rename_local_hides", "UCalc.AddIt", "Extra", ""},
        TRenameCase{"rename_local_hides", "UCalc.AddIt", "Count", ""},
        TRenameCase{"rename_local_hides", "UCalc.Twice", "Shown", ""},
        TRenameCase{"rename_local_hides", "UCalc.AddIt", "Spare", "Name, Spare, already stands for Sum3.Spare where AddIt is used"},
        // A name the analysis could not resolve (SysUtils is not on the
        // search path) may come to mean the renamed symbol: in its own unit,
        // in a unit that uses it, in a unit that only sees it.
        TRenameCase{"rename_unresolved_name", "UText.Wrap", "UpperCase", "UText.pas 13:21 SymbolRenamer: Name, UpperCase, is used here for a symbol the analysis could not resolve"},
        TRenameCase{"rename_unresolved_name", "UText.Loud", "LowerCase", "UOther.pas 11:14 SymbolRenamer: Name, LowerCase, is used here for a symbol the analysis could not resolve"},
        TRenameCase{"rename_unresolved_name", "UText.Pad", "LowerCase", "UOther.pas 11:14 SymbolRenamer: Name, LowerCase, is used here for a symbol the analysis could not resolve"},
        TRenameCase{"rename_unresolved_name", "UText.Pad.N", "UpperCase", ""},
        TRenameCase{"rename_unresolved_name", "UText.Wrap", "Enclose", ""},
        // A form of another unit, which the program streams at run time,
        // writes a published property of the renamed member's class, of a
        // descendant, or of an object a property holds.
        TRenameCase{"rename_form_member", "UBtn.TMyBtn.OnClick", "OnPress", "UComp2.dfm 1:5 SymbolRenamer: Property, OnClick, is written for B1 (TMyBtn) in"},
        TRenameCase{"rename_form_member", "UBtn.TMyBtn.Hint", "Tip", "UComp2.dfm 1:15 SymbolRenamer: Property, Hint, is written for B2 (TBigBtn) in"},
        TRenameCase{"rename_form_member", "UBtn.TMyBtn.Caption", "Title", "UComp2.dfm 1:3 SymbolRenamer: Property, Caption, is written for B1 (TMyBtn) in"},
        TRenameCase{"rename_form_member", "UBtn.TBtnStyle.Bold", "Heavy", "UComp2.dfm 1:4 SymbolRenamer: Property, Bold, is written for B1 (TMyBtn) in"},
        TRenameCase{"rename_form_member", "UBig.TBigBtn.Level", "Depth", "UComp2.dfm 1:16 SymbolRenamer: Property, Level, is written for B2 (TBigBtn) in"},
        TRenameCase{"rename_form_member", "UBtn.TMyCol.Width", "Size", "UComp2.dfm 1:8 SymbolRenamer: Property, Width, is written for an item of B1.Columns in"},
        TRenameCase{"rename_form_member", "UBtn.TMyBtn.Columns", "Cols", "UComp2.dfm 1:6 SymbolRenamer: Property, Columns, is written for B1 (TMyBtn) in"},
        TRenameCase{"rename_form_member", "UComp2.TComp2.B1Click", "B1Press", "UComp2.dfm, which is not changed"},
        TRenameCase{"rename_form_member", "UBtn.TMyBtn.Count", "Total", ""},
        TRenameCase{"rename_form_member", "UBig.TTag.Caption", "Text", ""},
        // A library folder's include file includes another from a folder of
        // its own, which defines the symbol that picks a body.
        TRenameCase{"rename_include_library", "UWidgets.TWidget.FWidth", "FSize", ""},
        TRenameCase{"rename_include_library", "UWidgets.Framed", "Bracketed", ""}));

// Forms that {$R Name.dfm} names (quoted, in a sub-folder) and a binary form
// of a unit's name that the program streams with no {$R}: a property, a
// dotted property, a collection item's property or a handler that such a
// form writes keeps its name; the rest is renamed and runs the same.
INSTANTIATE_TEST_SUITE_P(
    FormFiles, RenameFixture,
    ::testing::Values(
        TRenameCase{"rename_form_resource", "UMainForm.TMainForm.Title", "Heading", "FForm.dfm 1:2 SymbolRenamer: Property, Title, is written for MainForm (TMainForm) in"},
        TRenameCase{"rename_form_resource", "UParts.TPart.Caption", "Text", "FForm.dfm 1:4 SymbolRenamer: Property, Caption, is written for Part1 (TPart) in"},
        TRenameCase{"rename_form_resource", "UParts.TPartStyle.Bold", "Heavy", "FForm.dfm 1:5 SymbolRenamer: Property, Bold, is written for Part1 (TPart) in"},
        TRenameCase{"rename_form_resource", "UParts.TPart.OnPress", "OnPush", "FForm.dfm 1:6 SymbolRenamer: Property, OnPress, is written for Part1 (TPart) in"},
        TRenameCase{"rename_form_resource", "UMainForm.TMainForm.Part1Press", "Part1Push", "FForm.dfm 1:6 SymbolRenamer: Symbol, Part1Press, is used in"},
        TRenameCase{"rename_form_resource", "UParts.TColumn.Width", "Breadth", "FForm.dfm 1:9 SymbolRenamer: Property, Width, is written for an item of Part1.Columns in"},
        TRenameCase{"rename_form_resource", "UTools.TToolBox.Hint", "Tip", "Tools.dfm 1:2 SymbolRenamer: Property, Hint, is written for ToolBox (TToolBox) in"},
        TRenameCase{"rename_form_resource", "UParts.TPartStyle.Size", "Points", "Tools.dfm 1:4 SymbolRenamer: Property, Size, is written for Tool1 (TPart) in"},
        TRenameCase{"rename_form_resource", "UParts.TColumn.Tag", "Mark", "Tools.dfm 1:7 SymbolRenamer: Property, Tag, is written for an item of Tool1.Columns in"},
        TRenameCase{"rename_form_resource", "UMainForm.TMainForm.Count", "Total", ""},
        TRenameCase{"rename_form_resource", "UParts.TPart.Press", "Push", ""},
        TRenameCase{"rename_form_beside", "UPanel.TInfoPanel.Heading", "Title", "UPanel.dfm 1:3 SymbolRenamer: Property, Heading, is written for Panel1 (TInfoPanel) in"},
        TRenameCase{"rename_form_beside", "UPanel.TPanelFont.Size", "Points", "UPanel.dfm 1:4 SymbolRenamer: Property, Size, is written for Panel1 (TInfoPanel) in"},
        TRenameCase{"rename_form_beside", "UPanel.TInfoPanel.OnShown", "OnVisible", "UPanel.dfm 1:5 SymbolRenamer: Property, OnShown, is written for Panel1 (TInfoPanel) in"},
        TRenameCase{"rename_form_beside", "UPanel.TPanelForm.Panel1Shown", "Panel1Visible", "UPanel.dfm 1:5 SymbolRenamer: Symbol, Panel1Shown, is used in"},
        // The collection is declared as the library's TCollection: its
        // items may be of any descendant of TCollectionItem.
        TRenameCase{"rename_form_beside", "UPanel.TLine.Text", "Caption", "UPanel.dfm 1:8 SymbolRenamer: Property, Text, may be written for an item of Panel1.Lines in"},
        TRenameCase{"rename_form_beside", "UPanel.TInfoPanel.Level", "Depth", ""}));
