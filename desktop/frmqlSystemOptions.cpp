#include "desktop/frmqlSystemOptions.h"

#include "desktop/uqlMemo.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlText.h"
#include "model/uqlClasses.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TSystemOptionsForm* GForm = nullptr;

Ref<IqlRefactorOptions> RefactorOptions()
{
    return gqlProject ? gqlProject->GetSystemOptions()->GetRefactorOptions() : Ref<IqlRefactorOptions>();
}

} // namespace

TSystemOptionsForm::TSystemOptionsForm(QWidget* Parent)
    : TBaseDialogForm("TSystemOptionsForm", true, fsRestoreOnCreate | fsStoreOnDestroy, Parent)
{
    setWindowTitle("System Options");
    resize(491, 418);
    auto* Outer = new QVBoxLayout(ClientArea());
    Outer->setContentsMargins(7, 7, 7, 0);
    pgcSystemOptions = new QTabWidget(ClientArea());
    Outer->addWidget(pgcSystemOptions);
    auto* Page = new QWidget;
    auto* G = new QGridLayout(Page);
    auto* Heading = new QLabel("Folder Comparison...", Page);
    QFont Bold = Heading->font();
    Bold.setBold(true);
    Heading->setFont(Bold);
    G->addWidget(Heading, 0, 0, 1, 3);
    G->addWidget(new QLabel("Application", Page), 1, 0);
    ApplicationEdit = new QLineEdit(Page);
    G->addWidget(ApplicationEdit, 1, 1);
    BrowseApplicationButton = new QPushButton("Browse...", Page);
    G->addWidget(BrowseApplicationButton, 1, 2);
    G->addWidget(new QLabel("Parameters", Page), 2, 0);
    ParamsEdit = new QLineEdit(Page);
    G->addWidget(ParamsEdit, 2, 1);
    G->addWidget(new QLabel("e.g. %1 %2", Page), 3, 1);
    auto* Plugins = new QLabel("Refactoring Plugins", Page);
    Plugins->setFont(Bold);
    G->addWidget(Plugins, 4, 0, 1, 3);
    RefactoringsMemo = new TqlMemo(Page, true);  // the plug-ins' files
    RefactoringsMemo->setObjectName("RefactoringsMemo");
    G->addWidget(RefactoringsMemo, 5, 0, 1, 2);
    BrowseRefactoringButton = new QPushButton("Browse...", Page);
    G->addWidget(BrowseRefactoringButton, 5, 2, Qt::AlignTop);
    G->setRowStretch(5, 1);
    pgcSystemOptions->addTab(Page, "Refactoring");

    connect(BrowseApplicationButton, &QPushButton::clicked, this,
            &TSystemOptionsForm::BrowseApplicationButtonClick);
    connect(BrowseRefactoringButton, &QPushButton::clicked, this,
            &TSystemOptionsForm::BrowseRefactoringButtonClick);
    FormCreate();
}

void TSystemOptionsForm::showEvent(QShowEvent* Event)
{
    FormShow();
    TBaseDialogForm::showEvent(Event);
}

void TSystemOptionsForm::FormShow()
{
    const Ref<IqlRefactorOptions> Options = RefactorOptions();
    if (!Options)
        return;
    ApplicationEdit->setText(qlFromFileName(Options->GetFolderComparisonExe()));
    ParamsEdit->setText(qlFromAnsi(Options->GetFolderComparisonExeParams()));
    QStringList Lines;
    for (const std::string& Line : Options->GetRefactorings())
        Lines << qlFromFileName(Line);
    RefactoringsMemo->setPlainText(Lines.join('\n'));
}

void TSystemOptionsForm::accept()
{
    if (const Ref<IqlRefactorOptions> Options = RefactorOptions()) {
        Options->SetFolderComparisonExe(qlToFileName(ApplicationEdit->text()));
        Options->SetFolderComparisonExeParams(qlToAnsi(ParamsEdit->text()));
        std::vector<std::string> Lines;
        const QString Text = RefactoringsMemo->toPlainText();
        if (!Text.isEmpty())
            for (const QString& Line : Text.split('\n'))
                Lines.push_back(qlToFileName(Line));
        Options->SetRefactorings(Lines);
        const Ref<IqlFileSettings> File = gqlProject->GetSystemSettingsFile();
        try {
            Options->Save(File);
        } catch (const std::exception& E) {
            qlShowError(this, QString("The system options could not be saved to %1:\n%2")
                                  .arg(qlFromFileName(File->GetFileName()),
                                       QString::fromLocal8Bit(E.what())));
            return;
        }
    }
    TBaseDialogForm::accept();
}

void TSystemOptionsForm::BrowseApplicationButtonClick()
{
    const QString Name = qlOpenFileName(this, "Open", "All Files (*)|*", QString());
    if (!Name.isEmpty())
        ApplicationEdit->setText(Name);
}

void TSystemOptionsForm::BrowseRefactoringButtonClick()
{
    const QString Name =
        qlOpenFileName(this, "Open", "Refactoring (*.so)|*.so|All Files (*)|*", "so");
    if (!Name.isEmpty())
        RefactoringsMemo->appendPlainText(Name);
}

TSystemOptionsForm* SystemOptionsForm() { return GForm; }

void CreateSystemOptionsForm(QWidget* Parent)
{
    if (!GForm)
        GForm = new TSystemOptionsForm(Parent);
}

void FreeSystemOptionsForm()
{
    delete GForm;
    GForm = nullptr;
}

void ShowSystemOptionsForm()
{
    if (GForm)
        GForm->exec();
}
