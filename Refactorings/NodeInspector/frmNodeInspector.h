// Shows the node tree of the unit selected in the explorer: the tree on the
// left, the text of the selected node on the right, and a command that
// writes the whole tree to a file.
#pragma once

#include "Refactorings/uqlRefactoring.h"

#include <QDialog>

#include <memory>
#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QSplitter;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class QsciLexerPascal;
class QsciScintilla;

class TNodeInspectorRefactoring : public TqlRefactoring {
public:
    std::string GetMenuCaption() override { return "Parse Tree..."; }
    std::string GetName() override { return "ParseTree"; }
    bool GetCanExecute() override;
    void Execute() override;
};

// The text an item of the tree shows for a node: a token's kind as the
// enumeration spells it ("ptIdentifier"), else the node's class name
// ("TqlStatementNode").
std::string qlNodeItemText(const TqlNode* Node);

class TNodeInspectorForm : public QDialog {
public:
    // Shows AModuleNode; closing the form frees the form and the tree.
    explicit TNodeInspectorForm(std::unique_ptr<TqlModuleNode> AModuleNode);
    ~TNodeInspectorForm() override;

    void LoadTreeView();
    void RefactorTreeViewChange(QTreeWidgetItem* Item);
    // Asks for a file name and writes the tree there; an existing file is
    // refused ("Attempt to overwrite file, %s.").
    void GenerateActionExecute();

    TqlModuleNode* ModuleNode() const { return FModuleNode.get(); }

    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* GenerateAction;
    QTreeWidget* RefactorTreeView;
    QSplitter* Splitter1;
    QsciScintilla* RefactorSynEdit;
    QsciLexerPascal* SynPasSyn1;
    QStatusBar* RefactorStatusBar;

private:
    std::unique_ptr<TqlModuleNode> FModuleNode;
    // The unit's file is UTF-8 (else Windows-1252), as the source pane
    // tells it.
    bool FUtf8 = false;
};
