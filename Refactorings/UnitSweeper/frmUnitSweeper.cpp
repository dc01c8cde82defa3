#include "Refactorings/UnitSweeper/frmUnitSweeper.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

// Where the note about unused units that the form designer adds is explained.
const char* const UnusedUnitsNoteAddress = "https://quillet.invalid/docs/refactorings/unused-units";

QLabel* WrappedLabel(QWidget* Parent, const char* Name, const char* Text, const QRect& Place)
{
    auto* Label = new QLabel(QString::fromUtf8(Text), Parent);
    Label->setObjectName(Name);
    Label->setWordWrap(true);
    Label->setGeometry(Place);
    return Label;
}

std::unique_ptr<IUnitSweeperOptionsDialog> CreateUnitSweeperForm()
{
    // Without a running widget application the choices are asked headless.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    return std::make_unique<TUnitSweeperForm>();
}

// Installs the dialog for the refactorings of this module.
const bool FormFactoryInstalled = (gqlUnitSweeperFormFactory = &CreateUnitSweeperForm, true);

} // namespace

TUnitSweeperForm::TUnitSweeperForm() : QDialog(nullptr)
{
    (void)FormFactoryInstalled;
    setObjectName("UnitSweeperForm");
    setWindowTitle("Options");
    setFixedSize(401, 330);
    QFont Font("Tahoma");
    Font.setPixelSize(13);
    setFont(Font);

    NoteLabel = WrappedLabel(this, "NoteLabel",
                             "(Note:  Delphi often automatically adds un-used units when designing "
                             "and saving your forms.  For this reason, this option is not "
                             "recommended)",
                             QRect(16, 200, 369, 48));
    NoteLabel->hide();
    Label2 = WrappedLabel(this, "Label2",
                          "Please Note:  This refactoring may remove units that are actually "
                          "required to be used.  For example, a unit might be used simply to "
                          "invoke the initialization section of that used unit.  One example of "
                          "this is in the use of the FastMM project.  Please keep this in mind "
                          "when reviewing the changes made by the refactoring.",
                          QRect(16, 8, 369, 96));
    UrlLabel = new QLabel(UnusedUnitsNoteAddress, this);
    UrlLabel->setObjectName("UrlLabel");
    UrlLabel->setGeometry(16, 248, 369, 18);
    UrlLabel->setStyleSheet("color: navy; font-weight: bold;");
    UrlLabel->setCursor(Qt::PointingHandCursor);
    UrlLabel->hide();
    Label1 = WrappedLabel(this, "Label1",
                          "Any code you wish Quillet to ignore (such as used units), you may "
                          "surround with {$IFNDEF Quillet}..{$ENDIF}",
                          QRect(16, 108, 369, 36));
    RemoveAllUnUsedUnitsCheckBox = new QCheckBox("Remove all un-used units", this);
    RemoveAllUnUsedUnitsCheckBox->setObjectName("RemoveAllUnUsedUnitsCheckBox");
    RemoveAllUnUsedUnitsCheckBox->setGeometry(16, 176, 369, 20);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button1->setGeometry(226, 290, 75, 25);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(310, 290, 75, 25);
    MoveUsedUnitsCheckBox =
        new QCheckBox("Move used units to implementation section where appropriate", this);
    MoveUsedUnitsCheckBox->setObjectName("MoveUsedUnitsCheckBox");
    MoveUsedUnitsCheckBox->setGeometry(16, 152, 369, 20);
    MoveUsedUnitsCheckBox->setChecked(true);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(RemoveAllUnUsedUnitsCheckBox, &QCheckBox::clicked, this,
            [this] { RemoveAllUnUsedUnitsCheckBoxClick(); });
    connect(UrlLabel, &QLabel::linkActivated, this, [this] { UrlLabelClick(); });
    UrlLabel->setTextFormat(Qt::RichText);
    UrlLabel->setText(QString("<a href=\"%1\" style=\"color: navy;\">%1</a>").arg(UnusedUnitsNoteAddress));
    if (QScreen* Screen = QGuiApplication::primaryScreen())
        move(Screen->geometry().center() - rect().center());
}

bool TUnitSweeperForm::Execute(TUnitSweeperOptions& Options)
{
    if (exec() != QDialog::Accepted)
        return false;
    Options.RemoveAllUnusedUnits = RemoveAllUnUsedUnitsCheckBox->isChecked();
    Options.MoveUsedUnitsToImplementation = MoveUsedUnitsCheckBox->isChecked();
    return true;
}

void TUnitSweeperForm::RemoveAllUnUsedUnitsCheckBoxClick()
{
    const bool Shown = RemoveAllUnUsedUnitsCheckBox->isChecked();
    UrlLabel->setVisible(Shown);
    NoteLabel->setVisible(Shown);
}

void TUnitSweeperForm::UrlLabelClick()
{
    qlLaunchProgram({"xdg-open", UnusedUnitsNoteAddress});
}
