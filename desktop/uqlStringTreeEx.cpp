#include "desktop/uqlStringTreeEx.h"

#include <QEvent>
#include <QHeaderView>

#include <cmath>

bool qlFitColumns(std::vector<int>& Widths, const std::vector<int>& MinWidths,
                  std::vector<float>& Exact, int ClientWidth, int Col)
{
    const int Count = static_cast<int>(Widths.size());
    if (Count == 0)
        return false;
    auto Min = [&](int I) { return I < static_cast<int>(MinWidths.size()) ? MinWidths[I] : 0; };
    Exact.resize(Count, 0.0f);
    long Rest = ClientWidth;
    for (int I = Count - 1; I >= 0; --I) {
        Rest -= Widths[I];
        // A width changed from outside replaces the stored fraction.
        if (std::lround(Exact[I]) != Widths[I])
            Exact[I] = static_cast<float>(Widths[I]);
    }
    if (Rest == 0)
        return false;
    if (Col >= Count)
        Col = -1;
    const int First = Col == Count - 1 ? 0 : Col + 1;
    const int Last = Col == Count - 1 ? Col - 1 : Count - 1;
    const std::vector<int> Before = Widths;
    auto SetWidth = [&](int I, long W) {
        Rest -= W - Widths[I];
        Widths[I] = static_cast<int>(W);
        Exact[I] = static_cast<float>(W);
    };

    // Columns that the share would push below their minimum stay at it; the
    // others absorb what they give up.
    std::vector<bool> Pinned(Count, false);
    int N = Last - First + 1;
    for (bool Again = N > 0; Again && N > 0;) {
        Again = false;
        const double Share = static_cast<double>(Rest) / N;
        for (int I = First; I <= Last; ++I)
            if (!Pinned[I] && std::lround(Exact[I] + Share) < Min(I)) {
                Pinned[I] = true;
                --N;
                SetWidth(I, Min(I));
                Again = true;
            }
    }
    if (N > 0) {
        int LastFree = Last;
        while (Pinned[LastFree])
            --LastFree;
        // Each column keeps its exact share, fraction and all, and shows it
        // rounded; so rounding never piles up on one column over many
        // resizes. The last free column takes what rounding left over.
        const double Share = static_cast<double>(Rest) / N;
        for (int I = First; I < LastFree; ++I) {
            if (Pinned[I])
                continue;
            const float E = static_cast<float>(Exact[I] + Share);
            SetWidth(I, std::max<long>(std::lround(E), Min(I)));
            if (std::lround(E) >= Min(I))
                Exact[I] = E;
        }
        const float E = static_cast<float>(Exact[LastFree] + Share);
        SetWidth(LastFree, std::max<long>(Widths[LastFree] + Rest, Min(LastFree)));
        if (std::lround(E) == Widths[LastFree])
            Exact[LastFree] = E;
    }
    // Minimums that rounding ran into: the columns from the end of the range
    // give up what they can above theirs.
    for (int I = Last; I >= First && Rest < 0; --I)
        if (Widths[I] > Min(I))
            SetWidth(I, std::max<long>(Widths[I] + Rest, Min(I)));
    return Widths != Before;
}

// --- TqlGridModel ----------------------------------------------------------

TqlGridModel::TqlGridModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TqlGridModel::SetRowCount(int Count)
{
    if (Count < 0)
        Count = 0;
    if (Count == FRowCount)
        return;
    beginResetModel();
    FRowCount = Count;
    endResetModel();
}

void TqlGridModel::AddColumn(const QString& Title, Qt::Alignment Alignment)
{
    const int At = static_cast<int>(FColumns.size());
    beginInsertColumns(QModelIndex(), At, At);
    FColumns.push_back({Title, Alignment});
    endInsertColumns();
}

void TqlGridModel::Redraw()
{
    if (FRowCount > 0 && !FColumns.empty())
        emit dataChanged(index(0, 0), index(FRowCount - 1, static_cast<int>(FColumns.size()) - 1),
                         {Qt::DisplayRole});
}

int TqlGridModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : FRowCount;
}

int TqlGridModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : static_cast<int>(FColumns.size());
}

QVariant TqlGridModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.column() >= static_cast<int>(FColumns.size()))
        return {};
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FColumns[Index.column()].Alignment | Qt::AlignVCenter);
    if (Role != Qt::DisplayRole || !FCellText || Index.row() >= FRowCount)
        return {};
    try {
        return FCellText(Index.row(), Index.column());
    } catch (...) {
        // Painting goes on; the cell stays empty.
        return QString();
    }
}

QVariant TqlGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || Section < 0 || Section >= static_cast<int>(FColumns.size()))
        return {};
    if (Role == Qt::DisplayRole)
        return FColumns[Section].Title;
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FColumns[Section].Alignment | Qt::AlignVCenter);
    return {};
}

// --- TVirtualStringTreeEx --------------------------------------------------

TVirtualStringTreeEx::TVirtualStringTreeEx(QWidget* Parent)
    : QTableView(Parent), FModel(new TqlGridModel(this))
{
    setModel(FModel);
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    QHeaderView* Rows = verticalHeader();
    Rows->hide();
    Rows->setSectionResizeMode(QHeaderView::Fixed);
    Rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* Header = horizontalHeader();
    Header->setFixedHeight(20);
    Header->setSectionsMovable(true);
    Header->setSectionsClickable(true);
    Header->setHighlightSections(false);
    Header->setStretchLastSection(false);
    Header->setSectionResizeMode(QHeaderView::Interactive);
    Header->setMinimumSectionSize(10);
    Header->setSortIndicatorShown(true);
    Header->setSortIndicator(0, Qt::AscendingOrder);

    connect(Header, &QHeaderView::sectionResized, this, [this](int Logical, int, int) {
        if (!FResizing)
            ColumnResized(Logical);
    });
    connect(Header, &QHeaderView::sectionClicked, this, &TVirtualStringTreeEx::HeaderClicked);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& Index) { emit RowDoubleClicked(Index.row()); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current, const QModelIndex&) {
                emit FocusChanged(Current.isValid() ? Current.row() : -1);
            });
}

void TVirtualStringTreeEx::AddColumn(const QString& Title, int Width, Qt::Alignment Alignment)
{
    ++FColumnUpdates;
    FModel->AddColumn(Title, Alignment);
    const int Column = FModel->columnCount() - 1;
    FMinWidths.resize(Column + 1, 10);
    FResizing = true;
    setColumnWidth(Column, Width);
    FResizing = false;
    EndColumnUpdate();
}

void TVirtualStringTreeEx::EndColumnUpdate()
{
    if (FColumnUpdates > 0 && --FColumnUpdates == 0 && FAutoWidth)
        ColumnResized(-1);
}

void TVirtualStringTreeEx::SetMinWidth(int Column, int Width)
{
    if (Column < 0)
        return;
    if (Column >= static_cast<int>(FMinWidths.size()))
        FMinWidths.resize(Column + 1, 10);
    FMinWidths[Column] = Width;
}

void TVirtualStringTreeEx::SetAutoWidth(bool Value)
{
    if (Value == FAutoWidth)
        return;
    FAutoWidth = Value;
    if (FAutoWidth)
        ColumnResized(-1);
}

void TVirtualStringTreeEx::ShowSortGlyph(int Column, bool Ascending)
{
    horizontalHeader()->setSortIndicator(Column, Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int TVirtualStringTreeEx::FocusedRow() const
{
    const QModelIndex Current = currentIndex();
    return Current.isValid() ? Current.row() : -1;
}

void TVirtualStringTreeEx::SetRowCount(int Count)
{
    FModel->SetRowCount(Count);
}

void TVirtualStringTreeEx::ColumnResized(int Column)
{
    if (FResizing || FColumnUpdates > 0)
        return;
    // A grid not shown yet has no width of its own: fitting to it would
    // squeeze the designed widths away.
    if (Column < 0 && !isVisible())
        return;
    const QHeaderView* Header = horizontalHeader();
    const int Count = FModel->columnCount();
    if (Count == 0)
        return;
    // The fitting works in the order the user sees the columns.
    std::vector<int> Widths(Count), Mins(Count);
    FMinWidths.resize(Count, 10);
    FWidths.resize(Count, 0.0f);
    std::vector<float> Exact(Count);
    for (int Visual = 0; Visual < Count; ++Visual) {
        const int Logical = Header->logicalIndex(Visual);
        Widths[Visual] = columnWidth(Logical);
        Mins[Visual] = FMinWidths[Logical];
        Exact[Visual] = FWidths[Logical];
    }
    const int Col = Column < 0 ? -1 : Header->visualIndex(Column);
    FResizing = true;
    const bool Changed = qlFitColumns(Widths, Mins, Exact, viewport()->width(), Col);
    for (int Visual = 0; Visual < Count; ++Visual) {
        const int Logical = Header->logicalIndex(Visual);
        FWidths[Logical] = Exact[Visual];
        if (Changed && columnWidth(Logical) != Widths[Visual])
            setColumnWidth(Logical, Widths[Visual]);
    }
    FResizing = false;
}

void TVirtualStringTreeEx::showEvent(QShowEvent* Event)
{
    QTableView::showEvent(Event);
    if (FAutoWidth)
        ColumnResized(-1);
}

bool TVirtualStringTreeEx::viewportEvent(QEvent* Event)
{
    const bool Result = QTableView::viewportEvent(Event);
    if (Event->type() == QEvent::Resize && FAutoWidth)
        ColumnResized(-1);
    return Result;
}
