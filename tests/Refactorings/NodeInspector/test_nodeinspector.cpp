// The node-tree viewer, offscreen: its items, the text and position of the
// selected node, writing the tree, and the command without source.
#include "tests/Refactorings/PluginModuleSupport.h"

#include "Refactorings/NodeInspector/frmNodeInspector.h"

#include <QApplication>
#include <QStatusBar>
#include <QTreeWidget>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <functional>

namespace {

void EnsureApplication()
{
    static int Argc = 1;
    static char Name[] = "nodeinspector_tests";
    static char* Argv[] = {Name, nullptr};
    if (!QApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(Argc, Argv);
    }
}

std::unique_ptr<TqlModuleNode> TreeOf(TTestFolder& Folder, const std::string& Text)
{
    const std::string File = Folder.Write("U.pas", Text);
    auto Root = std::make_unique<TqlModuleNode>();
    TqlNodeBuilder Builder(Root.get(), "", GlobalKeyHashTable, GlobalDirectiveHash);
    Builder.Run(File, nullptr);
    return Root;
}

void FindItems(QTreeWidgetItem* Item, const QString& Text, std::vector<QTreeWidgetItem*>& Out)
{
    if (Item->text(0) == Text)
        Out.push_back(Item);
    for (int I = 0; I < Item->childCount(); ++I)
        FindItems(Item->child(I), Text, Out);
}

} // namespace

TEST(NodeInspector, ItemsTextAndPosition)
{
    EnsureApplication();
    qlCreateGlobalTables();
    TTestFolder Folder;
    auto* Form = new TNodeInspectorForm(
        TreeOf(Folder, "unit U;\ninterface\nimplementation\nprocedure P;\nbegin\n  P;\n  P // again\nend;\nend.\n"));
    QTreeWidget* Tree = Form->RefactorTreeView;
    ASSERT_EQ(Tree->topLevelItemCount(), 1);
    QTreeWidgetItem* Root = Tree->topLevelItem(0);
    EXPECT_EQ(Root->text(0), "TqlModuleNode");
    EXPECT_EQ(Root->child(0)->text(0), "ptUnit");
    // A token shows exactly its text; a statement its trailing blanks and
    // comment too; the status bar names line, then column.
    std::vector<QTreeWidgetItem*> Statements, Identifiers;
    FindItems(Root, "TqlStatementNode", Statements);
    ASSERT_EQ(Statements.size(), 2u);
    QTreeWidgetItem* Statement = Statements[1];
    Tree->setCurrentItem(Statement);
    EXPECT_EQ(Form->RefactorSynEdit->text().toStdString(), "P // again\n");
    EXPECT_EQ(Form->RefactorStatusBar->currentMessage().toStdString(), "7:  3");
    FindItems(Statement, "ptIdentifier", Identifiers);
    ASSERT_EQ(Identifiers.size(), 1u);
    Tree->setCurrentItem(Identifiers[0]);
    EXPECT_EQ(Form->RefactorSynEdit->text().toStdString(), "P");
    Tree->setCurrentItem(Root);
    EXPECT_TRUE(Form->RefactorSynEdit->text().isEmpty());
    EXPECT_EQ(Form->RefactorStatusBar->currentMessage().toStdString(), "7:  3");
    delete Form;
}

TEST(NodeInspector, SourcePaneReadsLikeTheMainWindows)
{
    EnsureApplication();
    qlCreateGlobalTables();
    TTestFolder Folder;
    auto* Form = new TNodeInspectorForm(TreeOf(Folder, "unit U;\ninterface\nimplementation\nend.\n"));
    Form->RefactorSynEdit->setText("unit U; // text");
    // A 13-pixel font: lines about 15 pixels high, in every style in use.
    for (int Style : {0, 1, 2, 3, 9})
        EXPECT_GE(Form->SynPasSyn1->font(Style).pointSizeF() * 96.0 / 72.0, 12.0) << Style;
    const long Height = Form->RefactorSynEdit->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL);
    EXPECT_GE(Height, 13);
    EXPECT_LE(Height, 24);
    delete Form;
}

// A literal beyond ASCII reads as the source pane reads it, in a UTF-8 unit
// and in a Windows-1252 one; what follows it keeps the line and column of
// the analysis, which counts the bytes of the file.
TEST_F(RefactoringTest, NodeTextReadsInTheUnitsEncoding)
{
    EnsureApplication();
    const QString Literal = QString::fromUtf8("'Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln \xE2\x80\x93 10 \xE2\x82\xAC'");
    const struct {
        const char* Name;
        std::string Bytes;
    } Cases[] = {
        {"UTF-8", Literal.toStdString()},
        {"Windows-1252", "'Gr\xFC\xDF" "e aus K\xF6ln \x96 10 \x80'"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        Analyze({{"P.dpr", "program P;\r\nuses\r\n  U;\r\nbegin\r\nend.\r\n"},
                 {"U.pas", "unit U;\r\ninterface\r\nconst\r\n  Greeting = " + C.Bytes +
                               "; Other = 1;\r\nimplementation\r\nend.\r\n"}});
        TqlUnit* U = Unit("U");
        ASSERT_NE(U, nullptr);
        TqlSymbol* Other = U->FindSymbol(U, nullptr, "Other");
        ASSERT_NE(Other, nullptr);
        EXPECT_EQ(Other->GetY(), 4);
        EXPECT_EQ(Other->GetX(), int(std::string("  Greeting = ").size() + C.Bytes.size() + 3));
        auto* Form = new TNodeInspectorForm(Refactoring->TryCreateModuleNode(U));
        QTreeWidgetItem* LiteralItem = nullptr;
        QTreeWidgetItem* OtherItem = nullptr;
        std::function<void(QTreeWidgetItem*)> Walk = [&](QTreeWidgetItem* Item) {
            auto* Token = dynamic_cast<TqlTokenNode*>(
                reinterpret_cast<TqlNode*>(Item->data(0, Qt::UserRole).value<quintptr>()));
            if (Token && Token->DoGetCode().rfind("'", 0) == 0)
                LiteralItem = Item;
            if (Token && Token->DoGetCode() == "Other")
                OtherItem = Item;
            for (int I = 0; I < Item->childCount(); ++I)
                Walk(Item->child(I));
        };
        Walk(Form->RefactorTreeView->topLevelItem(0));
        ASSERT_NE(LiteralItem, nullptr);
        ASSERT_NE(OtherItem, nullptr);
        Form->RefactorTreeView->setCurrentItem(LiteralItem);
        EXPECT_EQ(Form->RefactorSynEdit->text().toStdString(), Literal.toStdString());
        Form->RefactorTreeView->setCurrentItem(OtherItem);
        EXPECT_EQ(Form->RefactorSynEdit->text().toStdString(), "Other");
        EXPECT_EQ(Form->RefactorStatusBar->currentMessage().toStdString(),
                  std::to_string(Other->GetY()) + ":  " + std::to_string(Other->GetX()));
        delete Form;
    }
}

TEST(NodeInspector, GenerateRefusesAnExistingFile)
{
    EnsureApplication();
    qlCreateGlobalTables();
    TTestFolder Folder;
    const std::string Text = "unit U;\ninterface\nimplementation\nend.\n";
    auto* Form = new TNodeInspectorForm(TreeOf(Folder, Text));
    Ref<THeadlessRefactoringHost> Host(new THeadlessRefactoringHost());
    gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
    const std::string Out = Folder.Path() + "/out.pas";
    Host->InputAnswers.push_back(Out);
    Form->GenerateActionExecute();
    EXPECT_EQ(qlReadFile(Out), Text);
    Folder.Write("old.pas", "keep");
    Host->InputAnswers.push_back(Folder.Path() + "/old.pas");
    EXPECT_THROW(Form->GenerateActionExecute(), std::exception);
    EXPECT_EQ(qlReadFile(Folder.Path() + "/old.pas"), "keep");
    // A cancelled prompt writes nothing.
    Host->InputAnswers.push_back(std::nullopt);
    Form->GenerateActionExecute();
    gqlRefactoringHost = nullptr;
    delete Form;
}

TEST_F(PluginModuleTest, NodeInspectorWithoutSourceShowsNoWindow)
{
    EnsureApplication();
    Load("NodeInspector");
    EXPECT_EQ(Menu(), "Parse Tree... [ParseTree]\n");
    Analyze({{"Prog.dpr", "program Prog;\nuses\n  Gone;\nbegin\nend.\n"}});
    Host->SelectedUnit = Unit("Gone");
    ASSERT_NE(Host->SelectedUnit, nullptr);
    ASSERT_TRUE(Host->Run("ParseTree"));
    ASSERT_EQ(HostMessages().size(), 1u);
    EXPECT_NE(HostMessages()[0].find("ParseTree: Unit, Gone, not found in project."), std::string::npos);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
