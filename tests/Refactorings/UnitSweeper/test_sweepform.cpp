// The options dialog, offscreen (built with the desktop only).
#ifdef QUILLET_UNIT_SWEEPER_FORM
#include "tests/Refactorings/PluginModuleSupport.h"

#include "Refactorings/UnitSweeper/frmUnitSweeper.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// A widget application for one test: the sweeper commands of the other
// tests ask headless only while there is none.
class TApplication {
public:
    TApplication()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        FApp = std::make_unique<QApplication>(FArgc, FArgv);
    }

private:
    int FArgc = 1;
    char FName[18] = "unitsweeper_tests";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApp;
};

} // namespace

TEST(UnitSweeperForm, ComponentsAndNote)
{
    TApplication App;
    TUnitSweeperForm Form;
    EXPECT_EQ(Form.windowTitle(), "Options");
    EXPECT_EQ(Form.size(), QSize(401, 330));
    EXPECT_FALSE(Form.RemoveAllUnUsedUnitsCheckBox->isChecked());
    EXPECT_TRUE(Form.MoveUsedUnitsCheckBox->isChecked());
    EXPECT_EQ(Form.MoveUsedUnitsCheckBox->text(),
              "Move used units to implementation section where appropriate");
    EXPECT_EQ(Form.Button1->text(), "OK");
    EXPECT_EQ(Form.Button2->text(), "Cancel");
    EXPECT_TRUE(Form.Button1->isDefault());
    EXPECT_TRUE(Form.NoteLabel->isHidden());
    EXPECT_TRUE(Form.UrlLabel->isHidden());
    Form.RemoveAllUnUsedUnitsCheckBox->click();
    EXPECT_FALSE(Form.NoteLabel->isHidden());
    EXPECT_FALSE(Form.UrlLabel->isHidden());
    Form.RemoveAllUnUsedUnitsCheckBox->click();
    EXPECT_TRUE(Form.NoteLabel->isHidden());
}

TEST(UnitSweeperForm, OkTakesTheChoicesAndCancelKeepsThem)
{
    TApplication App;
    TUnitSweeperForm Form;
    TUnitSweeperOptions Options;
    QTimer::singleShot(0, &Form, [&] {
        Form.MoveUsedUnitsCheckBox->click();
        Form.Button1->click();
    });
    EXPECT_TRUE(Form.Execute(Options));
    EXPECT_FALSE(Options.MoveUsedUnitsToImplementation);
    QTimer::singleShot(0, &Form, [&] {
        Form.RemoveAllUnUsedUnitsCheckBox->click();
        Form.Button2->click();
    });
    EXPECT_FALSE(Form.Execute(Options));
    EXPECT_FALSE(Options.RemoveAllUnusedUnits);
}
#endif
