// The report tabs of the main window (pgcReports) and the Reports menu.
#pragma once

#include <QObject>

#include <functional>

class QMenu;
class QTabWidget;

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

private:
    QTabWidget* FPages;
    QMenu* FMenu;
    std::function<void()> FMarkModified;
};
