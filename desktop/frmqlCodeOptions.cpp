#include "desktop/frmqlCodeOptions.h"

#include "desktop/frmqlPrefixDlg.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlText.h"
#include "settings/uqlRegExpr.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int PrefixRole = Qt::UserRole + 1;

const char* RegExprHelp = "For help on regular expressions : "
                          "https://www.pcre.org/current/doc/html/pcre2pattern.html";

IqlComponentPrefix* PrefixOf(const QTreeWidgetItem* Item)
{
    return Item ? reinterpret_cast<IqlComponentPrefix*>(
                      static_cast<quintptr>(Item->data(0, PrefixRole).toULongLong()))
                : nullptr;
}

} // namespace

TCodeOptions::TCodeOptions(const Ref<IqlCodingConventions>& AConventions, QWidget* Parent)
    : TBaseDialogForm("TCodeOptions", true, fsAllSteps, Parent), Conventions(AConventions)
{
    setWindowTitle("Coding Conventions");
    resize(563, 411);
    auto* Outer = new QVBoxLayout(ClientArea());
    Outer->setContentsMargins(7, 7, 7, 0);
    pgcCodingConventions = new QTabWidget(ClientArea());
    Outer->addWidget(pgcCodingConventions);

    // Indentation.
    auto* tabIndentation = new QWidget;
    auto* I = new QVBoxLayout(tabIndentation);
    auto* SpacesRow = new QHBoxLayout;
    auto* lblSpaces = new QLabel("Spaces per indent:", tabIndentation);
    cbSpacesPerIndent = new QComboBox(tabIndentation);
    for (int V = 0; V <= 6; ++V)
        cbSpacesPerIndent->addItem(QString::number(V), V);
    lblSpaces->setBuddy(cbSpacesPerIndent);
    SpacesRow->addWidget(lblSpaces);
    SpacesRow->addWidget(cbSpacesPerIndent);
    SpacesRow->addStretch(1);
    I->addLayout(SpacesRow);
    auto* Groups = new QHBoxLayout;
    auto* grpBefore = new QGroupBox(" Extra Indentation Before ", tabIndentation);
    auto* B = new QVBoxLayout(grpBefore);
    chkExtraIndentBeforeBegin = new QCheckBox("Begin", grpBefore);
    chkExtraIndentBeforeTry = new QCheckBox("Try", grpBefore);
    chkExtraIndentBeforeElseInTryBlock = new QCheckBox("\"else\" in \"try\" block", grpBefore);
    chkExtraIndentBeforeElseInCaseBlock = new QCheckBox("\"else\" in \"case\" block", grpBefore);
    for (QCheckBox* C : {chkExtraIndentBeforeBegin, chkExtraIndentBeforeTry,
                         chkExtraIndentBeforeElseInTryBlock, chkExtraIndentBeforeElseInCaseBlock})
        B->addWidget(C);
    auto* grpExceptions = new QGroupBox(" Indentation Exceptions ", tabIndentation);
    auto* E = new QVBoxLayout(grpExceptions);
    chkNeverindentElseIf = new QCheckBox("Never Indent \"else if\"", grpExceptions);
    chkIndentComments = new QCheckBox("Indent Comments", grpExceptions);
    chkIndentCompilerDirectives = new QCheckBox("Indent compiler directives", grpExceptions);
    for (QCheckBox* C : {chkNeverindentElseIf, chkIndentComments, chkIndentCompilerDirectives})
        E->addWidget(C);
    Groups->addWidget(grpBefore);
    Groups->addWidget(grpExceptions);
    I->addLayout(Groups);
    auto* grpSpacing = new QGroupBox(" Spacing ", tabIndentation);
    auto* S = new QVBoxLayout(grpSpacing);
    ListView1 = new QTreeWidget(grpSpacing);
    ListView1->setHeaderLabels({"Description", "Operators", "Spacing"});
    ListView1->setColumnWidth(0, 150);
    ListView1->setColumnWidth(1, 250);
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    S->addWidget(ListView1);
    I->addWidget(grpSpacing, 1);
    pgcCodingConventions->addTab(tabIndentation, "Indentation");

    // Naming conventions.
    using N = IqlNamingConventions;
    NamingFields = {{
        {"Local Variables:", nullptr, &N::GetLocalVariables, &N::SetLocalVariables},
        {"Global Variables:", nullptr, &N::GetGlobalVariables, &N::SetGlobalVariables},
        {"Constants:", nullptr, &N::GetConstants, &N::SetConstants},
        {"Class Fields:", nullptr, &N::GetClassFields, &N::SetClassFields},
        {"Routine Name:", nullptr, &N::GetRoutineNames, &N::SetRoutineNames},
        {"Const Parameters:", nullptr, &N::GetConstParameters, &N::SetConstParameters},
        {"Var Parameters:", nullptr, &N::GetVarParameters, &N::SetVarParameters},
        {"Other Parameters:", nullptr, &N::GetParameters, &N::SetParameters},
        {"Classes:", nullptr, &N::GetClassTypes, &N::SetClassTypes},
        {"Interfaces:", nullptr, &N::GetInterfaceTypes, &N::SetInterfaceTypes},
        {"Records:", nullptr, &N::GetRecordTypes, &N::SetRecordTypes},
        {"Objects (legacy):", nullptr, &N::GetObjectTypes, &N::SetObjectTypes},
        {"Pointers:", nullptr, &N::GetPointerTypes, &N::SetPointerTypes},
        {"Properties:", nullptr, &N::GetProperties, &N::SetProperties},
        {"Get Routines:", nullptr, &N::GetGetRoutines, &N::SetGetRoutines},
        {"Set Routines:", nullptr, &N::GetSetRoutines, &N::SetSetRoutines},
    }};
    static const char* const GroupTitles[4] = {" Variables ", " Routines ", " Types ", " Properties "};
    static const int GroupStarts[5] = {0, 4, 8, 13, 16};
    auto* tabNamingConventions = new QWidget;
    auto* NGrid = new QGridLayout(tabNamingConventions);
    for (int G = 0; G < 4; ++G) {
        auto* Group = new QGroupBox(GroupTitles[G], tabNamingConventions);
        auto* Form = new QFormLayout(Group);
        for (int F = GroupStarts[G]; F < GroupStarts[G + 1]; ++F) {
            NamingFields[F].Edit = new QLineEdit(Group);
            Form->addRow(NamingFields[F].Label, NamingFields[F].Edit);
        }
        NGrid->addWidget(Group, G / 2, G % 2, Qt::AlignTop);
    }
    NGrid->setRowStretch(2, 1);
    pgcCodingConventions->addTab(tabNamingConventions, "Naming Conventions");

    // Component prefixes.
    auto* tabComponentPrefixes = new QWidget;
    auto* C = new QVBoxLayout(tabComponentPrefixes);
    auto* grpGeneral = new QGroupBox(" General Prefix Options ", tabComponentPrefixes);
    auto* GL = new QVBoxLayout(grpGeneral);
    chkEnforceOnlyIfComponentUsed = new QCheckBox("Only if Component is used in code", grpGeneral);
    GL->addWidget(chkEnforceOnlyIfComponentUsed);
    C->addWidget(grpGeneral);
    auto* ListRow = new QHBoxLayout;
    lvCmpPrefixes = new QTreeWidget(tabComponentPrefixes);
    lvCmpPrefixes->setHeaderLabels({"Prefix", "Component Class"});
    lvCmpPrefixes->setColumnWidth(0, 150);
    lvCmpPrefixes->setColumnWidth(1, 350);
    lvCmpPrefixes->setRootIsDecorated(false);
    lvCmpPrefixes->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvCmpPrefixes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCmpPrefixes->setSortingEnabled(true);
    lvCmpPrefixes->sortByColumn(0, Qt::AscendingOrder);
    lvCmpPrefixes->installEventFilter(this);
    ListRow->addWidget(lvCmpPrefixes, 1);
    auto* Buttons = new QVBoxLayout;
    tbnAddComponentPrefix = new QPushButton("Add...", tabComponentPrefixes);
    btnDeleteComponentPrefix = new QPushButton("Delete...", tabComponentPrefixes);
    btnGetDefaultPrefixes = new QPushButton("Defaults...", tabComponentPrefixes);
    Buttons->addWidget(tbnAddComponentPrefix);
    Buttons->addWidget(btnDeleteComponentPrefix);
    Buttons->addWidget(btnGetDefaultPrefixes);
    Buttons->addStretch(1);
    ListRow->addLayout(Buttons);
    C->addLayout(ListRow, 1);
    pgcCodingConventions->addTab(tabComponentPrefixes, "Component Prefixes");

    // The help line, left of the command buttons.
    edtRegExprHelp = new QLineEdit(RegExprHelp, pnlCommandButtons);
    edtRegExprHelp->setReadOnly(true);
    edtRegExprHelp->setFrame(false);
    edtRegExprHelp->setCursorPosition(0);
    edtRegExprHelp->setToolTip(RegExprHelp);
    edtRegExprHelp->setStyleSheet("background: palette(button);");
    // The whole line shows: the dialog is never narrower than it needs.
    edtRegExprHelp->setMinimumWidth(edtRegExprHelp->fontMetrics().horizontalAdvance(RegExprHelp) + 12);
    if (auto* Panel = qobject_cast<QBoxLayout*>(pnlCommandButtons->layout()))
        for (int K = 0; K < Panel->count(); ++K)
            if (auto* Row = qobject_cast<QBoxLayout*>(Panel->itemAt(K)->layout())) {
                Row->insertWidget(0, edtRegExprHelp, 1);
                break;
            }

    connect(tbnAddComponentPrefix, &QPushButton::clicked, this, &TCodeOptions::tbnAddComponentPrefixClick);
    connect(btnDeleteComponentPrefix, &QPushButton::clicked, this,
            &TCodeOptions::btnDeleteComponentPrefixClick);
    connect(btnGetDefaultPrefixes, &QPushButton::clicked, this, &TCodeOptions::btnGetDefaultPrefixesClick);
    connect(lvCmpPrefixes, &QTreeWidget::itemDoubleClicked, this, [this] { lvCmpPrefixesDblClick(); });

    // Loading.
    pgcCodingConventions->setCurrentIndex(0);
    const Ref<IqlIndentationConventions> Indent = Conventions->GetIndentationConventions();
    const int Spaces = Indent->GetSpacesPerIndent();
    if (Spaces < 0 || Spaces > 6)
        cbSpacesPerIndent->addItem(QString::number(Spaces), Spaces);  // kept as it is on OK
    cbSpacesPerIndent->setCurrentIndex(cbSpacesPerIndent->findData(Spaces));
    chkExtraIndentBeforeBegin->setChecked(Indent->GetIndentBeforeBegin());
    chkExtraIndentBeforeTry->setChecked(Indent->GetIndentBeforeTry());
    chkExtraIndentBeforeElseInTryBlock->setChecked(Indent->GetIndentBeforeElseInTryBlock());
    chkExtraIndentBeforeElseInCaseBlock->setChecked(Indent->GetIndentBeforeElseInCaseBlock());
    chkNeverindentElseIf->setChecked(Indent->GetNeverIndentElseIf());
    chkIndentComments->setChecked(Indent->GetIndentComments());
    chkIndentCompilerDirectives->setChecked(Indent->GetIndentDirectives());
    const Ref<IqlNamingConventions> Naming = Conventions->GetNamingConventions();
    for (const TNamingField& F : NamingFields)
        F.Edit->setText(qlFromAnsi((Naming.get()->*F.Get)()));
    LoadPrefixes();
    FormCreate();
}

QTreeWidgetItem* TCodeOptions::AddPrefixRow(IqlComponentPrefix* Prefix)
{
    auto* Item = new QTreeWidgetItem(lvCmpPrefixes);
    Item->setText(0, qlFromAnsi(Prefix->GetPrefix()));
    Item->setText(1, qlFromAnsi(Prefix->GetComponentClass()));
    Item->setData(0, PrefixRole, QVariant::fromValue<qulonglong>(reinterpret_cast<quintptr>(Prefix)));
    return Item;
}

void TCodeOptions::LoadPrefixes()
{
    const Ref<IqlPrefixList> Prefixes = Conventions->GetComponentPrefixes();
    chkEnforceOnlyIfComponentUsed->setChecked(!Prefixes->GetEnforcePrefixOnUnreferenced());
    lvCmpPrefixes->setUpdatesEnabled(false);
    lvCmpPrefixes->clear();
    for (int K = 0; K < Prefixes->GetCount(); ++K)
        AddPrefixRow(Prefixes->GetItem(K).get());
    lvCmpPrefixes->setUpdatesEnabled(true);
}

void TCodeOptions::tbnAddComponentPrefixClick()
{
    std::string Prefix, ComponentClass;
    if (!EditComponentPrefix(Prefix, ComponentClass))
        return;
    const Ref<IqlComponentPrefix> Added = Conventions->GetComponentPrefixes()->Add(Prefix, ComponentClass);
    AddPrefixRow(Added.get());
}

void TCodeOptions::lvCmpPrefixesDblClick()
{
    QTreeWidgetItem* Item = lvCmpPrefixes->currentItem();
    IqlComponentPrefix* Prefix = PrefixOf(Item);
    if (!Prefix || !Item->isSelected())
        return;
    std::string Text = Prefix->GetPrefix(), ComponentClass = Prefix->GetComponentClass();
    if (!EditComponentPrefix(Text, ComponentClass))
        return;
    Prefix->SetPrefix(Text);
    Prefix->SetComponentClass(ComponentClass);
    Item->setText(0, qlFromAnsi(Text));
    Item->setText(1, qlFromAnsi(ComponentClass));
}

void TCodeOptions::btnDeleteComponentPrefixClick()
{
    QTreeWidgetItem* Item = lvCmpPrefixes->currentItem();
    IqlComponentPrefix* Prefix = PrefixOf(Item);
    if (!Prefix || !Item->isSelected())
        return;
    if (qlAsk(this, "Are you sure you want to delete the selected prefix?", false) != TqlAnswer::Yes)
        return;
    Conventions->GetComponentPrefixes()->Remove(Ref<IqlComponentPrefix>(Prefix));
    delete Item;
}

void TCodeOptions::btnGetDefaultPrefixesClick()
{
    if (qlAsk(this, "Are you sure you want to reset the default prefixes?", false) != TqlAnswer::Yes)
        return;
    Conventions->GetComponentPrefixes()->LoadDefaults();
    LoadPrefixes();
}

bool TCodeOptions::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == lvCmpPrefixes && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
        btnDeleteComponentPrefixClick();
        return true;
    }
    return TBaseDialogForm::eventFilter(Watched, Event);
}

bool TCodeOptions::CheckPatterns()
{
    Ref<IqlRegExpr> Engine = gqlProject ? gqlProject->GetRegExpr() : Ref<IqlRegExpr>();
    if (!Engine)
        Engine = Ref<IqlRegExpr>(new TqlRegExpr);
    for (const TNamingField& F : NamingFields) {
        try {
            Engine->Matches(qlToAnsi(F.Edit->text()), "");
        } catch (const std::exception& E) {
            QString Label = F.Label;
            Label.chop(1);  // the colon
            qlShowError(this, QString("The pattern for %1 is not a valid regular expression:\n%2")
                                  .arg(Label, qlFromAnsi(E.what())));
            pgcCodingConventions->setCurrentIndex(1);
            F.Edit->setFocus();
            return false;
        }
    }
    return true;
}

void TCodeOptions::accept()
{
    if (!CheckPatterns())
        return;
    const Ref<IqlIndentationConventions> Indent = Conventions->GetIndentationConventions();
    Indent->SetSpacesPerIndent(cbSpacesPerIndent->currentData().toInt());
    Indent->SetIndentBeforeBegin(chkExtraIndentBeforeBegin->isChecked());
    Indent->SetIndentBeforeTry(chkExtraIndentBeforeTry->isChecked());
    Indent->SetIndentBeforeElseInTryBlock(chkExtraIndentBeforeElseInTryBlock->isChecked());
    Indent->SetIndentBeforeElseInCaseBlock(chkExtraIndentBeforeElseInCaseBlock->isChecked());
    Indent->SetNeverIndentElseIf(chkNeverindentElseIf->isChecked());
    Indent->SetIndentComments(chkIndentComments->isChecked());
    Indent->SetIndentDirectives(chkIndentCompilerDirectives->isChecked());
    Conventions->GetComponentPrefixes()->SetEnforcePrefixOnUnreferenced(
        !chkEnforceOnlyIfComponentUsed->isChecked());
    const Ref<IqlNamingConventions> Naming = Conventions->GetNamingConventions();
    for (const TNamingField& F : NamingFields)
        (Naming.get()->*F.Set)(qlToAnsi(F.Edit->text()));
    try {
        Conventions->Save();
    } catch (const std::exception& E) {
        qlShowError(this, QString("The coding conventions could not be saved to "
                                  "\"codeconventions.ql\":\n%1")
                              .arg(QString::fromLocal8Bit(E.what())));
        return;
    }
    TBaseDialogForm::accept();
}

void EditCodingConventions(QWidget* Parent)
{
    if (!gqlProject)
        return;
    TCodeOptions Dialog(gqlProject->GetCodingConventions(), Parent);
    Dialog.exec();
}
