#include "desktop/frmqlBaseDialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

TBaseDialogForm::TBaseDialogForm(const char* ClassName, bool Sizeable, unsigned Steps, QWidget* Parent)
    : TFormBase<QDialog>(ClassName, Sizeable, Steps, Parent)
{
    setWindowTitle("DialogBase");
    resize(429, 311);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    FClientArea = new QWidget(this);
    Layout->addWidget(FClientArea, 1);

    pnlCommandButtons = new QWidget(this);
    pnlCommandButtons->setObjectName("pnlCommandButtons");
    pnlCommandButtons->setFixedHeight(42);
    auto* Bottom = new QVBoxLayout(pnlCommandButtons);
    Bottom->setContentsMargins(7, 1, 7, 7);
    bvlBottom = new QFrame(pnlCommandButtons);
    bvlBottom->setObjectName("bvlBottom");
    bvlBottom->setFrameShape(QFrame::HLine);
    bvlBottom->setFrameShadow(QFrame::Sunken);
    Bottom->addWidget(bvlBottom);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    btnOK = new QPushButton("OK", pnlCommandButtons);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setMinimumSize(75, 23);
    btnCancel = new QPushButton("Cancel", pnlCommandButtons);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setMinimumSize(75, 23);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    Bottom->addLayout(Buttons);
    Layout->addWidget(pnlCommandButtons);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TBaseDialogForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (Event->key() == Qt::Key_F1) {
        Event->accept();  // no help file is shipped
        return;
    }
    TFormBase<QDialog>::keyPressEvent(Event);
}
