#include "desktop/uqlTreeNode.h"

QTreeWidget* CreateExplorerTree(QWidget* Parent, bool /*ProjectTree*/)
{
    auto* Tree = new QTreeWidget(Parent);
    Tree->setHeaderHidden(true);
    return Tree;
}

void FillProjectTree(QTreeWidget* Tree)
{
    Tree->clear();
}

void FillInheritanceTree(QTreeWidget* Tree)
{
    Tree->clear();
}
