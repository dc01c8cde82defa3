// The explorer tree: nodes over the code model and the filling of the
// project and inheritance trees.
#pragma once

#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cstdint>

class TqlCodeLocation;
class TqlSymbol;
class TqlUnit;

class TqlTreeNode : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    TqlCodeLocation* CodeLocation = nullptr;
    TqlUnit* Unit = nullptr;
    TqlSymbol* Symbol = nullptr;
    uint8_t Kind = 0;
};

// Creates one of the main window's two explorer trees (project tree when
// ProjectTree, else the inheritance tree), wired for lazy filling on
// expansion and for showing the source on a double-click.
QTreeWidget* CreateExplorerTree(QWidget* Parent, bool ProjectTree);
// Empty the tree first, then build its top level from gqlProject.
void FillProjectTree(QTreeWidget* Tree);
void FillInheritanceTree(QTreeWidget* Tree);
