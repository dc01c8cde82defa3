// Under a real X server with a window manager: the node viewer (Parse
// Tree...) over a UTF-8 unit and a Windows-1252 unit that hold the same
// literal, its nodes picked with real clicks (xdotool), the unit shown in the
// main window's source pane behind it. Saves into the folder given as the
// first argument, for U in utf8 and ansi:
//   node-viewer-U-literal.png  the literal's node selected
//   node-viewer-U-after.png    the name after it, its line and column in
//                              the status bar
// Fails (skips, without xdotool) when the viewer shows the literal otherwise
// than the source pane or a position that is not the analysis's.
#include "DesktopTestSupport.h"
#include "ScreenshotSupport.h"
#include "desktop/frmqlMain.h"
#include "Refactorings/uqlRefactorNodes.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlRefactoringMenu.h"
#include "desktop/uqlTreeNode.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

QString Out;

void Save(const QString& Name) { SaveScreen(Out + "/" + Name); }

// A real click on a tree item, scrolled into view first.
void ClickItem(QTreeWidget* Tree, QTreeWidgetItem* Item)
{
    Tree->scrollToItem(Item, QAbstractItemView::PositionAtCenter);
    QTest::qWait(200);
    const QRect R = Tree->visualItemRect(Item);
    const QPoint At = Tree->viewport()->mapToGlobal(QPoint(R.left() + 20, R.center().y()));
    Xdotool({"mousemove", "--sync", QString::number(At.x()), QString::number(At.y()), "click", "1"});
    QTest::qWait(300);
}

// The first item, depth first, whose token node's text Wanted accepts.
QTreeWidgetItem* TokenItem(QTreeWidgetItem* Item, const std::function<bool(const std::string&)>& Wanted)
{
    auto* Node = reinterpret_cast<TqlNode*>(Item->data(0, Qt::UserRole).value<quintptr>());
    if (auto* Token = dynamic_cast<TqlTokenNode*>(Node); Token && Wanted(Token->DoGetCode()))
        return Item;
    for (int I = 0; I < Item->childCount(); ++I)
        if (QTreeWidgetItem* Found = TokenItem(Item->child(I), Wanted))
            return Found;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    Out = Program.Out;
    if (Out.isEmpty())
        return 2;
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) {
        std::printf("xdotool not found\n");
        return 77;
    }
    const QString Literal = QString::fromUtf8("'Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln \xE2\x80\x93 10 \xE2\x82\xAC'");
    const struct {
        const char* Key;
        const char* Unit;
        std::string Bytes;
    } Units[] = {
        {"utf8", "Utf8Text", Literal.toStdString()},
        {"ansi", "AnsiText", "'Gr\xFC\xDF" "e aus K\xF6ln \x96 10 \x80'"},
    };

    TTestFolder Folder;
    const fs::path Old = fs::current_path();
    fs::create_directories(Folder.Path() + "/run");
    fs::current_path(Folder.Path() + "/run");
    Folder.Write("options.ql", "[Refactorings]\r\nCount=1\r\n0=" + std::string(QUILLET_PLUGIN_FOLDER) +
                                   "/NodeInspector.so\r\n");
    Folder.Write("Greetings.dpr", "program Greetings;\r\n\r\nuses\r\n  Utf8Text in 'Utf8Text.pas',\r\n"
                                  "  AnsiText in 'AnsiText.pas';\r\n\r\nbegin\r\n  WriteLn(Utf8Greeting);\r\n"
                                  "  WriteLn(AnsiGreeting);\r\nend.\r\n");
    for (const auto& U : Units)
        Folder.Write(std::string(U.Unit) + ".pas",
                     "unit " + std::string(U.Unit) + ";\r\n\r\ninterface\r\n\r\nconst\r\n  " + U.Key +
                         "Greeting = " + U.Bytes + "; " + U.Key + "Count = 1;\r\n\r\nimplementation\r\n\r\nend.\r\n");
    const std::string Project =
        Folder.Write("Greetings.xml", "[general]\r\nfiletoanalyze=" + Folder.Path() + "/Greetings.dpr\r\n");
    {
        auto* Form = new TMainForm({QString::fromStdString(Project)}, QString::fromStdString(Folder.Path()));
        Form->move(0, 0);
        Form->resize(1100, 900);
        Form->show();
        Check(QTest::qWaitForWindowExposed(Form, 10000), "main window shown");
        Form->Run();
        QAction* Tree = nullptr;
        for (QAction* A : Form->ProjectPopupMenu->actions())
            if (A->text() == "Parse Tree...")
                Tree = A;
        Check(Tree, "Parse Tree... registered");
        for (const auto& U : Units) {
            const std::string Name = U.Unit;
            TqlTreeNode* Node = FindTreeNode(Form->tvProjectTree, [&](TqlTreeNode* N) {
                return N->Kind == nkUnit && N->Unit && N->Unit->GetName() == Name;
            });
            Check(Node, QString("%1 in the tree").arg(U.Unit));
            if (!Tree || !Node)
                continue;
            TqlSymbol* Count = Node->Unit->FindSymbol(Node->Unit, nullptr, std::string(U.Key) + "Count");
            Check(Count, "the name after the literal in the model");
            // The source pane behind the viewer shows the same line.
            if (Count)
                Form->ShowCode(Folder.Path() + "/" + Name + ".pas", Count->GetX(), Count->GetY());
            Form->tvProjectTree->setCurrentItem(Node);
            Form->UpdateActions();
            bool Seen = false;
            QTimer::singleShot(500, [&] {
                auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                auto* View = Dialog ? Dialog->findChild<QTreeWidget*>("RefactorTreeView") : nullptr;
                auto* Edit = Dialog ? Dialog->findChild<QsciScintilla*>("RefactorSynEdit") : nullptr;
                auto* Status = Dialog ? Dialog->findChild<QStatusBar*>("RefactorStatusBar") : nullptr;
                if (!View || !Edit || !Status)
                    return;
                Seen = true;
                Dialog->move(150, 60);
                View->expandAll();
                QTreeWidgetItem* Root = View->topLevelItem(0);
                QTreeWidgetItem* LiteralItem =
                    TokenItem(Root, [](const std::string& Code) { return Code.rfind("'", 0) == 0; });
                QTreeWidgetItem* After =
                    TokenItem(Root, [&](const std::string& Code) { return Code == std::string(U.Key) + "Count"; });
                Check(LiteralItem && After, "the literal and the name after it in the viewer");
                if (LiteralItem && After) {
                    ClickItem(View, LiteralItem);
                    std::printf("  text: %s\n", qPrintable(Edit->text()));
                    Check(Edit->text() == Literal, QString("%1: the literal as the source pane shows it").arg(U.Key));
                    Save(QString("node-viewer-%1-literal.png").arg(U.Key));
                    ClickItem(View, After);
                    const QString Expected = QString("%1:  %2").arg(Count->GetY()).arg(Count->GetX());
                    std::printf("  status: %s\n", qPrintable(Status->currentMessage()));
                    Check(Status->currentMessage() == Expected,
                          QString("%1: the line and column of the analysis (%2)").arg(U.Key, Expected));
                    Save(QString("node-viewer-%1-after.png").arg(U.Key));
                }
                Dialog->close();
            });
            Tree->trigger();
            Check(Seen, QString("the node viewer over %1").arg(U.Unit));
        }
        Form->Shutdown();
        delete Form;
    }
    qlDesktopPluginLoader().FinalizeAll();
    fs::current_path(Old);
    return gScreenshotFailures == 0 ? 0 : 1;
}
