// The "Find" dialog and the search of the project tree.
#pragma once

#include "desktop/frmqlBaseDialog.h"

#include <string>

class QTreeWidget;
class QTreeWidgetItem;

class TFindForm : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* Parent = nullptr);
    // Whether Text matches the current search settings.
    bool FindTextMatches(const std::string& Text);
};

// Searches Tree depth-first for a node whose symbol name matches Form's
// rule, starting after StartNode (from the first node when it is nil);
// selects the found node and answers whether one was found.
bool FindInTree(QTreeWidget* Tree, TFindForm& Form, QTreeWidgetItem* StartNode);
