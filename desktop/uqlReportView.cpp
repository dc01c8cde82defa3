#include "desktop/uqlReportView.h"

#include "base/qlFileLimits.h"
#include "desktop/uqlText.h"
#include "reports/uqlReport.h"
#include "reports/uqlReportData.h"
#include "settings/uqlStringList.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* ReportsSection = "Reports";

} // namespace

// --- TVTReportViewer -------------------------------------------------------

TVTReportViewer::~TVTReportViewer()
{
    if (Report) {
        try {
            Report->SetVisible(false);
            // A grid never laid out on screen has no height of the user's.
            if (gqlQuilletOptions && Grid && (FHeightShown || !Splitter))
                gqlQuilletOptions->WriteValue(ReportsSection, Report->GetName(), Grid->height());
        } catch (...) {
            // The tab goes whatever the settings file says.
        }
    }
    UsedBy = nullptr;
    delete UsedByGrid.data();
    delete Grid.data();
    delete Splitter.data();
}

bool TVTReportViewer::eventFilter(QObject* Watched, QEvent* Event)
{
    // A hidden page gets its last resize just before it is shown.
    // Compared as a plain object: the splitter may be part way through its
    // destruction when it sends other events.
    const bool Sized = Event->type() == QEvent::Resize || Event->type() == QEvent::Show;
    if (Sized && Watched == FSplitterObject && !FUserSized && Splitter && Splitter->isVisible() &&
        FWantedHeight >= 0) {
        const int Height = Splitter->height();
        const int H = std::max(0, std::min(FWantedHeight, Height - 80));
        Splitter->setSizes({H, std::max(0, Height - H - Splitter->handleWidth())});
        FHeightShown = true;
    }
    return QObject::eventFilter(Watched, Event);
}

TVirtualStringTreeEx* TVTReportViewer::CreateGrid(QWidget* Parent)
{
    auto* Grid = new TVirtualStringTreeEx(Parent);
    Grid->SetAutoWidth(true);
    return Grid;
}

void TVTReportViewer::Setup(QWidget* Page, const Ref<IqlReport>& AReport)
{
    Report = AReport;
    UsedBy = nullptr;
    auto* Layout = new QVBoxLayout(Page);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    if (Report->GetHasUsedBy()) {
        int H = 300;
        if (gqlQuilletOptions) {
            try {
                H = static_cast<int>(
                    gqlQuilletOptions->ReadValue(ReportsSection, Report->GetName(), 300).AsInteger());
            } catch (...) {
                H = 300;
            }
        }
        FWantedHeight = std::max(0, H);
        const QWidget* Area = Page->parentWidget() ? Page->parentWidget() : Page;
        const int PageHeight = std::max(Page->height(), Area->height());
        H = std::max(0, std::min(H, PageHeight - 80));
        Splitter = new QSplitter(Qt::Vertical, Page);
        Splitter->setHandleWidth(6);
        Splitter->setChildrenCollapsible(false);
        Grid = CreateGrid(Splitter);
        UsedByGrid = CreateGrid(Splitter);
        Splitter->addWidget(Grid);
        Splitter->addWidget(UsedByGrid);
        Splitter->setStretchFactor(0, 0);
        Splitter->setStretchFactor(1, 1);
        Layout->addWidget(Splitter);
        if (Page->isVisible()) {
            Splitter->resize(Page->width(), PageHeight);
            Splitter->setSizes({H, std::max(0, PageHeight - H - Splitter->handleWidth())});
            FHeightShown = true;
        }
        // A page not yet on screen (a tab reopened at start-up, a tab behind
        // another) has no height to cut against: the wanted height is
        // applied as it is laid out, until the user moves the splitter.
        FSplitterObject = Splitter.data();
        Splitter->installEventFilter(this);
        connect(Splitter, &QSplitter::splitterMoved, this, [this] {
            FUserSized = true;
            FHeightShown = true;
        });
        UsedByGrid->BeginColumnUpdate();
        UsedByGrid->AddColumn("Unit", 100, Qt::AlignLeft);
        UsedByGrid->AddColumn("Location", 80, Qt::AlignHCenter);
        UsedByGrid->AddColumn("Wrong Case", 80, Qt::AlignHCenter);
        UsedByGrid->EndColumnUpdate();
        UsedByGrid->Model()->SetCellText([this](int Row, int Col) { return UsedByText(Row, Col); });
        connect(UsedByGrid, &TVirtualStringTreeEx::RowDoubleClicked, this, [this](int Row) {
            if (UsedBy && Row >= 0 && Row < UsedBy->GetCount() && gqlProject)
                gqlProject->ShowCode(UsedBy->GetLocations(Row));
        });
    } else {
        Grid = CreateGrid(Page);
        Layout->addWidget(Grid);
    }
    Data = Report->GetData();
    Grid->Model()->SetCellText([this](int Row, int Col) { return CellText(Row, Col); });
    const Ref<IqlColumns> Columns = Report->GetColumns();
    Grid->BeginColumnUpdate();
    for (int I = 0; I < Columns->GetCount(); ++I) {
        const Ref<IqlColumn> Column = Columns->GetItem(I);
        const QString Title = qlFromAnsi(Column->GetTitle());
        switch (Column->GetKind()) {
        case dtString:
            Grid->AddColumn(Title, 80, Qt::AlignLeft);
            break;
        case dtBoolean:
            Grid->AddColumn(Title, 20, Qt::AlignRight);
            break;
        default:
            Grid->AddColumn(Title, 80, Qt::AlignRight);
            break;
        }
    }
    Grid->EndColumnUpdate();
    connect(Grid, &TVirtualStringTreeEx::RowDoubleClicked, this, [this](int Row) {
        if (Data && Row >= 0 && Row < Data->GetRowCount())
            Data->ShowCode(Row);
    });
    connect(Grid, &TVirtualStringTreeEx::FocusChanged, this, &TVTReportViewer::FocusRow);
    connect(Grid, &TVirtualStringTreeEx::HeaderClicked, this, &TVTReportViewer::HeaderClick);
}

void TVTReportViewer::Refill(QWidget* /*Page*/, const Ref<IqlReport>& AReport)
{
    DropUsedBy();
    FUtf8Files.clear();  // the files may have changed since
    if (!Grid)
        return;
    Data = AReport->GetData();
    const bool Sortable = AReport->GetSortable();
    Grid->horizontalHeader()->setSortIndicatorShown(Sortable);
    if (Sortable)
        Grid->ShowSortGlyph(SortColumn, SortAscending);
    Grid->SetRowCount(Data->GetRowCount());
    Grid->Model()->Redraw();
    FocusRow(Grid->FocusedRow());
}

void TVTReportViewer::DropUsedBy()
{
    UsedBy = nullptr;
    if (UsedByGrid)
        UsedByGrid->SetRowCount(0);
    if (Grid)
        Grid->SetRowCount(0);
}

void TVTReportViewer::FocusRow(int Row)
{
    if (!UsedByGrid)
        return;
    UsedBy = nullptr;
    UsedByGrid->SetRowCount(0);
    if (Row >= 0 && Data && Row < Data->GetRowCount()) {
        try {
            UsedBy = Data->GetUsedBy(Row);
        } catch (...) {
            UsedBy = nullptr;
        }
        if (UsedBy)
            UsedByGrid->SetRowCount(UsedBy->GetCount());
    }
    UsedByGrid->Model()->Redraw();
}

void TVTReportViewer::HeaderClick(int Col)
{
    if (!Report || !Report->GetSortable() || !Data || !Grid)
        return;
    if (Col == SortColumn) {
        SortAscending = !SortAscending;
    } else {
        SortColumn = Col;
        SortAscending = true;
    }
    Grid->ShowSortGlyph(SortColumn, SortAscending);
    Data->Sort(SortAscending, SortColumn);
    Grid->Model()->Redraw();
    // The focused row now holds another row's symbol.
    FocusRow(Grid->FocusedRow());
}

QString TVTReportViewer::CellText(int Row, int Col) const
{
    if (!Data || Row >= Data->GetRowCount())
        return {};
    Variant Value;
    Data->GetValue(Row, Col + 1, Value);
    const std::string Text = qlVariantToText(Value);
    // Text taken from a source file (a string literal) is in the file's
    // encoding; plain ASCII reads the same in every one.
    const bool Ascii = std::all_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
    return Ascii ? QString::fromLatin1(Text.data(), static_cast<qsizetype>(Text.size()))
                 : qlFromSource(Text, RowIsUtf8(Row));
}

bool TVTReportViewer::RowIsUtf8(int Row) const
{
    auto* Rows = dynamic_cast<TqlReportData*>(Data.get());
    TqlCodeLocation* Location = Rows ? Rows->GetSymbol(Row) : nullptr;
    if (!Location || Location->GetFileIndex() < 0)
        return false;
    const std::string File = Location->GetFileName();
    const auto Known = FUtf8Files.find(File);
    if (Known != FUtf8Files.end())
        return Known->second;
    std::string Bytes, Why;
    const bool Utf8 = qlReadLimitedFile(File, qlMaxSourceFileSize, Bytes, Why) == TqlFileProblem::None &&
                      qlIsUtf8Source(QByteArray::fromStdString(Bytes));
    FUtf8Files.emplace(File, Utf8);
    return Utf8;
}

QString TVTReportViewer::UsedByText(int Row, int Col) const
{
    if (!UsedBy || Row < 0 || Row >= UsedBy->GetCount())
        return {};
    TqlUsedByLocation* Location = UsedBy->GetLocations(Row);
    if (!Location)
        return {};
    switch (Col) {
    case 0: {
        TqlUnit* Unit = Location->GetUnitIntf();
        return Unit ? qlFromAnsi(Unit->GetName()) : QString();
    }
    case 1:
        return QString("%1:%2").arg(Location->GetX()).arg(Location->GetY());
    case 2:
        return Location->GetIsWrongCase() ? QString("  X  ") : QString();
    default:
        return {};
    }
}

// --- TReportPages ----------------------------------------------------------

TReportPages::TReportPages(QTabWidget* Pages, QMenu* Menu, std::function<void()> MarkModified,
                           QObject* Parent)
    : QObject(Parent), FPages(Pages), FMenu(Menu), FMarkModified(std::move(MarkModified))
{
}

TReportPages::~TReportPages()
{
    // Normally the main window closed every tab already (its shutdown); a
    // viewer left over here writes nothing once the settings are gone.
    FViewers.clear();
}

void TReportPages::BuildReportsMenu()
{
    if (!gqlProject || !FMenu)
        return;
    const Ref<IqlReports> Reports = gqlProject->GetReports();
    for (int I = 0; I < Reports->GetCount(); ++I) {
        IqlReport* Report = Reports->GetItem(I).get();
        QAction* Item = FMenu->addAction(qlFromAnsi(Report->GetName()));
        Item->setCheckable(true);
        Item->setEnabled(!FRunning);
        connect(Item, &QAction::triggered, this, [this, Report] { ReportMenuItemClick(Report); });
        FActions.emplace_back(Item, Report);
    }
}

void TReportPages::ReportMenuItemClick(IqlReport* Report)
{
    if (FRunning || !Report)
        return;
    const Ref<IqlReport> Held(Report);
    Held->Run();
    ShowReport(Held);
    UpdateReportMenuChecks();
    if (FMarkModified)
        FMarkModified();
}

TVTReportViewer* TReportPages::ViewerOf(QWidget* Page) const
{
    for (const auto& [P, Viewer] : FViewers)
        if (P == Page)
            return Viewer.get();
    return nullptr;
}

QWidget* TReportPages::ShowReport(const Ref<IqlReport>& Report)
{
    QWidget* Page = nullptr;
    for (const auto& [P, Viewer] : FViewers)
        if (Viewer->Report == Report) {
            Page = P;
            break;
        }
    if (!Page) {
        Page = new QWidget;
        FPages->addTab(Page, qlFromAnsi(Report->GetName()));
        FPages->setCurrentWidget(Page);
        // The page takes its place at once, so the grids start at its size.
        if (QWidget* Area = Page->parentWidget())
            Page->setGeometry(Area->rect());
        auto Viewer = std::make_unique<TVTReportViewer>();
        Viewer->Setup(Page, Report);
        FViewers.emplace_back(Page, std::move(Viewer));
    }
    FPages->setCurrentWidget(Page);
    ViewerOf(Page)->Refill(Page, Report);
    Report->SetVisible(true);
    return Page;
}

void TReportPages::UpdateReportMenuChecks()
{
    for (const auto& [Item, Report] : FActions) {
        bool Shown = false;
        for (const auto& Entry : FViewers)
            Shown = Shown || Entry.second->Report.get() == Report;
        Item->setChecked(Shown);
    }
}

void TReportPages::ShowVisibleReports()
{
    if (!gqlProject)
        return;
    Ref<IqlStringList> Names(new TqlStringList);
    gqlProject->GetProjectSettingsFile()->ReadSection("VisibleReports", Names);
    CloseAllReportTabs();
    const Ref<IqlReports> Reports = gqlProject->GetReports();
    for (const std::string& Name : qlListLines(Names))
        if (const Ref<IqlReport> Report = Reports->FindByName(Name))
            ShowReport(Report);
    UpdateReportMenuChecks();
}

void TReportPages::RerunReportTabs()
{
    for (int I = 0; I < FPages->count(); ++I) {
        QWidget* Page = FPages->widget(I);
        if (TVTReportViewer* Viewer = ViewerOf(Page)) {
            Viewer->Report->Run();
            Viewer->Refill(Page, Viewer->Report);
        }
    }
}

void TReportPages::DropUsedBy()
{
    for (const auto& Entry : FViewers)
        Entry.second->DropUsedBy();
}

void TReportPages::CloseTab(int Index)
{
    QWidget* Page = FPages->widget(Index);
    if (!Page)
        return;
    const auto It = std::find_if(FViewers.begin(), FViewers.end(),
                                 [Page](const auto& Entry) { return Entry.first == Page; });
    if (It != FViewers.end())
        FViewers.erase(It);  // the viewer goes first, while its grids exist
    FPages->removeTab(Index);
    delete Page;
}

void TReportPages::CloseCurrentReport()
{
    if (FRunning || FPages->currentIndex() < 0)
        return;
    CloseTab(FPages->currentIndex());
    UpdateReportMenuChecks();
}

void TReportPages::CloseAllReportTabs()
{
    while (FPages->count() > 0)
        CloseTab(FPages->currentIndex() >= 0 ? FPages->currentIndex() : 0);
    UpdateReportMenuChecks();
}

bool TReportPages::HasActiveTab() const
{
    return FPages->count() > 0 && FPages->currentIndex() >= 0;
}

void TReportPages::SetRunning(bool Running)
{
    FRunning = Running;
    for (const auto& Entry : FActions)
        Entry.first->setEnabled(!Running);
}
