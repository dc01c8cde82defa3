// The system options dialog: the folder-comparison program and the list of
// refactoring plug-in packages. Created at start-up, freed before the main
// window goes.
#pragma once

#include "desktop/frmqlBaseDialog.h"

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

inline constexpr bool SystemOptionsDialogAvailable = true;

void CreateSystemOptionsForm(QWidget* Parent);
void FreeSystemOptionsForm();
// Shows the dialog modally.
void ShowSystemOptionsForm();

class TSystemOptionsForm : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TSystemOptionsForm(QWidget* Parent = nullptr);

    // Stores the fields into the refactoring options and saves them; the
    // dialog stays open when "options.ql" cannot be written.
    void accept() override;
    void BrowseApplicationButtonClick();
    void BrowseRefactoringButtonClick();
    // The fields from the stored options.
    void FormShow();

    QTabWidget* pgcSystemOptions = nullptr;
    QLineEdit* ApplicationEdit = nullptr;
    QPushButton* BrowseApplicationButton = nullptr;
    QLineEdit* ParamsEdit = nullptr;
    QPlainTextEdit* RefactoringsMemo = nullptr;
    QPushButton* BrowseRefactoringButton = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;
};

// The dialog made at start-up (nil before and after).
TSystemOptionsForm* SystemOptionsForm();
