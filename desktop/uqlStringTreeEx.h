// TVirtualStringTreeEx: the grid of the report tabs. It holds no rows: the
// model asks its owner for the row count and for each cell's text when the
// cell is painted, so a report of any size costs only what is on screen.
// With AutoWidth on, the columns always fill the control's width.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <vector>

// The column fitting: Widths are the columns' actual widths, Exact their
// exact (fractional) widths, kept between calls so that repeated resizing
// does not drift. Col is the column the user resized, or -1 when the control
// itself changed size. The columns on the far side of Col (for the last
// column: the ones before it; for -1: all) share the difference between
// ClientWidth and the sum of the widths evenly, never going below their
// minimum and carrying rounding fractions from one column to the next.
// Returns whether any width changed.
bool qlFitColumns(std::vector<int>& Widths, const std::vector<int>& MinWidths,
                  std::vector<float>& Exact, int ClientWidth, int Col);

// The grid's model: RowCount rows, the cell text from CellText. A cell whose
// text cannot be read shows empty.
class TqlGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using TCellText = std::function<QString(int Row, int Column)>;

    explicit TqlGridModel(QObject* Parent = nullptr);

    void SetCellText(TCellText CellText) { FCellText = std::move(CellText); }
    // Resets the view when the count changes.
    void SetRowCount(int Count);
    int RowCount() const { return FRowCount; }
    void AddColumn(const QString& Title, Qt::Alignment Alignment);
    // Every visible cell is asked again.
    void Redraw();

    int rowCount(const QModelIndex& Parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& Parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
    struct TColumn {
        QString Title;
        Qt::Alignment Alignment;
    };
    std::vector<TColumn> FColumns;
    TCellText FCellText;
    int FRowCount = 0;
};

class TVirtualStringTreeEx : public QTableView {
    Q_OBJECT
public:
    explicit TVirtualStringTreeEx(QWidget* Parent = nullptr);

    TqlGridModel* Model() const { return FModel; }

    // Adds a column (Width pixels, minimum 10). While columns are added
    // inside BeginColumnUpdate/EndColumnUpdate nothing is fitted.
    void AddColumn(const QString& Title, int Width, Qt::Alignment Alignment);
    void BeginColumnUpdate() { ++FColumnUpdates; }
    void EndColumnUpdate();
    void SetMinWidth(int Column, int Width);

    bool AutoWidth() const { return FAutoWidth; }
    // Turning it on fits the columns at once.
    void SetAutoWidth(bool Value);

    // The column the sort glyph stands on and its direction.
    void ShowSortGlyph(int Column, bool Ascending);
    // The row with the focus, or -1.
    int FocusedRow() const;
    void SetRowCount(int Count);

    // Fits the columns after Column was resized (-1: the control's width
    // changed).
    void ColumnResized(int Column);
    const std::vector<float>& ExactWidths() const { return FWidths; }

signals:
    // Double-click on a row.
    void RowDoubleClicked(int Row);
    // The focused row changed (-1: none).
    void FocusChanged(int Row);
    void HeaderClicked(int Column);

protected:
    bool viewportEvent(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    TqlGridModel* FModel;
    std::vector<float> FWidths;
    std::vector<int> FMinWidths;
    bool FAutoWidth = false;
    bool FResizing = false;
    int FColumnUpdates = 0;
};
