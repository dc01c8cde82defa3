// The main window: start-up variants, caption, document commands, recent
// files, update rules and shutdown.
#include "DesktopTestSupport.h"
#include "LoopbackServer.h"
#include "base/qlException.h"
#include "desktop/frmqlMain.h"
#include "desktop/frmqlSystemOptions.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlReportView.h"
#include "settings/uqlIniOptions.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string Project(const std::string& FileToAnalyze)
{
    return "[general]\r\nfiletoanalyze=" + FileToAnalyze + "\r\n";
}

// The message boxes on screen.
QList<QMessageBox*> VisibleBoxes()
{
    QList<QMessageBox*> Result;
    for (QWidget* W : QApplication::allWidgets())
        if (auto* Box = qobject_cast<QMessageBox*>(W); Box && Box->isVisible())
            Result << Box;
    return Result;
}

QStringList RecentCaptions(TMainForm& F)
{
    QStringList Result;
    for (QAction* A : F.RecentActions)
        Result << A->text();
    return Result;
}

}  // namespace

class TMainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void StartVariants()
    {
        struct TCase {
            const char* Name;
            QStringList Args;
            const char* Caption;  // "%F" is the full name of the missing file
            bool Modified;
        };
        const TCase Cases[] = {
            {"no argument", {}, "Untitled - Quillet", false},
            {"-noplugins", {"-noplugins"}, "Untitled - Quillet", false},
            {"missing file", {"missing.xml"}, "%F - Quillet *", true},
        };
        for (const TCase& C : Cases) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            TForm F(Folder, C.Args);
            QString Expected = QString(C.Caption).replace("%F", QDir::current().absoluteFilePath("missing.xml"));
            QCOMPARE(F->windowTitle(), Expected);
            QVERIFY2(F->Document().GetModified() == C.Modified, C.Name);
            QVERIFY(Prompts.Texts.isEmpty());
        }
    }

    void CommandLineFileAndRecentEntries()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string A = Folder.Write("a.xml", Project("a.dpr"));
        const std::string B = Folder.Write("b.xml", Project("b.dpr"));
        {
            TForm F(Folder, {QString::fromStdString(A)});
            QCOMPARE(F->windowTitle(), QString("a.xml - Quillet"));
            QCOMPARE(F->Document().GetFileName(), A);
            // Seven entries in memory, only five survive a restart.
            for (int I = 0; I < 6; ++I)
                F->AddRecentFile(Folder.Path() + "/gone" + std::to_string(I) + ".xml");
            F->AddRecentFile(B);
            QCOMPARE(int(F->RecentFiles().size()), 8);
            QCOMPARE(F->RecentFiles().front(), B);
            QCOMPARE(RecentCaptions(*F.Form).size(), 8);
        }
        {
            // No argument: the first recent entry (B) is reopened.
            TForm F(Folder);
            QCOMPARE(int(F->RecentFiles().size()), 5);
            QCOMPARE(F->Document().GetFileName(), B);
            QVERIFY(F->RecentSeparator->isVisible());
        }
        const std::string Ini = Folder.Path() + "/Quillet.ini";
        QCOMPARE(TqlIniFile(Ini).ReadString("Recent files", "MRU6", "<none>"), std::string("<none>"));
        // A vanished first entry leaves the program untitled, without a word.
        std::remove(B.c_str());
        TForm F(Folder);
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
        QVERIFY(Prompts.Texts.isEmpty());
    }

    void BadCommandLineFileStartsUntitled()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Bad = Folder.Write("bad.xml", "no section\n");
        TForm F(Folder, {QString::fromStdString(Bad)});
        QVERIFY(F.Show());
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
        QCOMPARE(Prompts.Texts,
                 QStringList{QString::fromStdString(Bad + " is not a Quillet project file (no section header).")});
    }

    void SaveAsOpenOtherOpenBack()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string B = Folder.Write("b.xml", Project("other.dpr"));
        const std::string A = Folder.Path() + "/a.xml";
        TForm F(Folder);
        gqlProject->GetOptions()->SetFileToAnalyze("first.dpr");
        F->MarkModified();
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet *"));
        Prompts.FileNames.push_back(QString::fromStdString(A));
        F->actSave->trigger();
        QCOMPARE(F->windowTitle(), QString("a.xml - Quillet"));
        const std::string Saved = ReadFile(A);
        QVERIFY(Saved.find("first.dpr") != std::string::npos);
        QVERIFY(F->OpenDocument(B));
        QCOMPARE(gqlProject->GetOptions()->GetFileToAnalyze(), std::string("other.dpr"));
        QVERIFY(F->OpenDocument(A));
        QCOMPARE(gqlProject->GetOptions()->GetFileToAnalyze(), std::string("first.dpr"));
        QCOMPARE(ReadFile(A), Saved);
        QCOMPARE(F->RecentFiles().front(), A);
    }

    void FailedOpenKeepsDocument()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string A = Folder.Write("a.xml", Project("keep.dpr"));
        std::string Big(MaxProjectFileSize + 1, 'x');
        Big.replace(0, 3, "[x]");
        const std::string Fifo = Folder.Path() + "/fifo.xml";
        QCOMPARE(::mkfifo(Fifo.c_str(), 0600), 0);
        // Each refusal names the file and why.
        const struct {
            std::string Name;
            std::string Text;
        } Bad[] = {
            {Folder.Write("nul.xml", std::string("[general]\n\0x", 12)), " is not a Quillet project file (holds NUL bytes)."},
            {Folder.Write("nosection.xml", "filetoanalyze=x\n"), " is not a Quillet project file (no section header)."},
            {Folder.Write("big.xml", Big), " is not a Quillet project file (larger than 16 MiB)."},
            {Folder.Path() + "/missing.xml", ": No such file or directory"},
            {Folder.Path(), ": it is a folder, not a regular file"},
            {Fifo, ": it is a FIFO, not a regular file"},
        };
        TForm F(Folder, {QString::fromStdString(A)});
        for (const auto& B : Bad) {
            Prompts.Texts.clear();
            QVERIFY(!F->OpenDocument(B.Name));
            QCOMPARE(F->Document().GetFileName(), A);
            QCOMPARE(gqlProject->GetOptions()->GetFileToAnalyze(), std::string("keep.dpr"));
            const std::string Expected =
                B.Text[0] == ':' ? "Cannot open " + B.Name + B.Text : B.Name + B.Text;
            QCOMPARE(Prompts.Texts, QStringList{QString::fromStdString(Expected)});
        }
        QCOMPARE(ReadFile(A), Project("keep.dpr"));
    }

    // A FIFO as the command-line project or as the first recent entry is
    // refused with one message, and the program starts untitled.
    void FifoAtStartUp()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Fifo = Folder.Path() + "/fifo.xml";
        QCOMPARE(::mkfifo(Fifo.c_str(), 0600), 0);
        const QString Refusal = QString::fromStdString("Cannot open " + Fifo + ": it is a FIFO, not a regular file");
        {
            TForm F(Folder, {QString::fromStdString(Fifo)});
            QVERIFY(F.Show());
            QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
            QCOMPARE(Prompts.Texts, QStringList{Refusal});
            F->AddRecentFile(Fifo);
        }
        Prompts.Texts.clear();
        TForm F(Folder);
        QVERIFY(F.Show());
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
        QCOMPARE(Prompts.Texts, QStringList{Refusal});
    }

    // What goes wrong at start-up is told in a box of the main window's
    // own once the window is on screen, never in one that waits before it
    // or lies under it; a refused project named on the command line leaves
    // an untitled project, not the most recent one.
    void StartUpErrorsComeAboveTheShownWindow()
    {
        const struct {
            const char* Name;
            const char* Expected;
            bool Named;  // the project file is named on the command line
        } Cases[] = {
            {"fifo", "it is a FIFO, not a regular file", true},
            {"folder", "it is a folder, not a regular file", true},
            {"large", "larger than 16 MiB", true},
            {"plug-in", "Fifo.so: it is a FIFO", false},
            {"utf-16 ini", "UTF-16", false},
        };
        for (const auto& C : Cases) {
            const std::string Name = C.Name;
            TTestFolder Folder;
            const std::string Recent = Folder.Write("recent.xml", Project("recent.dpr"));
            if (Name == "utf-16 ini")
                Folder.Write("Quillet.ini", std::string("\xFF\xFE[\0x\0]\0", 8));
            else
                Folder.Write("Quillet.ini", "[Recent files]\r\nMRU1=" + Recent + "\r\n");
            std::string Arg;
            if (Name == "fifo" || Name == "plug-in") {
                Arg = Folder.Path() + (Name == "fifo" ? "/fifo.xml" : "/Fifo.so");
                QCOMPARE(::mkfifo(Arg.c_str(), 0600), 0);
            } else if (Name == "folder") {
                Arg = Folder.Write("folder.xml/keep", "x").substr(0, Folder.Path().size() + 11);
            } else if (Name == "large") {
                Arg = Folder.Write("large.xml", "[general]\r\n" + std::string(20 << 20, ';'));
            }
            if (Name == "plug-in") {
                Folder.Write("options.ql", "[Refactorings]\r\nCount=1\r\n0=" + Arg + "\r\n");
                Arg.clear();
            }
            // A box that waited for the user before the window is shown runs
            // its own event loop: this closes it and says so.
            QString HeldBy;
            QTimer Watch;
            QObject::connect(&Watch, &QTimer::timeout, [&] {
                if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    HeldBy = Box->text();
                    Box->close();
                }
            });
            Watch.start(50);
            TForm F(Folder, Arg.empty() ? QStringList{} : QStringList{QString::fromStdString(Arg)});
            Watch.stop();
            QVERIFY2(HeldBy.isEmpty(), qPrintable(QString(C.Name) + ": " + HeldBy));
            QVERIFY2(VisibleBoxes().isEmpty(), C.Name);
            if (C.Named) {
                QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
                QVERIFY(F->Document().GetFileName().empty());
            }
            QVERIFY(F.Show());
            QTRY_COMPARE(VisibleBoxes().size(), 1);
            QMessageBox* Box = VisibleBoxes().first();
            QVERIFY2(Box->text().contains(C.Expected), qPrintable(Box->text()));
            QVERIFY2(Box->parentWidget() == F.Form, C.Name);
            QVERIFY(F->isVisible());
            Box->close();
        }
    }

    // A project named on the command line and refused leaves the untitled
    // project of a start without one: the same report tabs and Reports menu
    // checks, and a Run fills the tabs alike.
    void RefusedProjectAtStartUpKeepsTheReports()
    {
        struct TState {
            QStringList Tabs;
            QList<bool> Checks;
            QList<int> Rows;  // of each tab after a Run over the sample
        };
        auto StateAfterStart = [](const std::string& Kind, TState& State) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            // The reports the untitled project showed last time.
            Folder.Write("projectoptions.ini", "[VisibleReports]\r\nUsed Units=\r\nClass Types=\r\n"
                                               "Global variables=\r\nString Literals=\r\n");
            std::string Arg;
            if (Kind == "fifo") {
                Arg = Folder.Path() + "/fifo.qlp";
                QCOMPARE(::mkfifo(Arg.c_str(), 0600), 0);
            } else if (Kind == "folder") {
                Arg = Folder.Write("folder.qlp/keep", "x").substr(0, Folder.Path().size() + 11);
            } else if (Kind == "large") {
                Arg = Folder.Write("large.qlp", "[general]\r\n" + std::string(20 << 20, ';'));
            }
            TForm F(Folder, Arg.empty() ? QStringList{} : QStringList{QString::fromStdString(Arg)});
            QVERIFY(F.Show());
            QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
            QCOMPARE(Prompts.Texts.size(), Arg.empty() ? 0 : 1);
            for (int I = 0; I < F->pgcReports->count(); ++I)
                State.Tabs << F->pgcReports->tabText(I);
            for (const auto& Entry : F->ReportPages()->ReportActions())
                State.Checks << Entry.first->isChecked();
            gqlProject->GetOptions()->SetFileToAnalyze(QUILLET_SOURCE_DIR "/samples/Inventory/Inventory.dpr");
            F->actRun->trigger();
            for (int I = 0; I < F->pgcReports->count(); ++I) {
                TVTReportViewer* Viewer = F->ReportPages()->ViewerOf(F->pgcReports->widget(I));
                QVERIFY(Viewer && Viewer->Data);
                State.Rows << Viewer->Data->GetRowCount();
            }
        };
        TState Plain;
        StateAfterStart("", Plain);
        QCOMPARE(Plain.Tabs.size(), 4);
        QCOMPARE(Plain.Checks.count(true), 4);
        QCOMPARE(Plain.Checks.size(), 7);
        QVERIFY(std::any_of(Plain.Rows.begin(), Plain.Rows.end(), [](int N) { return N > 0; }));
        for (const char* Kind : {"fifo", "folder", "large"}) {
            TState Refused;
            StateAfterStart(Kind, Refused);
            QVERIFY2(Refused.Tabs == Plain.Tabs, qPrintable(QString(Kind) + ": " + Refused.Tabs.join(", ")));
            QVERIFY2(Refused.Checks == Plain.Checks, Kind);
            QVERIFY2(Refused.Rows == Plain.Rows, Kind);
        }
    }

    // Open starts on the XML files that Save As writes; its filter list
    // stays as it is.
    void FileDialogsStartOnXmlFiles()
    {
        const struct {
            const char* Name;
            QStringList Filters;
        } Cases[] = {
            {"Open", {"Quillet Project Files (*.qlp)", "XML Files (*.xml)", "All Files (*)"}},
            {"Save As", {"XML Files (*.xml)", "All Files (*)"}},
        };
        TTestFolder Folder;
        TForm F(Folder);
        for (const auto& C : Cases) {
            QStringList Filters;
            QString Selected;
            QTimer Watch;
            QObject::connect(&Watch, &QTimer::timeout, [&] {
                if (auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    Filters = Dialog->nameFilters();
                    Selected = Dialog->selectedNameFilter();
                    Dialog->reject();
                }
            });
            Watch.start(20);
            (QString(C.Name) == "Open" ? F->actOpen : F->actSaveAs)->trigger();
            Watch.stop();
            QCOMPARE(Filters, C.Filters);
            QCOMPARE(Selected, QString("XML Files (*.xml)"));
        }
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
    }

    void OpenFromAddress()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TLoopbackServer Server([](const QByteArray& Path) -> QByteArray {
            if (Path == "/good.xml")
                return Http("200 OK", "[general]\r\nfiletoanalyze=web.dpr\r\n");
            if (Path == "/text")
                return Http("200 OK", "<html>not a project</html>");
            return Http("404 Not Found", "");
        });
        const std::string A = Folder.Write("a.xml", Project("keep.dpr"));
        TForm F(Folder, {QString::fromStdString(A)});
        for (const char* Bad : {"/missing", "/text"}) {
            QVERIFY_THROWS_EXCEPTION(Exception, F->OpenDocumentURL(Server.Url(Bad)));
            QCOMPARE(F->Document().GetFileName(), A);
            QCOMPARE(gqlProject->GetOptions()->GetFileToAnalyze(), std::string("keep.dpr"));
            QCOMPARE(F->RecentFiles().front(), A);
        }
        const std::string Good = Server.Url("/good.xml");
        F->OpenDocumentURL(Good);
        QCOMPARE(F->Document().GetFileName(), Good);
        QCOMPARE(gqlProject->GetOptions()->GetFileToAnalyze(), std::string("web.dpr"));
        QCOMPARE(F->windowTitle(), QString::fromStdString(Good) + " - Quillet");
        QCOMPARE(F->RecentFiles().front(), Good);
        // Save never writes to an address: it asks for a file name.
        F->MarkModified();
        Prompts.FileNames = {QString::fromStdString(Folder.Path() + "/web.xml")};
        F->actSave->trigger();
        QCOMPARE(F->Document().GetFileName(), Folder.Path() + "/web.xml");
        QVERIFY(ReadFile(Folder.Path() + "/web.xml").find("web.dpr") != std::string::npos);
        Prompts.Texts.clear();
        // A recent address is opened as an address again.
        QVERIFY(F->OpenDocument(A));
        const int Before = Server.Requests;
        F->RecentActions.at(2)->trigger();
        QCOMPARE(Server.Requests, Before + 1);
        QCOMPARE(F->Document().GetFileName(), Good);
        QVERIFY(Prompts.Texts.isEmpty());
    }

    void ConfirmSaveAnswers()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder);
        F->MarkModified();
        // Yes, then Save As cancelled: the caller must not go on.
        Prompts.Answers = {TqlAnswer::Yes};
        QVERIFY(!F->ConfirmSave());
        QCOMPARE(Prompts.Texts.first(), QString("Do you want to save changes?"));
        Prompts.Answers = {TqlAnswer::Cancel};
        QVERIFY(!F->ConfirmSave());
        Prompts.Answers = {TqlAnswer::No};
        QVERIFY(F->ConfirmSave());
        // Yes with a name chosen saves and goes on.
        Prompts.Answers = {TqlAnswer::Yes};
        Prompts.FileNames = {QString::fromStdString(Folder.Path() + "/p.xml")};
        QVERIFY(F->ConfirmSave());
        QVERIFY(!F->Document().GetModified());
        // Cancel on New keeps the modified document.
        F->MarkModified();
        Prompts.Answers = {TqlAnswer::Cancel};
        F->actNew->trigger();
        QVERIFY(F->Document().GetModified());
        QCOMPARE(F->Document().GetFileName(), Folder.Path() + "/p.xml");
    }

    void NewOnUntitledAsksNothing()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder);
        F->actNew->trigger();
        QVERIFY(Prompts.Texts.isEmpty());
        QCOMPARE(F->windowTitle(), QString("Untitled - Quillet"));
    }

    void UpdateRules()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string A = Folder.Write("a.xml", Project("a.dpr"));
        TForm F(Folder);
        F->UpdateActions();
        QVERIFY(F->actSave->isEnabled());  // untitled
        QVERIFY(!F->actAbout->isEnabled());
        QVERIFY(!F->actCancel->isEnabled());
        QVERIFY(F->actRun->isEnabled());
        QVERIFY(!F->actSelectAll->isEnabled());
        QVERIFY(!F->SearchFindNextAction->isEnabled());
        QVERIFY(F->OpenDocument(A));
        F->UpdateActions();
        QVERIFY(!F->actSave->isEnabled());  // named, not modified
        F->MarkModified();
        QVERIFY(F->actSave->isEnabled());
        chmod(A.c_str(), 0444);
        F->UpdateActions();
        if (access(A.c_str(), W_OK) != 0)
            QVERIFY(!F->actSave->isEnabled());  // read-only file
        chmod(A.c_str(), 0644);
    }

    void ShutdownWritesSettings()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        {
            TForm F(Folder);
            QVERIFY(F.Show());
            F->actReadOnly->trigger();  // now editable
        }
        const std::string Ini = Folder.Path() + "/Quillet.ini";
        TqlIniFile File(Ini);
        QCOMPARE(File.ReadString("Editor", "ReadOnly", ""), std::string("F"));
        QVERIFY(File.ReadString("MainForm", "ExplorerWidth", "") != "");
        QVERIFY(File.ReadString("MainForm", "BottomPanelHeight", "") != "");
        QCOMPARE(File.ReadString("TMainForm", "Width", ""), std::string("861"));
        QVERIFY(!File.ValueExists("TFindForm", "Left"));  // never shown
        TForm F(Folder);
        QVERIFY(!F->actReadOnly->isChecked());
    }

    void UnreadableIniGivesDefaultsAndWritesNothing()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        // A folder in the ini's place cannot be read, whoever runs the test.
        const std::string Ini = Folder.Write("Quillet.ini/keep", "x");
        {
            TForm F(Folder);
            QVERIFY(F.Show());
            QCOMPARE(F->width(), 861);
            QCOMPARE(Prompts.Texts.size(), 1);
            QVERIFY(Prompts.Texts[0].contains("Quillet.ini"));
        }
        QCOMPARE(Prompts.Texts.size(), 1);
        QCOMPARE(ReadFile(Ini), std::string("x"));
    }

    // System options that cannot be read (another encoding, a file no
    // reader gets through) give one notice and the defaults; the program
    // starts, a project save goes through, the options dialog says it cannot
    // write, and the file stays as it was.
    void SystemOptionsNotReadGiveDefaultsAndWriteNothing()
    {
        std::string Utf16 = "\xFF\xFE";
        for (char C : std::string("[FolderComparison]\r\nFolderComparisonExe=/usr/bin/meld\r\n"))
            Utf16 += std::string{C, '\0'};
        for (const bool Loop : {false, true}) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            const std::string Options = Folder.Path() + "/options.ql";
            if (Loop)
                std::filesystem::create_symlink("options.ql", Options);
            else
                Folder.Write("options.ql", Utf16);
            auto State = [&] {
                return std::filesystem::is_symlink(Options) ? "link to " + std::filesystem::read_symlink(Options).string()
                                                            : ReadFile(Options);
            };
            const std::string Before = State();
            {
                TForm F(Folder);
                QVERIFY(F.Show());
                QCOMPARE(Prompts.Texts.size(), 1);
                QVERIFY2(Prompts.Texts[0].contains(QString::fromStdString(Options)) &&
                             Prompts.Texts[0].contains("nothing is written"),
                         qPrintable(Prompts.Texts[0]));
                const Ref<IqlSystemOptions> System = gqlProject->GetSystemOptions();
                QCOMPARE(System->GetRefactorOptions()->GetFolderComparisonExe(), std::string());
                QCOMPARE(System->GetLibrarySearchPath()->GetCount(), 0);
                Prompts.Texts.clear();
                QVERIFY(F->SaveDocument(Folder.Path() + "/p.xml"));
                QVERIFY2(Prompts.Texts.isEmpty(), qPrintable(Prompts.Texts.join("\n")));
                QVERIFY(std::filesystem::exists(Folder.Path() + "/p.xml"));
                TSystemOptionsForm* Dialog = SystemOptionsForm();
                Dialog->FormShow();
                Dialog->ParamsEdit->setText("%1 %2");
                Dialog->accept();
                QCOMPARE(Dialog->result(), int(QDialog::Rejected));
                QCOMPARE(Prompts.Texts.size(), 1);
                QVERIFY2(Prompts.Texts[0].contains("could not be saved"), qPrintable(Prompts.Texts[0]));
            }
            QCOMPARE(State(), Before);
        }
    }

    void UnreadableSettingsFileStopsTheStart()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        Folder.Write("codeconventions.ql/keep", "x");
        try {
            TMainForm F({}, QString::fromStdString(Folder.Path()));
            QFAIL("the window was created");
        } catch (const std::exception& E) {
            QVERIFY2(std::string(E.what()).find("codeconventions.ql") != std::string::npos, E.what());
        }
        // Nothing of the failed start stays behind or is written.
        QVERIFY(!gqlProject && !gqlQuilletOptions && !gqlRefactoringHost);
        QVERIFY(!std::filesystem::exists(Folder.Path() + "/Quillet.ini"));
    }

    void UnwritableIniAtCloseGivesOneMessage()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Ini = Folder.Write("Quillet.ini", "[TMainForm]\r\nWidth=500\r\n");
        {
            TForm F(Folder);
            QCOMPARE(F->width(), 500);
            std::remove(Ini.c_str());
            Folder.Write("Quillet.ini/keep", "x");
            Prompts.Texts.clear();
        }
        QCOMPARE(Prompts.Texts.size(), 1);
        QVERIFY(Prompts.Texts[0].contains("Quillet.ini"));
    }
};

QTEST_MAIN(TMainWindowTest)
#include "test_mainwindow.moc"
