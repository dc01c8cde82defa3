// The options dialog of the unused-unit refactorings.
#pragma once

#include "Refactorings/UnitSweeper/uUnitSweeper.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class TUnitSweeperForm : public QDialog, public IUnitSweeperOptionsDialog {
public:
    TUnitSweeperForm();

    // Shows the dialog modally; on OK the check boxes become the options.
    bool Execute(TUnitSweeperOptions& Options) override;
    void RemoveAllUnUsedUnitsCheckBoxClick();
    void UrlLabelClick();

    QLabel* NoteLabel;
    QLabel* Label2;
    QLabel* UrlLabel;
    QLabel* Label1;
    QCheckBox* RemoveAllUnUsedUnitsCheckBox;
    QPushButton* Button1;
    QPushButton* Button2;
    QCheckBox* MoveUsedUnitsCheckBox;
};
