// The report tabs: TVTReportViewer builds and drives the grids of one tab
// (the report's rows and, for reports whose rows carry used-by lists, the
// places that use the focused row's symbol); TReportPages is the main
// window's part: the Reports menu and the opening, closing and re-running
// of tabs.
#pragma once

#include "desktop/uqlStringTreeEx.h"
#include "model/uqlClasses.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QSplitter;
class QTabWidget;
class QWidget;

class TVTReportViewer : public QObject {
    Q_OBJECT
public:
    TVTReportViewer() = default;
    // Marks the report invisible and stores the grid's height in the
    // desktop ini ("Reports", the report's name); then frees the grids.
    ~TVTReportViewer() override;

    // Builds the grids on Page.
    void Setup(QWidget* Page, const Ref<IqlReport>& Report);
    // Shows the report's current rows; the used-by list of the focused row
    // is read again.
    void Refill(QWidget* Page, const Ref<IqlReport>& Report);
    // Forgets the used-by list and empties both grids: the model that the
    // rows point into is about to go.
    void DropUsedBy();
    // A click on the header of column Col (sortable reports only).
    void HeaderClick(int Col);
    // The focused row changed (-1: none).
    void FocusRow(int Row);

    // Texts of the used-by grid's cells.
    QString UsedByText(int Row, int Col) const;

    Ref<IqlReportData> Data;
    TqlUsedByList* UsedBy = nullptr;
    Ref<IqlReport> Report;
    QPointer<TVirtualStringTreeEx> Grid;
    QPointer<TVirtualStringTreeEx> UsedByGrid;
    QPointer<QSplitter> Splitter;
    int SortColumn = 0;
    bool SortAscending = true;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TVirtualStringTreeEx* CreateGrid(QWidget* Parent);
    int FWantedHeight = -1;      // the stored (or default) grid height
    bool FHeightShown = false;   // the grid was laid out on screen
    bool FUserSized = false;     // the user moved the splitter
    const QObject* FSplitterObject = nullptr;  // the splitter, for the event filter
    QString CellText(int Row, int Col) const;
    // Whether the row's text comes from a UTF-8 source file; the answer
    // for each file is kept until the rows are refilled.
    bool RowIsUtf8(int Row) const;
    mutable std::unordered_map<std::string, bool> FUtf8Files;
};

class TReportPages : public QObject {
    Q_OBJECT
public:
    // Pages is the main window's pgcReports, Menu its "&Reports" menu (the
    // report items go after its existing items); MarkModified marks the
    // document modified when the user changes which reports are shown.
    TReportPages(QTabWidget* Pages, QMenu* Menu, std::function<void()> MarkModified,
                 QObject* Parent = nullptr);
    ~TReportPages() override;

    // One menu item per registered report of gqlProject.
    void BuildReportsMenu();
    // A report item's click: runs the report and shows its tab.
    void ReportMenuItemClick(IqlReport* Report);
    // The report's tab (a new one when it has none), made active and filled.
    QWidget* ShowReport(const Ref<IqlReport>& Report);
    void UpdateReportMenuChecks();
    // Opens a tab for every report the project settings list as visible.
    void ShowVisibleReports();
    // Re-runs and redraws every open tab.
    void RerunReportTabs();
    // Every viewer forgets its used-by list (the model is about to change).
    void DropUsedBy();
    void CloseCurrentReport();
    // Closes every tab; each viewer stores its settings as it goes.
    void CloseAllReportTabs();
    bool HasActiveTab() const;
    // While an analysis runs the report items are disabled.
    void SetRunning(bool Running);

    // The viewer of a tab, or nil.
    TVTReportViewer* ViewerOf(QWidget* Page) const;
    const std::vector<std::pair<QAction*, IqlReport*>>& ReportActions() const { return FActions; }

private:
    void CloseTab(int Index);

    QTabWidget* FPages;
    QMenu* FMenu;
    std::function<void()> FMarkModified;
    std::vector<std::pair<QWidget*, std::unique_ptr<TVTReportViewer>>> FViewers;
    std::vector<std::pair<QAction*, IqlReport*>> FActions;
    bool FRunning = false;
};
