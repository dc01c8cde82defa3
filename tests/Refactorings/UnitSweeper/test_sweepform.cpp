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

// Every text shows whole: each widget is at least as large as its text
// needs, inside the dialog, and no two overlap; with the note shown too.
TEST(UnitSweeperForm, EveryTextShows)
{
    TApplication App;
    TUnitSweeperForm Form;
    for (bool Note : {false, true}) {
        SCOPED_TRACE(Note ? "with the note" : "without the note");
        Form.RemoveAllUnUsedUnitsCheckBox->setChecked(Note);
        Form.RemoveAllUnUsedUnitsCheckBoxClick();
        Form.show();
        QApplication::processEvents();
        std::vector<QWidget*> Shown;
        for (QWidget* W : std::initializer_list<QWidget*>{Form.Label2, Form.Label1, Form.MoveUsedUnitsCheckBox,
                                                          Form.RemoveAllUnUsedUnitsCheckBox, Form.NoteLabel,
                                                          Form.UrlLabel, Form.Button1, Form.Button2})
            if (W->isVisible())
                Shown.push_back(W);
        EXPECT_EQ(Shown.size(), Note ? 8u : 6u);
        // Its picture, when screenshots are asked for.
        const QString Pictures = qEnvironmentVariable("QUILLET_SCREENSHOTS");
        if (!Pictures.isEmpty())
            Form.grab().save(Pictures + (Note ? "/unitsweeper-note.png" : "/unitsweeper.png"));
        for (size_t I = 0; I < Shown.size(); ++I) {
            QWidget* W = Shown[I];
            SCOPED_TRACE(W->objectName().toStdString());
            const QSize Need = W->sizeHint();
            const int NeedHeight = W->hasHeightForWidth() ? W->heightForWidth(W->width()) : Need.height();
            EXPECT_GE(W->height(), NeedHeight);
            if (!W->hasHeightForWidth()) {
                EXPECT_GE(W->width(), Need.width());
            }
            EXPECT_TRUE(Form.rect().contains(W->geometry()));
            for (size_t J = I + 1; J < Shown.size(); ++J)
                EXPECT_FALSE(W->geometry().intersects(Shown[J]->geometry())) << Shown[J]->objectName().toStdString();
        }
        Form.hide();
    }
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
