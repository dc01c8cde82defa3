#include "Refactorings/UnitSweeper/frmUnitSweeper.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Where the note about unused units that the form designer adds is explained.
const char* const UnusedUnitsNoteAddress = "https://quillet.invalid/docs/refactorings/unused-units";

// A label that wraps its text at the dialog's width (at least 369 pixels).
QLabel* WrappedLabel(QWidget* Parent, const char* Name, const char* Text)
{
    auto* Label = new QLabel(QString::fromUtf8(Text), Parent);
    Label->setObjectName(Name);
    Label->setWordWrap(true);
    Label->setMinimumWidth(369);
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
    QFont Font("Tahoma");
    Font.setPixelSize(13);
    setFont(Font);

    // Laid out by the texts' own sizes, so none is clipped whatever the
    // font; the dialog is as large as they need and cannot be resized.
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(16, 8, 16, 14);
    Layout->setSpacing(6);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
    Label2 = WrappedLabel(this, "Label2",
                          "Please Note:  This refactoring may remove units that are actually "
                          "required to be used.  For example, a unit might be used simply to "
                          "invoke the initialization section of that used unit.  One example of "
                          "this is in the use of the FastMM project.  Please keep this in mind "
                          "when reviewing the changes made by the refactoring.");
    Label1 = WrappedLabel(this, "Label1",
                          "Any code you wish Quillet to ignore (such as used units), you may "
                          "surround with {$IFNDEF Quillet}..{$ENDIF}");
    MoveUsedUnitsCheckBox =
        new QCheckBox("Move used units to implementation section where appropriate", this);
    MoveUsedUnitsCheckBox->setObjectName("MoveUsedUnitsCheckBox");
    MoveUsedUnitsCheckBox->setChecked(true);
    RemoveAllUnUsedUnitsCheckBox = new QCheckBox("Remove all un-used units", this);
    RemoveAllUnUsedUnitsCheckBox->setObjectName("RemoveAllUnUsedUnitsCheckBox");
    NoteLabel = WrappedLabel(this, "NoteLabel",
                             "(Note:  Delphi often automatically adds un-used units when designing "
                             "and saving your forms.  For this reason, this option is not "
                             "recommended)");
    UrlLabel = new QLabel(this);
    UrlLabel->setObjectName("UrlLabel");
    UrlLabel->setStyleSheet("color: navy; font-weight: bold;");
    UrlLabel->setCursor(Qt::PointingHandCursor);
    UrlLabel->setTextFormat(Qt::RichText);
    UrlLabel->setText(QString("<a href=\"%1\" style=\"color: navy;\">%1</a>").arg(UnusedUnitsNoteAddress));
    // The note keeps its room while hidden, so the buttons do not jump.
    for (QLabel* Hidden : {NoteLabel, UrlLabel}) {
        QSizePolicy Policy = Hidden->sizePolicy();
        Policy.setRetainSizeWhenHidden(true);
        Hidden->setSizePolicy(Policy);
        Hidden->hide();
    }
    Layout->addWidget(Label2);
    Layout->addWidget(Label1);
    Layout->addSpacing(4);
    Layout->addWidget(MoveUsedUnitsCheckBox);
    Layout->addWidget(RemoveAllUnUsedUnitsCheckBox);
    Layout->addWidget(NoteLabel);
    Layout->addWidget(UrlLabel);
    Layout->addSpacing(10);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    for (QPushButton* B : {Button1, Button2}) {
        B->setMinimumWidth(75);
        Buttons->addWidget(B);
    }
    Layout->addLayout(Buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(RemoveAllUnUsedUnitsCheckBox, &QCheckBox::clicked, this,
            [this] { RemoveAllUnUsedUnitsCheckBoxClick(); });
    connect(UrlLabel, &QLabel::linkActivated, this, [this] { UrlLabelClick(); });
    adjustSize();
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
