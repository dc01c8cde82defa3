#include "desktop/frmqlFind.h"

TFindForm::TFindForm(QWidget* Parent)
    : TBaseDialogForm("TFindForm", false, fsRestoreOnCreate | fsStoreOnDestroy, Parent)
{
    setWindowTitle("Find");
    FormCreate();
}

bool TFindForm::FindTextMatches(const std::string& /*Text*/)
{
    return false;
}

bool FindInTree(QTreeWidget* /*Tree*/, TFindForm& /*Form*/, QTreeWidgetItem* /*StartNode*/)
{
    return false;
}
