// The small dialog that edits one component prefix and its component class.
#pragma once

#include "desktop/frmqlBaseDialog.h"

#include <string>

class QLineEdit;

class TPrefixDlg : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TPrefixDlg(QWidget* Parent = nullptr);

    // Checks the input: a blank prefix or a blank component class is named
    // in a message and keeps the dialog open.
    void ButtonOKClick();

    QLineEdit* edtPrefix = nullptr;
    QLineEdit* edtComponentClass = nullptr;
};

// Shows the dialog over Prefix and ComponentClass; on OK both take the texts
// as typed (not trimmed) and the answer is true.
bool EditComponentPrefix(std::string& Prefix, std::string& ComponentClass, QWidget* Parent = nullptr);
