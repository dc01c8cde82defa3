#include "desktop/frmqlPrefixDlg.h"

#include "desktop/uqlPrompts.h"
#include "desktop/uqlText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TPrefixDlg::TPrefixDlg(QWidget* Parent) : TBaseDialogForm("TPrefixDlg", true, fsAllSteps, Parent)
{
    setWindowTitle("Component Prefix");
    resize(429, 149);
    auto* Grid = new QGridLayout(ClientArea());
    Grid->setContentsMargins(7, 7, 7, 0);
    edtPrefix = new QLineEdit(ClientArea());
    edtPrefix->setObjectName("edtPrefix");
    edtPrefix->setFixedWidth(105);
    edtComponentClass = new QLineEdit(ClientArea());
    edtComponentClass->setObjectName("edtComponentClass");
    auto* PrefixLabel = new QLabel("&Prefix:", ClientArea());
    PrefixLabel->setBuddy(edtPrefix);
    auto* ClassLabel = new QLabel("&Component Class:", ClientArea());
    ClassLabel->setBuddy(edtComponentClass);
    Grid->addWidget(PrefixLabel, 0, 0);
    Grid->addWidget(ClassLabel, 0, 1);
    Grid->addWidget(edtPrefix, 1, 0);
    Grid->addWidget(edtComponentClass, 1, 1);
    Grid->setColumnStretch(1, 1);
    Grid->setRowStretch(2, 1);
    setTabOrder(edtPrefix, edtComponentClass);
    disconnect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnOK, &QPushButton::clicked, this, &TPrefixDlg::ButtonOKClick);
    edtPrefix->setFocus();
    FormCreate();
}

void TPrefixDlg::ButtonOKClick()
{
    if (edtPrefix->text().trimmed().isEmpty()) {
        qlShowMessage(this, "Please enter a prefix");
        edtPrefix->setFocus();
    } else if (edtComponentClass->text().trimmed().isEmpty()) {
        qlShowMessage(this, "Please enter a Component Class");
        edtComponentClass->setFocus();
    } else {
        accept();
    }
}

bool EditComponentPrefix(std::string& Prefix, std::string& ComponentClass, QWidget* Parent)
{
    TPrefixDlg Dialog(Parent);
    Dialog.edtPrefix->setText(qlFromAnsi(Prefix));
    Dialog.edtComponentClass->setText(qlFromAnsi(ComponentClass));
    if (Dialog.exec() != QDialog::Accepted)
        return false;
    Prefix = qlToAnsi(Dialog.edtPrefix->text());
    ComponentClass = qlToAnsi(Dialog.edtComponentClass->text());
    return true;
}
