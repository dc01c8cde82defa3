// The report viewer and the report tabs over a stand-in report and over the
// analysed sample.
#include "ReportTestSupport.h"
#include "desktop/uqlReportView.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlStringList.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

namespace {

QString Cell(TVirtualStringTreeEx* Grid, int Row, int Col)
{
    return Grid->model()->data(Grid->model()->index(Row, Col), Qt::DisplayRole).toString();
}

struct TTabs {
    TTabs() : Pages(new QTabWidget), Menu(new QMenu)
    {
        Pages->resize(800, 600);
        Pages->show();
        Report = new TReportPages(Pages.get(), Menu.get(), [this] { ++Modified; });
        Report->BuildReportsMenu();
    }
    ~TTabs()
    {
        Report->CloseAllReportTabs();
        delete Report;
    }
    QAction* Item(const char* Name)
    {
        for (const auto& [Action, R] : Report->ReportActions())
            if (R->GetName() == Name)
                return Action;
        return nullptr;
    }
    std::unique_ptr<QTabWidget> Pages;
    std::unique_ptr<QMenu> Menu;
    TReportPages* Report;
    int Modified = 0;
};

// The "Used Units" tab over the analysed sample.
TVTReportViewer* UsedUnitsTab(TProjectFixture& P, TTabs& T)
{
    P.AnalyzeSample();
    const Ref<IqlReport> Used = P.Report("Used Units");
    Used->Run();
    return T.Report->ViewerOf(T.Report->ShowReport(Used));
}

// The first row of the focused report whose used-by list is not empty.
int RowWithUsedBy(const Ref<IqlReportData>& Data)
{
    for (int R = 0; R < Data->GetRowCount(); ++R)
        if (TqlUsedByList* U = Data->GetUsedBy(R); U && U->GetCount() > 0)
            return R;
    return -1;
}

} // namespace

class TReportViewTest : public QObject {
    Q_OBJECT
private slots:
    void ColumnsByKindAndThrowingCells()
    {
        TProjectFixture P;
        P.StandIn->Rows = 5;
        P.StandIn->ShortRow = 2;
        P.StandIn->Run();
        TTabs T;
        QWidget* Page = T.Report->ShowReport(P.StandIn);
        QVERIFY(QTest::qWaitForWindowExposed(T.Pages.get()));
        QCoreApplication::processEvents();
        TVTReportViewer* V = T.Report->ViewerOf(Page);
        TVirtualStringTreeEx* G = V->Grid;
        QVERIFY(!V->UsedByGrid);
        QCOMPARE(G->model()->columnCount(), 4);
        const struct {
            int Col;
            const char* Title;
            Qt::Alignment Align;
        } Cols[] = {{0, "Name", Qt::AlignLeft}, {1, "Count", Qt::AlignRight},
                    {2, "Ratio", Qt::AlignRight}, {3, "Flag", Qt::AlignRight}};
        for (const auto& C : Cols) {
            QCOMPARE(G->model()->headerData(C.Col, Qt::Horizontal).toString(), QString(C.Title));
            QCOMPARE(Qt::Alignment(G->model()->headerData(C.Col, Qt::Horizontal, Qt::TextAlignmentRole).toInt()) &
                         Qt::AlignHorizontal_Mask,
                     C.Align);
        }
        QCOMPARE(G->horizontalHeader()->height(), 20);
        // The flag column starts 60 narrower than the others (20 against
        // 80), and they share the rest of the width evenly.
        QVERIFY2(std::abs(G->columnWidth(0) - G->columnWidth(3) - 60) <= 1, qPrintable(QString("%1 %2 %3 %4 vp %5").arg(G->columnWidth(0)).arg(G->columnWidth(1)).arg(G->columnWidth(2)).arg(G->columnWidth(3)).arg(G->viewport()->width())));
        int Sum = 0;
        for (int C = 0; C < 4; ++C)
            Sum += G->columnWidth(C);
        QCOMPARE(Sum, G->viewport()->width());
        QCOMPARE(Cell(G, 1, 0), QString("Row1"));
        QCOMPARE(Cell(G, 1, 3), QString("Y"));
        QCOMPARE(Cell(G, 2, 0), QString("short"));
        QCOMPARE(Cell(G, 2, 1), QString());  // the report raises: empty
        QCOMPARE(Cell(G, 9, 0), QString());  // beyond the rows
    }

    void SortToggles()
    {
        TProjectFixture P;
        P.StandIn->Rows = 10;
        P.StandIn->Run();
        TTabs T;
        TVTReportViewer* V = T.Report->ViewerOf(T.Report->ShowReport(P.StandIn));
        TVirtualStringTreeEx* G = V->Grid;
        const QHeaderView* H = G->horizontalHeader();
        const struct {
            int Click;
            Qt::SortOrder Order;
            const char* First;
        } Steps[] = {
            {0, Qt::DescendingOrder, "Row9"},  // column 0 is the sort column at first
            {0, Qt::AscendingOrder, "Row0"},
            {1, Qt::AscendingOrder, "Row0"},   // Count 0: rows 0 and 7
            {1, Qt::DescendingOrder, "Row6"},
            {2, Qt::AscendingOrder, "Row0"},
        };
        for (const auto& S : Steps) {
            emit G->HeaderClicked(S.Click);
            QCOMPARE(H->sortIndicatorSection(), S.Click);
            QCOMPARE(H->sortIndicatorOrder(), S.Order);
            QCOMPARE(Cell(G, 0, 0), QString(S.First));
        }

        // Code Metrics and any other unsortable report ignore the header.
        P.StandIn->Sortable = false;
        P.StandIn->Run();
        T.Report->RerunReportTabs();
        emit G->HeaderClicked(0);
        QCOMPARE(Cell(G, 0, 0), QString("Row0"));
        QVERIFY(!H->isSortIndicatorShown());
        QVERIFY(!P.Report("Code Metrics")->GetSortable());
    }

    void HundredThousandRows()
    {
        TProjectFixture P;
        P.StandIn->Rows = 100000;
        P.StandIn->Run();
        TTabs T;
        TVirtualStringTreeEx* G = T.Report->ViewerOf(T.Report->ShowReport(P.StandIn))->Grid;
        QCOMPARE(G->model()->rowCount(), 100000);
        G->scrollToBottom();
        QCOMPARE(Cell(G, 99999, 0), QString("Row99999"));
        G->grab();
    }

    // A string literal shows in its file's encoding: UTF-8 without a
    // byte-order mark as UTF-8, an 8-bit file as Windows-1252.
    void StringLiteralsInTheirFilesEncoding()
    {
        TProjectFixture P;
        TTabs T;
        P.Folder.Write("Utf8Unit.pas", "unit Utf8Unit;\ninterface\nconst Greeting = 'caf\xC3\xA9 \xE2\x82\xAC';\n"
                                       "implementation\nend.\n");
        const std::string Main = P.Folder.Write(
            "Main.dpr", "program Main;\r\nuses Utf8Unit;\r\nconst Ansi = 'caf\xE9 \x80';\r\nbegin\r\nend.\r\n");
        gqlProject->GetOptions()->SetFileToAnalyze(Main);
        qlAddShippedSystemFolder(gqlProject->GetSystemOptions()->GetLibrarySearchPath());
        gqlProject->Analyze(true);
        const Ref<IqlReport> Literals = P.Report("String Literals");
        Literals->Run();
        TVTReportViewer* V = T.Report->ViewerOf(T.Report->ShowReport(Literals));
        QStringList Shown;
        for (int R = 0; R < V->Grid->model()->rowCount(); ++R)
            Shown << Cell(V->Grid, R, 0) + ": " + Cell(V->Grid, R, 1);
        QVERIFY2(Shown.contains(QString::fromUtf8("Utf8Unit: 'caf\u00E9 \u20AC'")), qPrintable(Shown.join(" | ")));
        QVERIFY2(Shown.contains(QString::fromUtf8("Main: 'caf\u00E9 \u20AC'")), qPrintable(Shown.join(" | ")));
    }

    void UsedByGridOverTheSample()
    {
        TProjectFixture P;
        TTabs T;
        TVTReportViewer* V = UsedUnitsTab(P, T);
        QVERIFY(V->UsedByGrid && V->Splitter);
        QCOMPARE(V->Splitter->handleWidth(), 6);
        QCOMPARE(V->UsedByGrid->model()->headerData(1, Qt::Horizontal).toString(), QString("Location"));
        const int Row = RowWithUsedBy(V->Data);
        QVERIFY(Row >= 0);
        V->Grid->setCurrentIndex(V->Grid->model()->index(Row, 0));
        TqlUsedByList* U = V->Data->GetUsedBy(Row);
        QCOMPARE(V->UsedBy, U);
        QCOMPARE(V->UsedByGrid->model()->rowCount(), U->GetCount());
        for (int I = 0; I < U->GetCount(); ++I) {
            TqlUsedByLocation* L = U->GetLocations(I);
            QCOMPARE(Cell(V->UsedByGrid, I, 0), QString::fromStdString(L->GetUnitIntf()->GetName()));
            QCOMPARE(Cell(V->UsedByGrid, I, 1), QString("%1:%2").arg(L->GetX()).arg(L->GetY()));
            QCOMPARE(Cell(V->UsedByGrid, I, 2), L->GetIsWrongCase() ? QString("  X  ") : QString());
        }
        // No focus: no used-by rows.
        V->FocusRow(-1);
        QCOMPARE(V->UsedByGrid->model()->rowCount(), 0);
    }

    // The used-by list points into the model: every road that rebuilds the
    // model must drop it first, and a sort must read it again.
    void UsedByNeverOutlivesTheModel()
    {
        TProjectFixture P;
        TTabs T;
        TVTReportViewer* V = UsedUnitsTab(P, T);
        const int Row = RowWithUsedBy(V->Data);
        V->Grid->setCurrentIndex(V->Grid->model()->index(Row, 0));
        QVERIFY(V->UsedBy);

        // What the main window does on New, Open and Open URL, then Run.
        T.Report->DropUsedBy();
        QVERIFY(!V->UsedBy);
        QCOMPARE(V->UsedByGrid->model()->rowCount(), 0);
        QCOMPARE(V->Grid->model()->rowCount(), 0);
        gqlProject->Clear();
        V->Grid->grab();
        V->UsedByGrid->grab();
        P.AnalyzeSample();
        T.Report->RerunReportTabs();
        QVERIFY(V->Grid->model()->rowCount() > 0);
        const int Again = RowWithUsedBy(V->Data);
        V->Grid->setCurrentIndex(V->Grid->model()->index(Again, 0));
        for (int Col : {0, 0, 1}) {
            emit V->Grid->HeaderClicked(Col);
            const int Focused = V->Grid->FocusedRow();
            QCOMPARE(V->UsedBy, V->Data->GetUsedBy(Focused));
            QCOMPARE(V->UsedByGrid->model()->rowCount(), V->UsedBy ? V->UsedBy->GetCount() : 0);
        }
        V->UsedByGrid->grab();
        emit V->UsedByGrid->RowDoubleClicked(0);
        emit V->Grid->RowDoubleClicked(V->Grid->FocusedRow());
    }

    void HeightsStoredAndCut()
    {
        TProjectFixture P;
        P.AnalyzeSample();
        const Ref<IqlReport> Used = P.Report("Used Units");
        const struct {
            const char* Stored;  // nullptr: no key
            int PageHeight;
            int Expected;  // -1: the tab's height minus 80
        } Cases[] = {{nullptr, 600, 300}, {"1000", 600, -1}, {"text", 600, 300}, {"120", 600, 120},
                     {"300", 300, -1}};
        for (const auto& C : Cases) {
            if (C.Stored)
                TqlIniFile(P.Ini.FileName).WriteString("Reports", "Used Units", C.Stored);
            TTabs T;
            T.Pages->resize(800, C.PageHeight);
            QWidget* Page = T.Report->ShowReport(Used);
            TVTReportViewer* V = T.Report->ViewerOf(Page);
            const int Limit = Page->height() - 80;
            const int Expected = C.Expected < 0 ? Limit : C.Expected;
            QCOMPARE(V->Grid->height(), std::min(Expected, Limit));
            T.Report->CloseCurrentReport();
            QCOMPARE(TqlIniFile(P.Ini.FileName).ReadString("Reports", "Used Units", ""),
                     std::to_string(std::min(Expected, Limit)));
            QVERIFY(!Used->GetVisible());
        }
    }

    void MenuChecksModifiedAndVisibleReports()
    {
        TProjectFixture P;
        TTabs T;
        QCOMPARE(int(T.Report->ReportActions().size()), 8);
        QAction* Used = T.Item("Used Units");
        QAction* Globals = T.Item("Global variables");
        QVERIFY(Used && Globals);
        Used->trigger();
        QCOMPARE(T.Modified, 1);
        QVERIFY(Used->isChecked());
        QVERIFY(!Globals->isChecked());
        Globals->trigger();
        Used->trigger();  // already open: brought to the front, not doubled
        QCOMPARE(T.Pages->count(), 2);
        QCOMPARE(T.Pages->tabText(T.Pages->currentIndex()), QString("Used Units"));
        QCOMPARE(T.Modified, 3);
        T.Report->CloseCurrentReport();
        QVERIFY(!Used->isChecked());
        QVERIFY(Globals->isChecked());

        // While an analysis runs, the report items do nothing.
        T.Report->SetRunning(true);
        QVERIFY(!Used->isEnabled());
        T.Report->ReportMenuItemClick(P.Report("Used Units").get());
        QCOMPARE(T.Pages->count(), 1);
        T.Report->CloseCurrentReport();
        QCOMPARE(T.Pages->count(), 1);
        T.Report->SetRunning(false);

        // The project's visible reports, an unknown name passed over.
        auto Names = Ref<IqlStringList>(new TqlStringList);
        Names->SetText("Class Types\r\nNo Such Report\r\nsystem symbols\r\n");
        gqlProject->GetProjectSettingsFile()->WriteSection("VisibleReports", Names);
        T.Report->ShowVisibleReports();
        QCOMPARE(T.Pages->count(), 2);
        QCOMPARE(T.Pages->tabText(0), QString("Class Types"));
        QCOMPARE(T.Pages->tabText(1), QString("System symbols"));
        QVERIFY(T.Item("Class Types")->isChecked());
        QVERIFY(!Globals->isChecked());
        QVERIFY(P.Report("System symbols")->GetVisible());
        T.Report->CloseAllReportTabs();
        QCOMPARE(T.Pages->count(), 0);
        QVERIFY(!T.Item("Class Types")->isChecked());
        QVERIFY(!P.Report("Class Types")->GetVisible());
    }
};

QTEST_MAIN(TReportViewTest)
#include "test_reportview.moc"
