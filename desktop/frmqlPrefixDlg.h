// The small dialog that edits one component prefix and its component class.
#pragma once

#include "desktop/frmqlBaseDialog.h"

#include <string>

class QLineEdit;

class TPrefixDlg : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TPrefixDlg(QWidget* Parent = nullptr);

    // Stays open until both texts hold more than blanks.
    void accept() override;

    QLineEdit* edtPrefix = nullptr;
    QLineEdit* edtComponentClass = nullptr;
};

// Shows the dialog over the two texts; on OK copies the edits back as typed
// and returns true, otherwise leaves them and returns false.
bool EditComponentPrefix(std::string& Prefix, std::string& ComponentClass);
