#include "Refactorings/NodeInspector/frmNodeInspector.h"

#include "Refactorings/Common/uqlPluginSupport.h"
#include "Refactorings/uqlPlugin.h"
#include "desktop/uqlText.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <cstdlib>
#include <cxxabi.h>

bool TNodeInspectorRefactoring::GetCanExecute()
{
    return gqlRefactoringHost && gqlRefactoringHost->GetSelectedUnit() != nullptr;
}

void TNodeInspectorRefactoring::Execute()
{
    TqlUnit* Unit = gqlRefactoringHost ? gqlRefactoringHost->GetSelectedUnit() : nullptr;
    if (!Unit)
        return;
    std::unique_ptr<TqlModuleNode> Tree = TryCreateModuleNode(Unit);
    if (!Tree) {
        // Nothing to show for a unit without source.
        qlPostMessage(this, qlFormat("Unit, %s, not found in project.", Unit->GetName()),
                      Unit->GetFileIndex(), Unit->GetX(), Unit->GetY());
        return;
    }
    auto* Form = new TNodeInspectorForm(std::move(Tree));
    Form->exec();
}

std::string qlNodeItemText(const TqlNode* Node)
{
    if (auto* Token = dynamic_cast<const TqlTokenNode*>(Node))
        return ptTokenName(Token->TokenKind());
    int Status = 0;
    char* Name = abi::__cxa_demangle(typeid(*Node).name(), nullptr, nullptr, &Status);
    std::string Result = Status == 0 && Name ? Name : typeid(*Node).name();
    std::free(Name);
    return Result;
}

TNodeInspectorForm::TNodeInspectorForm(std::unique_ptr<TqlModuleNode> AModuleNode)
    : QDialog(nullptr), FModuleNode(std::move(AModuleNode))
{
    setObjectName("NodeInspectorForm");
    setWindowTitle("Refactor Nodes");
    resize(800, 600);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont Font("MS Sans Serif");
    Font.setPixelSize(11);
    setFont(Font);

    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    File1 = MainMenu1->addMenu("&File");
    File1->setObjectName("File1");
    GenerateAction = new QAction("Generate...", this);
    GenerateAction->setObjectName("GenerateAction");
    File1->addAction(GenerateAction);
    connect(GenerateAction, &QAction::triggered, this, [this] {
        try {
            GenerateActionExecute();
        } catch (const std::exception& E) {
            QMessageBox::critical(this, windowTitle(), QString::fromStdString(E.what()));
        }
    });
    Layout->setMenuBar(MainMenu1);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    RefactorTreeView = new QTreeWidget(Splitter1);
    RefactorTreeView->setObjectName("RefactorTreeView");
    RefactorTreeView->setHeaderHidden(true);
    RefactorSynEdit = new QsciScintilla(Splitter1);
    RefactorSynEdit->setObjectName("RefactorSynEdit");
    RefactorSynEdit->setUtf8(true);  // holds any character the source pane shows
    SynPasSyn1 = new QsciLexerPascal(RefactorSynEdit);
    SynPasSyn1->setObjectName("SynPasSyn1");
    // 13 pixels, as the main window's source pane; the editor takes sizes
    // in points, in every style of the highlighter.
    QFont Code("Courier New");
    Code.setStyleHint(QFont::TypeWriter);
    Code.setFixedPitch(true);
    const QScreen* Screen = QGuiApplication::primaryScreen();
    Code.setPointSizeF(13.0 * 72.0 / (Screen ? Screen->logicalDotsPerInch() : 96.0));
    SynPasSyn1->setDefaultFont(Code);
    SynPasSyn1->setFont(Code);
    RefactorSynEdit->setLexer(SynPasSyn1);
    Splitter1->setSizes({311, 800 - 311});
    Layout->addWidget(Splitter1, 1);
    RefactorStatusBar = new QStatusBar(this);
    RefactorStatusBar->setObjectName("RefactorStatusBar");
    Layout->addWidget(RefactorStatusBar);
    // The nodes hold the file's bytes; they read as the whole file does.
    if (FModuleNode)
        FUtf8 = qlIsUtf8Source(QByteArray::fromStdString(FModuleNode->GetText()));
    connect(RefactorTreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* Current, QTreeWidgetItem*) { RefactorTreeViewChange(Current); });
    LoadTreeView();
}

TNodeInspectorForm::~TNodeInspectorForm()
{
    // The items point into the tree: they go first.
    RefactorTreeView->clear();
}

void TNodeInspectorForm::LoadTreeView()
{
    RefactorTreeView->setUpdatesEnabled(false);
    RefactorTreeView->clear();
    std::function<void(TqlNode*, QTreeWidgetItem*)> Add = [&](TqlNode* Node, QTreeWidgetItem* Parent) {
        auto* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(RefactorTreeView);
        Item->setText(0, QString::fromStdString(qlNodeItemText(Node)));
        Item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(Node)));
        for (int I = 0; I < Node->Count(); ++I)
            Add(Node->GetNode(I), Item);
    };
    if (FModuleNode)
        Add(FModuleNode.get(), nullptr);
    RefactorTreeView->setUpdatesEnabled(true);
}

void TNodeInspectorForm::RefactorTreeViewChange(QTreeWidgetItem* Item)
{
    if (!Item)
        return;
    auto* Node = reinterpret_cast<TqlNode*>(Item->data(0, Qt::UserRole).value<quintptr>());
    auto* Code = dynamic_cast<TqlCodeNode*>(Node);
    if (!Code) {
        RefactorSynEdit->clear();
        return;
    }
    RefactorSynEdit->setText(qlFromSource(Code->DoGetCode(), FUtf8));
    // Line and column as the analysis counts them.
    RefactorStatusBar->showMessage(
        QString::asprintf("%d:  %d", Code->GetPoint().Y, Code->GetPoint().X));
}

void TNodeInspectorForm::GenerateActionExecute()
{
    std::string FileName;
    if (!qlInputQuery("File", "File", FileName) || FileName.empty() || !FModuleNode)
        return;
    FModuleNode->Generate(FileName, true);
}

namespace {

void Initialize()
{
    qlRequireHost();
    qlPluginRegistrations().Register(new TNodeInspectorRefactoring, "");
}

} // namespace

QL_PLUGIN_ENTRY_POINTS(Initialize, qlFinalizePlugin)
