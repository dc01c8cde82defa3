#include "desktop/frmqlPrefixDlg.h"

#include "desktop/uqlPrompts.h"
#include "desktop/uqlText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TPrefixDlg::TPrefixDlg(QWidget* Parent)
    : TBaseDialogForm("TPrefixDlg", true, fsAllSteps, Parent)
{
    setWindowTitle("Component Prefix");
    resize(429, 149);
    auto* Grid = new QGridLayout(ClientArea());
    Grid->setContentsMargins(7, 7, 7, 7);
    auto* lblPrefix = new QLabel("&Prefix:", ClientArea());
    auto* lblClass = new QLabel("&Component Class:", ClientArea());
    edtPrefix = new QLineEdit(ClientArea());
    edtPrefix->setFixedWidth(105);
    edtComponentClass = new QLineEdit(ClientArea());
    lblPrefix->setBuddy(edtPrefix);
    lblClass->setBuddy(edtComponentClass);
    Grid->addWidget(lblPrefix, 0, 0);
    Grid->addWidget(lblClass, 0, 1);
    Grid->addWidget(edtPrefix, 1, 0);
    Grid->addWidget(edtComponentClass, 1, 1);
    Grid->setRowStretch(2, 1);
    setTabOrder(edtPrefix, edtComponentClass);
    edtPrefix->setFocus();
    FormCreate();
}

void TPrefixDlg::accept()
{
    if (edtPrefix->text().trimmed().isEmpty()) {
        qlShowMessage(this, "Please enter a prefix");
        edtPrefix->setFocus();
        return;
    }
    if (edtComponentClass->text().trimmed().isEmpty()) {
        qlShowMessage(this, "Please enter a Component Class");
        edtComponentClass->setFocus();
        return;
    }
    TBaseDialogForm::accept();
}

bool EditComponentPrefix(std::string& Prefix, std::string& ComponentClass)
{
    TPrefixDlg Dialog;
    Dialog.edtPrefix->setText(qlFromAnsi(Prefix));
    Dialog.edtComponentClass->setText(qlFromAnsi(ComponentClass));
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Prefix = qlToAnsi(Dialog.edtPrefix->text());
    ComponentClass = qlToAnsi(Dialog.edtComponentClass->text());
    return true;
}
