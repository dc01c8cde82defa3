// The base of the program's modal dialogs: the OK and Cancel buttons at the
// bottom, Esc for Cancel. F1 opens nothing, since no help file is shipped.
#pragma once

#include "desktop/frmqlBase.h"

#include <QDialog>

class QFrame;
class QPushButton;
class QWidget;

class TBaseDialogForm : public TFormBase<QDialog> {
    Q_OBJECT
public:
    TBaseDialogForm(const char* ClassName, bool Sizeable, unsigned Steps, QWidget* Parent = nullptr);

    // The dialog's own controls go here, above the command buttons.
    QWidget* ClientArea() const { return FClientArea; }

    QWidget* pnlCommandButtons = nullptr;
    QFrame* bvlBottom = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    QWidget* FClientArea = nullptr;
};
