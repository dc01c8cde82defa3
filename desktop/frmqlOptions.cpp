#include "desktop/frmqlOptions.h"

#include "base/uqlPathUtils.h"
#include "analysis/uqlProject.h"
#include "desktop/uqlMemo.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlText.h"
#include "settings/uqlStringList.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace {

constexpr int SettingRole = Qt::UserRole + 1;

QString ListText(const Ref<IqlStringList>& List)
{
    QStringList Lines;
    for (const std::string& Line : qlListLines(List))
        Lines << qlFromAnsi(Line);
    return Lines.join('\n');
}

void SetListText(const Ref<IqlStringList>& List, const QString& Text)
{
    List->SetText(qlToAnsi(Text));
}

QIcon CheckIcon(QWidget* Style, bool Checked)
{
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::transparent);
    QPainter Painter(&Pixmap);
    QStyleOptionButton Option;
    Option.rect = QRect(1, 1, 14, 14);
    Option.state = QStyle::State_Enabled | (Checked ? QStyle::State_On : QStyle::State_Off);
    Style->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &Option, &Painter, Style);
    return QIcon(Pixmap);
}

std::vector<std::string> Lines(const QString& Text)
{
    std::vector<std::string> Result;
    for (const QString& Line : Text.split('\n'))
        Result.push_back(qlToFileName(Line));
    return Result;
}

} // namespace

TfrmOptions::TfrmOptions(QWidget* Parent)
    : TBaseDialogForm("TfrmOptions", true, fsCaptureOnClose | fsStoreOnDestroy, Parent)
{
    setWindowTitle("Options");
    resize(577, 541);
    FImages[0] = style()->standardIcon(QStyle::SP_DirIcon);
    FImages[1] = CheckIcon(this, false);
    FImages[2] = CheckIcon(this, true);

    auto* Outer = new QVBoxLayout(ClientArea());
    Outer->setContentsMargins(7, 7, 7, 0);
    pgcOptions = new QTabWidget(ClientArea());
    pgcOptions->setObjectName("pgcOptions");
    Outer->addWidget(pgcOptions);

    // Project.
    auto* tabProject = new QWidget;
    auto* P = new QGridLayout(tabProject);
    auto* lblFileToAnalyze = new QLabel("&File To Analyze:", tabProject);
    edtFileToAnalyze = new QLineEdit(tabProject);
    lblFileToAnalyze->setBuddy(edtFileToAnalyze);
    btnFileBrowse = new QPushButton("Browse...", tabProject);
    P->addWidget(lblFileToAnalyze, 0, 0, 1, 2);
    P->addWidget(edtFileToAnalyze, 1, 0);
    P->addWidget(btnFileBrowse, 1, 1);
    // A folder memo under its label, its two buttons beside it.
    auto AddFolderMemo = [&](const char* Caption, int Row, QPlainTextEdit*& Memo, QPushButton*& Defaults,
                             QPushButton*& Browse) {
        auto* Label = new QLabel(Caption, tabProject);
        Memo = new TqlMemo(tabProject, true);
        Label->setBuddy(Memo);
        Defaults = new QPushButton("Get Defaults For...", tabProject);
        Browse = new QPushButton("Browse...", tabProject);
        auto* Buttons = new QVBoxLayout;
        Buttons->addWidget(Defaults);
        Buttons->addWidget(Browse);
        Buttons->addStretch(1);
        P->addWidget(Label, Row, 0, 1, 2);
        P->addWidget(Memo, Row + 1, 0);
        P->addLayout(Buttons, Row + 1, 1);
    };
    AddFolderMemo("&Project Directories:", 2, memProjectDirs, btnProjectDefaults, btnProjectBrowse);
    btnProjectDefaults->setVisible(false);
    AddFolderMemo("&Library Directories:", 4, memLibDirs, btnLibDefaults, btnLibBrowse);
    memProjectDirs->setObjectName("memProjectDirs");
    memLibDirs->setObjectName("memLibDirs");
    pgcOptions->addTab(tabProject, "Project");

    // Report options.
    auto* tabPascalLint = new QWidget;
    auto* R = new QVBoxLayout(tabPascalLint);
    auto* Top = new QHBoxLayout;
    auto* Label1 = new QLabel("Report:", tabPascalLint);
    cbReports = new QComboBox(tabPascalLint);
    Label1->setBuddy(cbReports);
    Top->addWidget(Label1);
    Top->addWidget(cbReports, 1);
    R->addLayout(Top);
    vsTReportOptions = new QTreeWidget(tabPascalLint);
    vsTReportOptions->setColumnCount(3);
    vsTReportOptions->setHeaderLabels({"Option", "Project", "Library"});
    vsTReportOptions->setColumnWidth(0, 234);
    vsTReportOptions->setColumnWidth(1, 100);
    vsTReportOptions->setColumnWidth(2, 100);
    vsTReportOptions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    R->addWidget(vsTReportOptions, 1);
    pgcOptions->addTab(tabPascalLint, "Report Options");

    // Defines and aliases.
    auto* tabProjectDefines = new QWidget;
    auto* D = new QVBoxLayout(tabProjectDefines);
    memProjectDefines = new TqlMemo(tabProjectDefines);
    memProjectDefines->setObjectName("memProjectDefines");
    D->addWidget(memProjectDefines, 1);
    auto* Label2 = new QLabel("Unit Aliases", tabProjectDefines);
    AliasesMemo = new TqlMemo(tabProjectDefines);
    AliasesMemo->setObjectName("AliasesMemo");
    Label2->setBuddy(AliasesMemo);
    D->addWidget(Label2);
    D->addWidget(AliasesMemo, 1);
    pgcOptions->addTab(tabProjectDefines, "Project Defines");

    // The defaults menu.
    pmGetDefaults = new QMenu(this);
    for (const TqlLibraryPathSet& Set : GetDelphiLibraryPaths()) {
        QAction* Item = pmGetDefaults->addAction(qlFromFileName(Set.Name));
        const TqlLibraryPathSet* Held = &Set;  // the cache lives for the run
        connect(Item, &QAction::triggered, this, [this, Held] { FillFromDefaultsItem(*Held); });
    }
    const bool HaveDefaults = !pmGetDefaults->actions().isEmpty();
    btnProjectDefaults->setEnabled(HaveDefaults);
    btnLibDefaults->setEnabled(HaveDefaults);

    connect(btnFileBrowse, &QPushButton::clicked, this, &TfrmOptions::btnFileBrowseClick);
    connect(btnProjectBrowse, &QPushButton::clicked, this, [this] { BrowseFolder(memProjectDirs); });
    connect(btnLibBrowse, &QPushButton::clicked, this, [this] { BrowseFolder(memLibDirs); });
    connect(btnProjectDefaults, &QPushButton::clicked, this, [this] {
        TargetMemo = memProjectDirs;
        pmGetDefaults->popup(QCursor::pos());
    });
    connect(btnLibDefaults, &QPushButton::clicked, this, [this] {
        TargetMemo = memLibDirs;
        pmGetDefaults->popup(QCursor::pos());
    });
    connect(cbReports, &QComboBox::activated, this, &TfrmOptions::cbReportsChange);
    connect(vsTReportOptions, &QTreeWidget::itemClicked, this, &TfrmOptions::SettingClicked);

    // The fields.
    pgcOptions->setCurrentIndex(0);
    if (gqlProject) {
        const Ref<IqlOptions> Options = gqlProject->GetOptions();
        edtFileToAnalyze->setText(qlFromFileName(Options->GetFileToAnalyze()));
        memProjectDirs->setPlainText(ListText(Options->GetProjectSearchPath()));
        memLibDirs->setPlainText(ListText(gqlProject->GetSystemOptions()->GetLibrarySearchPath()));
        memProjectDefines->setPlainText(ListText(Options->GetDefines()));
        AliasesMemo->setPlainText(ListText(Options->GetAliases()));
        const Ref<IqlReports> Reports = gqlProject->GetReports();
        for (int I = 0; I < Reports->GetCount(); ++I)
            cbReports->addItem(qlFromAnsi(Reports->GetItem(I)->GetName()));
    }
    cbReports->setCurrentIndex(-1);

    // Centred on the screen rather than restored.
    if (const QScreen* Screen = QApplication::primaryScreen())
        move(Screen->availableGeometry().center() - rect().center());
}

void TfrmOptions::cbReportsChange(int Index)
{
    vsTReportOptions->clear();
    Category = nullptr;
    if (!gqlProject || Index < 0 || Index >= gqlProject->GetReports()->GetCount())
        return;
    Category = gqlProject->GetReports()->GetItem(Index)->GetSettings();
    if (Category)
        FillTree(nullptr, Category);
}

void TfrmOptions::FillTree(QTreeWidgetItem* Parent, const Ref<IqlSettingsCategory>& Cat)
{
    auto NewItem = [&]() {
        return Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(vsTReportOptions);
    };
    // Categories first, then settings.
    for (int I = 0; I < Cat->GetCategoryCount(); ++I) {
        const Ref<IqlSettingsCategory> Sub = Cat->GetCategory(I);
        QTreeWidgetItem* Item = NewItem();
        Item->setText(0, qlFromAnsi(Sub->GetName()));
        Item->setIcon(0, FImages[0]);
        QFont Bold = Item->font(0);
        Bold.setBold(true);
        Item->setFont(0, Bold);
        FillTree(Item, Sub);
    }
    for (int I = 0; I < Cat->GetSettingCount(); ++I) {
        QTreeWidgetItem* Item = NewItem();
        Item->setText(0, qlFromAnsi(Cat->GetSetting(I)->GetName()));
        Item->setData(0, SettingRole, QVariant::fromValue<qulonglong>(
                                          reinterpret_cast<quintptr>(Cat->GetSetting(I).get())));
        ShowFlags(Item);
    }
}

void TfrmOptions::ShowFlags(QTreeWidgetItem* Item)
{
    auto* Setting = reinterpret_cast<IqlSetting*>(
        static_cast<quintptr>(Item->data(0, SettingRole).toULongLong()));
    if (!Setting)
        return;
    Item->setIcon(1, FImages[Setting->GetProject() ? 2 : 1]);
    Item->setIcon(2, FImages[Setting->GetLibrary() ? 2 : 1]);
}

void TfrmOptions::SettingClicked(QTreeWidgetItem* Item, int Column)
{
    if (!Item)
        return;
    // The settings belong to the report held in Category for as long as the
    // tree shows them.
    auto* Setting = reinterpret_cast<IqlSetting*>(
        static_cast<quintptr>(Item->data(0, SettingRole).toULongLong()));
    if (!Setting)
        return;
    if (Column == 1)
        Setting->SetProject(!Setting->GetProject());
    else if (Column == 2)
        Setting->SetLibrary(!Setting->GetLibrary());
    ShowFlags(Item);
}

void TfrmOptions::BrowseFolder(QPlainTextEdit* Memo)
{
    TargetMemo = Memo;
    const QString Folder = qlFolderName(this, "Select Search Directory");
    if (Folder.isEmpty())
        return;
    std::string Name = qlToFileName(Folder);
    if (Name.empty() || Name.back() != '/')
        Name += '/';
    Memo->appendPlainText(qlFromFileName(Name));
    if (qlAsk(this, "Do you want to add all subfolders?", false) != TqlAnswer::Yes)
        return;
    std::vector<std::string> Below;
    AddSubFolders(Name, Below);
    for (const std::string& Sub : Below)
        Memo->appendPlainText(qlFromFileName(Sub));
}

void TfrmOptions::btnFileBrowseClick()
{
    const QString Name = qlOpenFileName(
        this, "Open",
        "Delphi file (*.pas;*.bpg;*.dpr;*.dpk)|*.pas;*.bpg;*.dpr;*.dpk|Delphi project "
        "(*.dpr;*.bpg)|*.dpr;*.bpg|Delphi package (*.dpk)|*.dpk|Delphi unit (*.pas)|*.pas",
        "pas");
    if (!Name.isEmpty())
        edtFileToAnalyze->setText(Name);
}

void TfrmOptions::FillFromDefaultsItem(const TqlLibraryPathSet& Set)
{
    if (!TargetMemo)
        return;
    if (!TargetMemo->toPlainText().isEmpty() &&
        qlAsk(this, "Do you want to clear the current search dirs ?", false) == TqlAnswer::Yes)
        TargetMemo->clear();
    for (const std::string& Folder : Set.Folders)
        TargetMemo->appendPlainText(qlFromFileName(Folder));
}

QString TfrmOptions::CheckPaths(const QString& Text, const QString& KindWord) const
{
    // Relative folders are taken from the folder of the file to analyse, as
    // the analysis takes them.
    std::string Base;
    const std::string File = qlToFileName(edtFileToAnalyze->text());
    std::error_code Ec;
    const std::string Here = std::filesystem::current_path(Ec).string() + "/";
    const std::string Full = File.empty() ? std::string() : qlResolveFile(Here, File);
    Base = Full.empty() ? Here : qlFolderOf(Full);
    const std::string Missing = qlMissingFolders(Lines(Text), Base);
    if (Missing.empty())
        return {};
    return QString("The following %1 paths do not exist:\n\n%2").arg(KindWord, qlFromFileName(Missing));
}

bool TfrmOptions::SaveSettings()
{
    const Ref<IqlFileSettings> File = gqlProject->GetProjectSettingsFile();
    try {
        const Ref<IqlReports> Reports = gqlProject->GetReports();
        for (int I = 0; I < Reports->GetCount(); ++I)
            Reports->GetItem(I)->GetSettings()->Save(File);

        const Ref<IqlOptions> Options = gqlProject->GetOptions();
        const QString FileName = edtFileToAnalyze->text();
        std::error_code Ec;
        const std::string Here = std::filesystem::current_path(Ec).string() + "/";
        if (qlResolveFile(Here, qlToFileName(FileName)).empty())
            qlShowMessage(this, QString("\"File To Analyze\", %1, does not exist.").arg(FileName));
        Options->SetFileToAnalyze(qlToFileName(FileName));

        QString Warning = CheckPaths(memProjectDirs->toPlainText(), "Project");
        if (!Warning.isEmpty())
            qlShowMessage(this, Warning);
        SetListText(Options->GetProjectSearchPath(), memProjectDirs->toPlainText());

        Warning = CheckPaths(memLibDirs->toPlainText(), "Library");
        if (!Warning.isEmpty())
            qlShowMessage(this, Warning);
        SetListText(gqlProject->GetSystemOptions()->GetLibrarySearchPath(), memLibDirs->toPlainText());

        SetListText(Options->GetDefines(), memProjectDefines->toPlainText());
        SetListText(Options->GetAliases(), AliasesMemo->toPlainText());
        Options->Save(File);
        return true;
    } catch (const std::exception& E) {
        qlShowError(this, QString("The project settings could not be saved to %1:\n%2")
                              .arg(qlFromFileName(File->GetFileName()), QString::fromLocal8Bit(E.what())));
        return false;
    }
}

void TfrmOptions::accept()
{
    if (gqlProject && !SaveSettings())
        return;
    TBaseDialogForm::accept();
}

bool EditProjectOptions(QWidget* Parent)
{
    auto* Dialog = new TfrmOptions(Parent);
    const bool Ok = Dialog->exec() == QDialog::Accepted;
    delete Dialog;
    return Ok;
}
