#include "desktop/uqlReportView.h"

#include <QMenu>
#include <QTabWidget>

TReportPages::TReportPages(QTabWidget* Pages, QMenu* Menu, std::function<void()> MarkModified,
                           QObject* Parent)
    : QObject(Parent), FPages(Pages), FMenu(Menu), FMarkModified(std::move(MarkModified))
{
}

TReportPages::~TReportPages() = default;

void TReportPages::BuildReportsMenu() {}
void TReportPages::UpdateReportMenuChecks() {}
void TReportPages::ShowVisibleReports() {}
void TReportPages::RerunReportTabs() {}
void TReportPages::DropUsedBy() {}

void TReportPages::CloseCurrentReport()
{
    if (FPages->currentIndex() >= 0)
        delete FPages->widget(FPages->currentIndex());
}

void TReportPages::CloseAllReportTabs()
{
    while (FPages->count() > 0)
        delete FPages->widget(0);
}

bool TReportPages::HasActiveTab() const
{
    return FPages->count() > 0 && FPages->currentIndex() >= 0;
}

void TReportPages::SetRunning(bool /*Running*/) {}
