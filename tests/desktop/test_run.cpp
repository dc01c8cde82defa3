// Run over the Inventory sample, the progress display, the message list and
// the source viewer.
#include "DesktopTestSupport.h"
#include "LoopbackServer.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlDocument.h"
#include "model/uqlMessage.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;

// A copy of the Inventory sample in Folder and a project file naming it.
std::string CopySample(const TTestFolder& Folder)
{
    const fs::path To = fs::path(Folder.Path()) / "Inventory";
    fs::copy(fs::path(QUILLET_SOURCE_DIR) / "samples/Inventory", To, fs::copy_options::recursive);
    return Folder.Write("inventory.xml", "[general]\r\nfiletoanalyze=" + (To / "Inventory.dpr").string() + "\r\n");
}

// A second progress notifier that runs a script on every call.
class TScriptNotifier : public TInterfacedObject, public IqlProgressNotifier {
public:
    explicit TScriptNotifier(std::function<void(int Call)> Script) : FScript(std::move(Script)) {}
    void Notify(const std::string&, TParserState, bool&) override { FScript(++Calls); }
    int Calls = 0;

private:
    std::function<void(int)> FScript;
};

}  // namespace

class TRunTest : public QObject {
    Q_OBJECT
private slots:
    void RunOverSample()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        bool SawRunning = false;
        Ref<TScriptNotifier> Script(new TScriptNotifier([&](int) {
            SawRunning = F->Running() && !F->actRun->isEnabled() && F->actCancel->isEnabled() &&
                         !F->actNew->isEnabled() && !F->actOpen->isEnabled() && !F->actSave->isEnabled() &&
                         !F->actSaveAs->isEnabled() && !F->SearchFindAction->isEnabled();
        }));
        gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        F->actRun->trigger();
        QVERIFY(Script->Calls >= 10);
        QVERIFY(SawRunning);
        QVERIFY(!F->Running());
        QVERIFY(F->actRun->isEnabled());
        QVERIFY(!F->actCancel->isEnabled());
        QVERIFY(gqlProject->GetUnits()->GetCount() >= 4);
        // The shipped system unit was found, but its folder stays out of the
        // options that are saved.
        QVERIFY(gqlProject->GetUnits()->FindUnit("QuilletSystem"));
        QVERIFY2(gqlProject->GetSystemOptions()->GetLibrarySearchPath()->GetText().find("QuilletSystem") ==
                     std::string::npos,
                 gqlProject->GetSystemOptions()->GetLibrarySearchPath()->GetText().c_str());
        QVERIFY2(QRegularExpression("^\\d+\\.\\d\\d \\(s\\)$").match(F->StatusText(4)).hasMatch(),
                 qPrintable(F->StatusText(4)));
        QCOMPARE(F->lvMessages->model()->rowCount(), gqlProject->GetMessages()->GetCount());
        QVERIFY(Prompts.Texts.isEmpty());
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
    }

    void NewAndCloseDuringRun()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Project = CopySample(Folder);
        TForm F(Folder, {QString::fromStdString(Project)});
        F->SetProgressInterval(std::chrono::steady_clock::duration::zero());
        F->show();
        Ref<TScriptNotifier> Script(new TScriptNotifier([&](int Call) {
            if (Call == 2) {
                F->actNew->trigger();
                F.Form->close();
            }
        }));
        gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        F->Run();
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        // New did nothing; the close cancelled the analysis and waited for it.
        QCOMPARE(F->Document().GetFileName(), Project);
        QVERIFY(gqlProject->GetAborted());
        QVERIFY(Script->Calls <= 3);
        QTRY_VERIFY(!F->isVisible());
        QVERIFY(Prompts.Texts.isEmpty());
    }

    void CancelAction()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        F->SetProgressInterval(std::chrono::steady_clock::duration::zero());
        Ref<TScriptNotifier> Script(new TScriptNotifier([&](int Call) {
            if (Call == 1)
                F->actCancel->trigger();
        }));
        gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        F->Run();
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        QVERIFY(gqlProject->GetAborted());
        QVERIFY(F->actRun->isEnabled());
        QVERIFY2(F->StatusText(4).startsWith("Parsing canceled"), qPrintable(F->StatusText(4)));
        QVERIFY(Prompts.Texts.isEmpty());
    }

    // Run with nothing to analyse says so and leaves everything as it was:
    // an untitled project, one fetched from an address without a file to
    // analyse, and one whose file is not there.
    void RunWithoutFileSaysSo()
    {
        TLoopbackServer Server([](const QByteArray& Path) -> QByteArray {
            if (Path == "/bare.xml")
                return Http("200 OK", "[general]\r\n");
            return Http("200 OK", "[general]\r\nfiletoanalyze=web.dpr\r\n");
        });
        const struct {
            const char* Address;  // empty: untitled
            const char* Expected;
        } Cases[] = {
            {"", "No file to analyze is set. Choose one under Project > Options."},
            {"/bare.xml", "The file to analyze \"Default Value\" cannot be found. Choose one under Project > Options."},
            {"/web.xml", "The file to analyze \"web.dpr\" cannot be found. Choose one under Project > Options."},
        };
        for (const auto& C : Cases) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            TForm F(Folder);
            if (*C.Address)
                F->OpenDocumentURL(Server.Url(C.Address));
            const QString Status = F->StatusText(4);
            F->actRun->trigger();
            QCOMPARE(Prompts.Texts, QStringList{C.Expected});
            QCOMPARE(F->StatusText(4), Status);
            QVERIFY(F->actRun->isEnabled());
        }
    }

    void UnitDeletedDuringRun()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        const fs::path Unit = fs::path(Folder.Path()) / "Inventory/Src/StockStore.pas";
        Ref<TScriptNotifier> Script(new TScriptNotifier([&](int Call) {
            if (Call == 1)
                fs::remove(Unit);
        }));
        gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        F->actRun->trigger();
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(Script.get()));
        QVERIFY(!F->Running());
        QVERIFY(F->actRun->isEnabled());
        QVERIFY(!F->actCancel->isEnabled());
        QVERIFY(F->actNew->isEnabled());
        // The core reports the missing unit in its messages or as an error.
        QStringList Texts = Prompts.Texts;
        for (int R = 0; R < F->lvMessages->model()->rowCount(); ++R)
            Texts << F->lvMessages->model()->index(R, 0).data().toString();
        QVERIFY2(!Texts.filter("stockstore", Qt::CaseInsensitive).isEmpty(), qPrintable(Texts.join("\n")));
    }

    void NotifyKeepsItsInterval()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder);
        F->SetProgressInterval(std::chrono::hours(1));
        bool Abort = true;
        F->Notify("x", psrInterfaceParsing, Abort);  // first display: long ago
        QCOMPARE(F->StatusText(4), QString("x Interface"));
        QVERIFY(!Abort);
        Abort = true;
        F->Notify("y", psrFull, Abort);  // within the interval: nothing at all
        QCOMPARE(F->StatusText(4), QString("x Interface"));
        QVERIFY(Abort);
        // From the analysis' worker thread: only the cancel flag is read.
        F->SetProgressInterval(std::chrono::steady_clock::duration::zero());
        F->actCancel->setEnabled(true);
        F->actCancel->trigger();
        bool WorkerAbort = false;
        std::thread Worker([&] { F->Notify("z", psrFull, WorkerAbort); });
        Worker.join();
        QVERIFY(WorkerAbort);
        QCOMPARE(F->StatusText(4), QString("x Interface"));
    }

    void MessagesSortAndDoubleClick()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string A = Folder.Write("a.pas", "unit a;\r\ninterface\r\nimplementation\r\nend.\r\n");
        const std::string B = Folder.Write("b.pas", "unit b;\r\nend.\r\n");
        TForm F(Folder);
        TqlFileNameList* Files = gqlProject->GetFileNames();
        const int FA = Files->Add(A, true, -1);
        const int FB = Files->Add(B, true, -1);
        Ref<IqlMessageList> M = gqlProject->GetMessages();
        M->Add("zeta", FA, 3, 2, true);
        M->Add("alpha", FB, 1, 1, false);
        M->Add("mid", FA, 2, 4, false);
        F->RefreshViews(false);
        QAbstractItemModel* Model = F->lvMessages->model();
        QCOMPARE(Model->rowCount(), 3);
        QCOMPARE(Model->headerData(2, Qt::Horizontal).toString(), QString("X,Y"));
        auto Column = [&](int C) {
            QStringList L;
            for (int R = 0; R < Model->rowCount(); ++R)
                L << Model->index(R, C).data().toString();
            return L;
        };
        QCOMPARE(Column(2), (QStringList{"3,2", "1,1", "2,4"}));
        QCOMPARE(Column(3), (QStringList{"True", "False", "False"}));
        emit F->lvMessages->header()->sectionClicked(2);  // no sort
        QCOMPARE(Column(0), (QStringList{"zeta", "alpha", "mid"}));
        emit F->lvMessages->header()->sectionClicked(0);
        QCOMPARE(Column(0), (QStringList{"alpha", "mid", "zeta"}));
        emit F->lvMessages->header()->sectionClicked(1);
        QCOMPARE(Column(1).first(), QString::fromStdString(A));
        // Painting many times builds nothing up: rows map to messages.
        for (int I = 0; I < 100; ++I)
            Column(0);
        const int Row = Column(0).indexOf("mid");
        emit F->lvMessages->doubleClicked(Model->index(Row, 0));
        QCOMPARE(F->EditorFileName(), A);
        QCOMPARE(F->EditorLine(), 4);
        QCOMPARE(F->EditorColumn(), 2);
        QCOMPARE(F->StatusText(0), QString("     4:  2"));
        QCOMPARE(F->StatusText(4), QString::fromStdString(A));
    }

    // A long message is shown whole: its column takes the width the window
    // gains, and its tip holds all of it.
    void LongMessageShownWhole()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TForm F(Folder);
        F->resize(900, 600);
        QVERIFY(F.Show());
        const std::string Text = "The refactored files are in " + Folder.Path() +
                                 "/work/projects/inventory/Generated/{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}.";
        F->PostMessage(Ref<IqlMessage>(new TqlMessage(Text, -1, 0, 0, false)));
        const QModelIndex Cell = F->lvMessages->model()->index(0, 0);
        QCOMPARE(Cell.data(Qt::ToolTipRole).toString(), QString::fromStdString(Text));
        const int Narrow = F->lvMessages->header()->sectionSize(0);
        F->resize(1500, 600);
        QTRY_VERIFY(F->lvMessages->width() > 1300);
        QCoreApplication::processEvents();
        const int Wide = F->lvMessages->header()->sectionSize(0);
        QVERIFY2(Wide >= Narrow + 500, qPrintable(QString("%1 -> %2").arg(Narrow).arg(Wide)));
        QVERIFY(Wide > F->lvMessages->fontMetrics().horizontalAdvance(QString::fromStdString(Text)));
    }

    void ShowCodeBounds()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string A = Folder.Write("a.pas", "line1\nline2\nline3\n");
        TForm F(Folder);
        F->ShowCode(A, 0, 1);
        F->ShowCode(A, 1, 0);
        F->ShowCode(A, -5, -5);
        F->ShowCode(Folder.Path() + "/none.pas", 1, 1);
        QVERIFY(F->EditorFileName().empty());
        F->ShowCode(A, 2, 99);
        QCOMPARE(F->EditorFileName(), A);
        QCOMPARE(F->EditorLine(), F->seEditor->lines());
        // Columns count characters and stop at the end of their line.
        const std::string C = Folder.Write("c.pas", "ab\r\n\r\nc\xE9\xE9 x\r\n");
        const struct {
            int X, Y, Line, Column;
        } Carets[] = {{5, 2, 2, 1}, {4, 3, 3, 4}, {99, 1, 1, 3}, {1, 3, 3, 1}};
        for (const auto& K : Carets) {
            F->ShowCode(C, K.X, K.Y);
            QCOMPARE(F->EditorLine(), K.Line);
            QCOMPARE(F->EditorColumn(), K.Column);
        }
        F->ShowCode(A, 2, 99);
        // The same unchanged file is not reloaded: edits and caret stay.
        F->actReadOnly->trigger();
        F->seEditor->insertAt("EDIT", 0, 0);
        Prompts.Texts.clear();
        F->ShowCode(A, 1, 2);
        QVERIFY(F->seEditor->text().startsWith("EDIT"));
        QCOMPARE(F->EditorLine(), 2);
        QVERIFY(Prompts.Texts.isEmpty());
        // Another file with edits pending: Cancel keeps them.
        const std::string B = Folder.Write("b.pas", "other\n");
        Prompts.Answers = {TqlAnswer::Cancel};
        F->ShowCode(B, 1, 1);
        QCOMPARE(Prompts.Texts, QStringList{"Save changes to " + QString::fromStdString(A) + "?"});
        QCOMPARE(F->EditorFileName(), A);
        QVERIFY(F->seEditor->text().startsWith("EDIT"));
        // Yes saves them, then the other file is shown.
        Prompts.Answers = {TqlAnswer::Yes};
        F->ShowCode(B, 1, 1);
        QCOMPARE(ReadFile(A), std::string("EDITline1\nline2\nline3\n"));
        QCOMPARE(F->EditorFileName(), B);
    }

    void EditorRoundTrips()
    {
        std::string Ansi = "unit \x80\x81\x8D\x8F\x90\x9D\xA0\xFF;\r\n{ caf\xE9 }\r\nend.\r\n";
        std::string Utf8 = "\xEF\xBB\xBFunit u;\n// caf\xC3\xA9 \xE2\x82\xAC\nend.\n";
        std::string BadUtf8 = "\xEF\xBB\xBFunit \xC3(;\r\nend.";
        std::string Nul = std::string("unit n;\r\n\0\r\nend.", 16);
        for (const std::string& Bytes : {Ansi, Utf8, BadUtf8, Nul}) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            const std::string File = Folder.Write("u.pas", Bytes);
            TForm F(Folder);
            F->ShowCode(File, 1, 1);
            F->actReadOnly->trigger();
            F->actEditSave->trigger();
            QCOMPARE(ReadFile(File), Bytes);
            F->seEditor->insertAt("x", 0, 0);
            F->actEditSave->trigger();
            const std::string Edited = Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 && Bytes != BadUtf8
                                           ? Bytes.substr(0, 3) + "x" + Bytes.substr(3)
                                           : "x" + Bytes;
            QCOMPARE(ReadFile(File), Edited);
            QVERIFY(!F->seEditor->isModified());
            QVERIFY(Prompts.Texts.isEmpty());
        }
    }

    // A file whose bytes are UTF-8 reads as UTF-8, with a byte-order mark
    // or without; other bytes read as Windows-1252; ASCII alone stays 8-bit
    // when edited. What is typed goes back in the file's own encoding.
    void EditorEncodings()
    {
        const struct {
            std::string Bytes;
            const char* Shown;   // UTF-8
            const char* Typed;   // UTF-8, inserted at the start
            std::string Saved;
        } Cases[] = {
            {"unit u;\n// caf\xC3\xA9 \xE2\x82\xAC\n", "caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xA9",
             "\xC3\xA9unit u;\n// caf\xC3\xA9 \xE2\x82\xAC\n"},
            {"\xEF\xBB\xBFunit u;\n// \xE2\x82\xAC\n", "// \xE2\x82\xAC", "\xC3\xA9",
             "\xEF\xBB\xBF\xC3\xA9unit u;\n// \xE2\x82\xAC\n"},
            {"unit u;\r\n{ caf\xE9 \x80 }\r\n", "caf\xC3\xA9 \xE2\x82\xAC", "\xC3\xA9", "\xE9unit u;\r\n{ caf\xE9 \x80 }\r\n"},
            {"unit u;\r\nend.\r\n", "end.", "\xC3\xA9", "\xE9unit u;\r\nend.\r\n"},
            {"unit \xC3(;\nend.\n", "\xC3\x83(", "", "unit \xC3(;\nend.\n"},
        };
        for (const auto& C : Cases) {
            TTestFolder Folder;
            TScriptedPrompts Prompts;
            const std::string File = Folder.Write("u.pas", C.Bytes);
            TForm F(Folder);
            F->ShowCode(File, 1, 1);
            QVERIFY2(F->seEditor->text().contains(QString::fromUtf8(C.Shown)), qPrintable(F->seEditor->text()));
            F->actReadOnly->trigger();
            F->seEditor->insertAt(QString::fromUtf8(C.Typed), 0, 0);
            F->actEditSave->trigger();
            QCOMPARE(ReadFile(File), C.Saved);
        }
    }

    // Columns count as the analysis counts them, in bytes of the file, also
    // after characters that take more than one byte in UTF-8.
    void ShowCodeColumnsInUtf8()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Line = "  S := 'caf\xC3\xA9 \xE2\x82\xAC'; Target := 1;";
        const int X = static_cast<int>(Line.find("Target")) + 1;
        TForm F(Folder);
        for (const char* Mark : {"", "\xEF\xBB\xBF"}) {
            const std::string File = Folder.Write(*Mark ? "bom.pas" : "plain.pas", Mark + ("unit u;\n" + Line + "\n"));
            F->ShowCode(File, X, 2);
            QCOMPARE(F->EditorLine(), 2);
            QCOMPARE(F->EditorColumn(), X);
            const long Pos = F->seEditor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
            QCOMPARE(char(F->seEditor->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, Pos)), 'T');
        }
    }

    void EditSaveAsksWhenFileChangedOnDisk()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string File = Folder.Write("u.pas", "one\n");
        TForm F(Folder);
        F->ShowCode(File, 1, 1);
        F->actReadOnly->trigger();
        F->seEditor->insertAt("x", 0, 0);
        Folder.Write("u.pas", "changed elsewhere, longer\n");
        Prompts.Answers = {TqlAnswer::No};
        F->actEditSave->trigger();
        QCOMPARE(Prompts.Texts.size(), 1);
        QVERIFY(Prompts.Texts[0].contains("has changed on disk"));
        QCOMPARE(ReadFile(File), std::string("changed elsewhere, longer\n"));
        Prompts.Answers = {TqlAnswer::Yes};
        F->actEditSave->trigger();
        QCOMPARE(ReadFile(File), std::string("xone\n"));
    }
};

QTEST_MAIN(TRunTest)
#include "test_run.moc"
