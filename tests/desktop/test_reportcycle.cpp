// The report tabs inside the main window: a whole cycle of open, run, open
// another project, sort and close; the heights that the tabs leave in
// "Quillet.ini". With QUILLET_SCREENSHOTS naming a folder, the test also
// saves pictures of the report tab and of every dialog there.
#include "DesktopTestSupport.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlMain.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlOptions.h"
#include "desktop/frmqlSystemOptions.h"
#include "desktop/uqlReportView.h"
#include "settings/uqlIniOptions.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

namespace {

const char* Sample = QUILLET_SOURCE_DIR "/samples/Inventory/Inventory.dpr";

std::string ProjectFile(const std::string& FileToAnalyze)
{
    return "[general]\r\nfiletoanalyze=" + FileToAnalyze + "\r\n";
}

QAction* ReportItem(TMainForm& F, const char* Name)
{
    for (QAction* A : F.mnuReports->actions())
        if (A->text() == Name)
            return A;
    return nullptr;
}

// Saves the widget's picture when screenshots are asked for; the picture is
// made (and must not be empty) in any case.
void Shot(QWidget* W, const char* Name)
{
    const QPixmap Picture = W->grab();
    QVERIFY(!Picture.isNull());
    const QString Folder = qEnvironmentVariable("QUILLET_SCREENSHOTS");
    if (!Folder.isEmpty()) {
        QDir().mkpath(Folder);
        QVERIFY(Picture.save(Folder + "/" + Name + ".png"));
    }
}

int RowWithUsedBy(TVTReportViewer* V)
{
    for (int R = 0; R < V->Data->GetRowCount(); ++R)
        if (TqlUsedByList* U = V->Data->GetUsedBy(R); U && U->GetCount() > 0)
            return R;
    return -1;
}

} // namespace

class TReportCycleTest : public QObject {
    Q_OBJECT
private slots:
    void FullCycle()
    {
        TTestFolder Folder;
        const std::string A = Folder.Write("a.xml", ProjectFile(Sample));
        const std::string B =
            Folder.Write("b.xml", ProjectFile(Sample) + "[VisibleReports]\r\nUsed Units=\r\n");
        TScriptedPrompts Prompts;
        int Height = 0;
        {
            TMainForm F({"-noplugins"}, QString::fromStdString(Folder.Path()));
            F.show();
            QVERIFY(QTest::qWaitForWindowExposed(&F));
            QVERIFY(F.OpenDocument(A));
            F.Run();
            QAction* Used = ReportItem(F, "Used Units");
            QVERIFY(Used && Used->isEnabled());
            Used->trigger();
            QVERIFY(Used->isChecked());
            QVERIFY(F.windowTitle().endsWith(" *"));
            QCoreApplication::processEvents();
            TVTReportViewer* V = F.ReportPages()->ViewerOf(F.pgcReports->currentWidget());
            QVERIFY(V && V->UsedByGrid);
            const int Row = RowWithUsedBy(V);
            QVERIFY(Row >= 0);
            V->Grid->setCurrentIndex(V->Grid->model()->index(Row, 0));
            QVERIFY(V->UsedBy);
            QCoreApplication::processEvents();
            Shot(&F, "used-units");

            // Another project, whose settings list the report as visible:
            // the used-by list goes before the model, the tab is rebuilt.
            QVERIFY(F.OpenDocument(B));
            QCOMPARE(F.pgcReports->count(), 1);
            V = F.ReportPages()->ViewerOf(F.pgcReports->currentWidget());
            QVERIFY(V && !V->UsedBy);
            F.Run();
            QVERIFY(V->Grid->model()->rowCount() > 0);
            V->Grid->setCurrentIndex(V->Grid->model()->index(RowWithUsedBy(V), 0));
            emit V->Grid->HeaderClicked(1);
            QCOMPARE(V->UsedBy, V->Data->GetUsedBy(V->Grid->FocusedRow()));
            F.repaint();
            emit V->UsedByGrid->RowDoubleClicked(0);
            emit V->Grid->RowDoubleClicked(V->Grid->FocusedRow());
            Height = V->Grid->height();
            QVERIFY(Height > 0);
            F.Shutdown();
        }
        // The tab stored its height while the settings still existed.
        QCOMPARE(TqlIniFile(Folder.Path() + "/Quillet.ini").ReadString("Reports", "Used Units", ""),
                 std::to_string(Height));
    }

    // Tabs reopened at start-up get their stored heights once the window is
    // laid out, and a restart stores the same heights again; a tab never
    // shown stores nothing.
    void ReopenedTabsKeepTheirHeights()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const char* Names[] = {"Used Units", "Class Types", "Global variables"};
        const std::string Project = Folder.Write(
            "p.xml", ProjectFile(Sample) + "[VisibleReports]\r\nUsed Units=\r\nClass Types=\r\nGlobal variables=\r\n");
        const std::string Ini = Folder.Path() + "/Quillet.ini";
        for (const char* Name : Names)
            TqlIniFile(Ini).WriteString("Reports", Name, "150");
        for (int Start = 0; Start < 2; ++Start) {
            TMainForm F({QString::fromStdString(Project), "-noplugins"}, QString::fromStdString(Folder.Path()));
            F.resize(1000, 800);
            F.show();
            QVERIFY(QTest::qWaitForWindowExposed(&F));
            QCOMPARE(F.pgcReports->count(), 3);
            // The front tab, and the first one once it is brought forward.
            for (int Tab : {2, 0}) {
                F.pgcReports->setCurrentIndex(Tab);
                QCoreApplication::processEvents();
                TVTReportViewer* V = F.ReportPages()->ViewerOf(F.pgcReports->currentWidget());
                QVERIFY(V && V->Grid);
                QVERIFY(F.pgcReports->currentWidget()->height() - 80 >= 150);
                QCOMPARE(V->Grid->height(), 150);
            }
            Shot(&F, Start == 0 ? "reopened-tabs" : "reopened-tabs-again");
            F.Shutdown();
            QCOMPARE(TqlIniFile(Ini).ReadString("Reports", "Used Units", ""), std::string("150"));
            QCOMPARE(TqlIniFile(Ini).ReadString("Reports", "Global variables", ""), std::string("150"));
        }
        // Never on screen: nothing stored over the user's height.
        {
            TMainForm F({QString::fromStdString(Project), "-noplugins"}, QString::fromStdString(Folder.Path()));
            QCOMPARE(F.pgcReports->count(), 3);
            F.Shutdown();
        }
        for (const char* Name : Names)
            QCOMPARE(TqlIniFile(Ini).ReadString("Reports", Name, ""), std::string("150"));
    }

    void DialogPictures()
    {
        TTestFolder Folder;
        const std::string A = Folder.Write("a.xml", ProjectFile(Sample));
        TMainForm F({"-noplugins"}, QString::fromStdString(Folder.Path()));
        QVERIFY(F.OpenDocument(A));
        {
            TfrmOptions D(&F);
            D.show();
            QVERIFY(QTest::qWaitForWindowExposed(&D));
            Shot(&D, "options-project");
            D.pgcOptions->setCurrentIndex(1);
            D.cbReports->setCurrentIndex(D.cbReports->findText("Ridizo Dedu"));
            D.cbReportsChange(D.cbReports->currentIndex());
            Shot(&D, "options-reports");
            D.pgcOptions->setCurrentIndex(2);
            Shot(&D, "options-defines");
        }
        {
            TCodeOptions D(gqlProject->GetCodingConventions(), &F);
            D.show();
            QVERIFY(QTest::qWaitForWindowExposed(&D));
            for (int Page = 0; Page < 3; ++Page) {
                D.pgcCodingConventions->setCurrentIndex(Page);
                Shot(&D, qPrintable(QString("conventions-%1").arg(Page)));
            }
        }
        {
            TfrmOpenURL D(&F);
            D.LoadRecentAddresses({"http://example.invalid/project.xml", "/local/file.xml"});
            D.show();
            QVERIFY(QTest::qWaitForWindowExposed(&D));
            Shot(&D, "open-url");
        }
        QVERIFY(SystemOptionsForm());
        SystemOptionsForm()->show();
        QVERIFY(QTest::qWaitForWindowExposed(SystemOptionsForm()));
        Shot(SystemOptionsForm(), "system-options");
        SystemOptionsForm()->hide();
        F.Shutdown();
    }
};

QTEST_MAIN(TReportCycleTest)
#include "test_reportcycle.moc"
