// The host's registry and the plug-in contract, with plug-ins built for the
// tests.
#include "RefactoringTestSupport.h"

#include "desktop/uqlPluginLoader.h"
#include "model/uqlMessage.h"

#include <algorithm>

namespace {

std::vector<std::string> Events;

Ref<TTestRefactoring> Named(const std::string& Name)
{
    Ref<TTestRefactoring> R(new TTestRefactoring());
    R->Name = Name;
    R->Body = [Name](TTestRefactoring&) { Events.push_back("run " + Name); };
    return R;
}

// The menu as text: groups as "[caption]" with their children, commands as
// their caption.
std::string Menu(const TqlRefactoringRegistry::TItem& Item)
{
    std::string Out;
    for (const auto& Child : Item.Children) {
        Out += Out.empty() ? "" : " ";
        Out += Child->IsGroup() ? "[" + Child->Caption + (Child->Children.empty() ? "" : ": " + Menu(*Child)) + "]"
                                : Child->Caption;
    }
    return Out;
}

} // namespace

// The test plug-ins report through this.
extern "C" __attribute__((visibility("default"))) void qlTestPluginEvent(const char* Event)
{
    Events.push_back(Event);
}

TEST(Registry, GroupsAndCommandsFormTheMenu)
{
    TqlRefactoringRegistry Registry;
    std::vector<std::string> Mirror;
    Registry.OnItemAdded = [&](const TqlRefactoringRegistry::TItem& I) { Mirror.push_back("+" + I.Caption); };
    Registry.OnItemRemoved = [&](const TqlRefactoringRegistry::TItem& I) { Mirror.push_back("-" + I.Caption); };
    Registry.AddGroup("Top", "Top", "");
    Registry.AddGroup("Sub", "Sub", "Top");
    Registry.RegisterRefactoring(Named("A"), "Sub");
    Registry.RegisterRefactoring(Named("B"), "sub");
    Registry.RegisterRefactoring(Named("C"), "");
    EXPECT_EQ(Menu(Registry.TopLevel()), "[Top: [Sub: A caption B caption]] C caption");
    EXPECT_EQ(TqlRefactoringRegistry::GroupMenuItemName("Top"), "TopMenuItem");

    struct Case {
        std::function<void()> Call;
        std::string Message;
    } Cases[] = {
        {[&] { Registry.AddGroup("Top", "Again", ""); }, "Group, Top, already added"},
        {[&] { Registry.AddGroup("New", "New", "Missing"); }, "Group, Missing, not found"},
        {[&] { Registry.RegisterRefactoring(Named("D"), "Missing"); }, "Group, Missing, not found"},
        {[&] { Registry.RemoveGroup("Missing"); }, "Group, Missing, not found"},
        {[&] { Registry.UnregisterRefactoring(Named("A")); }, "Refactoring not registered."},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Raised(C.Call), C.Message);
    // Nothing of the failed calls stays.
    EXPECT_EQ(Menu(Registry.TopLevel()), "[Top: [Sub: A caption B caption]] C caption");
    EXPECT_EQ(Registry.Refactorings().size(), 3u);

    // A removed group takes its commands along; the refactorings stay.
    Mirror.clear();
    Registry.RemoveGroup("Sub");
    EXPECT_EQ(Mirror, (std::vector<std::string>{"-B caption", "-A caption", "-Sub"}));
    EXPECT_EQ(Menu(Registry.TopLevel()), "[Top] C caption");
    EXPECT_EQ(Registry.Refactorings().size(), 3u);
}

TEST(Registry, CommandsStayRightWhateverIsUnregistered)
{
    Events.clear();
    TqlRefactoringRegistry Registry;
    Ref<TTestRefactoring> A = Named("A"), B = Named("B"), C = Named("C");
    for (const auto& R : {A, B, C})
        Registry.RegisterRefactoring(R, "");
    Registry.UnregisterRefactoring(A);
    EXPECT_EQ(Menu(Registry.TopLevel()), "B caption C caption");
    const auto Commands = Registry.Commands();
    ASSERT_EQ(Commands.size(), 2u);
    TqlRefactoringRegistry::Execute(*Commands[0]);
    TqlRefactoringRegistry::Execute(*Commands[1]);
    EXPECT_EQ(Events, (std::vector<std::string>{"run B", "run C"}));
    EXPECT_EQ(A->RefCount(), 1) << "the registry let go of A";
    EXPECT_EQ(B->RefCount(), 3) << "list entry and command each hold B";
    Registry.Clear();
    EXPECT_EQ(B->RefCount(), 1);
}

TEST_F(RefactoringTest, TheHeadlessHostRecordsMessagesAndAnswersScriptedInput)
{
    Refactoring->Name = "Renamer";
    Host->AddMessage(Ref<IqlRefactoring>(Refactoring.get()),
                     Ref<IqlMessage>(new TqlMessage("Nothing to do", 3, 7, 9, true)));
    ASSERT_EQ(Host->Messages.size(), 1u);
    EXPECT_EQ(Host->Messages[0]->GetMessageText(), "Renamer: Nothing to do");
    EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetFileIndex(), 3);
    EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetX(), 7);
    EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetY(), 9);
    EXPECT_FALSE(Host->Messages[0]->GetInterfaceSection());

    Host->InputAnswers = {std::string("NewName"), std::nullopt};
    std::string Value = "Old";
    EXPECT_TRUE(qlInputQuery("Rename", "New name:", Value));
    EXPECT_EQ(Value, "NewName");
    EXPECT_FALSE(qlInputQuery("Rename", "New name:", Value));
    EXPECT_FALSE(qlInputQuery("Rename", "New name:", Value)) << "no answers left";
    EXPECT_EQ(Value, "NewName");

    Host->RegisterRefactoring(Ref<IqlRefactoring>(Refactoring.get()), "");
    int Runs = 0;
    Refactoring->Body = [&](TTestRefactoring&) { ++Runs; };
    EXPECT_TRUE(Host->Run("Renamer"));
    EXPECT_FALSE(Host->Run("Missing"));
    EXPECT_EQ(Runs, 1);
}

TEST(PluginLoader, EntriesNameModulesBesideTheProgram)
{
    TqlPluginLoader Loader(QUILLET_TEST_PLUGINS);
    const std::string Dir = QUILLET_TEST_PLUGINS;
    struct Case {
        std::string Entry, File;
    } Cases[] = {
        {"  ", ""},
        {" qlTestGood ", Dir + "/qlTestGood.so"},
        {"qltestgood.BPL", Dir + "/qlTestGood.so"},
        {"QLTESTGOOD.so", Dir + "/qlTestGood.so"},
        {"..\\plugins\\qlTestGood", Dir + "/qlTestGood.so"},
        {"sub\\Missing.bpl", Dir + "/sub/Missing.so"},
        {Dir + "/qlTestGood.so", Dir + "/qlTestGood.so"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Loader.ResolveEntry(C.Entry), C.File) << C.Entry;
}

TEST(PluginLoader, LoadsInOrderReportsEachBadEntryAndFinalisesInReverse)
{
    Events.clear();
    Ref<THeadlessRefactoringHost> Host(new THeadlessRefactoringHost());
    gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
    const std::string Dir = QUILLET_TEST_PLUGINS;
    TqlPluginLoader Loader(Dir);
    Loader.LoadAll({"", "qlTestNoEntry", "qlTestMissing", "qlTestOldAbi", "qlTestFailing", "qlTestGood",
                    "qltestgood.bpl", "  ", "qlTestOther"},
                   [&](const std::string& Text) { Host->AddLoadError(Text); });

    ASSERT_EQ(Host->LoadErrors.size(), 4u);
    EXPECT_EQ(Host->LoadErrors[0], Dir + "/qlTestNoEntry.so is not a Quillet plug-in.");
    EXPECT_EQ(Host->LoadErrors[1].rfind("Could not load plug-in, " + Dir + "/qlTestMissing.so: ", 0), 0u)
        << Host->LoadErrors[1];
    EXPECT_EQ(Host->LoadErrors[2], "Plug-in, " + Dir + "/qlTestOldAbi.so, was built for another version.");
    EXPECT_EQ(Host->LoadErrors[3], "Group, NoSuchGroup, not found");
    EXPECT_EQ(Loader.Loaded(), (std::vector<std::string>{Dir + "/qlTestGood.so", Dir + "/qlTestOther.so"}));
    EXPECT_EQ(Menu(Host->Registry.TopLevel()),
              "[Failing] [Good: Good.First... Good.Second...] [Other: Other.First... Other.Second...]");
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "Good initialize"), 1);
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "Failing destroy Failing.First"), 1)
        << "the failed plug-in's registered object went with its finalisation";

    // A command of a plug-in runs that plug-in's refactoring.
    EXPECT_TRUE(Host->Run("Other.Second"));
    EXPECT_EQ(Events.back(), "Other execute Other.Second");

    // Program end: the host withdraws first, so the plug-ins unregister
    // nothing; the host's references go, then the plug-ins' own.
    Events.clear();
    gqlRefactoringHost = nullptr;
    Loader.FinalizeAll();
    EXPECT_EQ(Events, (std::vector<std::string>{"Other finalize", "Good finalize"}));
    EXPECT_EQ(Host->Registry.Refactorings().size(), 4u);
    Host->Registry.Clear();
    std::vector<std::string> Destroyed = Events;
    std::sort(Destroyed.begin(), Destroyed.end());
    EXPECT_EQ(Destroyed, (std::vector<std::string>{"Good destroy Good.First", "Good destroy Good.Second",
                                                   "Good finalize", "Other destroy Other.First",
                                                   "Other destroy Other.Second", "Other finalize"}));
}
