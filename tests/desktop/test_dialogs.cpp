// The project options, coding conventions, component prefix, open-address
// and system options dialogs.
#include "ReportTestSupport.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlOptions.h"
#include "desktop/frmqlPrefixDlg.h"
#include "desktop/frmqlSystemOptions.h"
#include "settings/uqlCodingConventions.h"
#include "settings/uqlOptions.h"
#include "settings/uqlStringList.h"
#include "settings/uqlSystemOptions.h"

#include <QApplication>
#include <QClipboard>
#include <QSet>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Runs Act on the next modal dialog as soon as it shows.
void WhenModal(std::function<void(QDialog*)> Act)
{
    auto* Timer = new QTimer;
    Timer->setInterval(5);
    QObject::connect(Timer, &QTimer::timeout, [Timer, Act] {
        if (auto* D = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            Timer->stop();
            Timer->deleteLater();
            Act(D);
        }
    });
    Timer->start();
}

std::vector<std::string> Lines(const Ref<IqlStringList>& L) { return qlListLines(L); }

// A project whose settings folder is gone by the time the dialog saves.
struct TLostSettings {
    TLostSettings() : Ini(Folder)
    {
        Settings = Folder.Path() + "/settings";
        fs::create_directory(Settings);
        Project = Ref<TqlProject>(new TqlProject(Settings));
        gqlProject = Ref<IqlProject>(Project.get());
        RegisterBuiltInReports();
        fs::remove_all(Settings);
    }
    ~TLostSettings() { gqlProject = nullptr; }
    TTestFolder Folder;
    TDesktopIni Ini;
    std::string Settings;
    Ref<TqlProject> Project;
};

} // namespace

class TDialogsTest : public QObject {
    Q_OBJECT
    TTestFolder FWine;

private slots:
    void initTestCase()
    {
        // The library-path sets are read once a run: from the fixture.
        fs::copy_file(QUILLET_SOURCE_DIR "/tests/desktop/data/user.reg", FWine.Path() + "/user.reg");
        setenv("WINEPREFIX", FWine.Path().c_str(), 1);
    }

    void OptionsFilledFromTheProject()
    {
        TProjectFixture P;
        const Ref<IqlOptions> O = gqlProject->GetOptions();
        O->SetFileToAnalyze("/src/Main.dpr");
        O->GetProjectSearchPath()->SetText("Src\r\n..\\Lib\r\n");
        O->GetDefines()->SetText("DEBUG\r\n");
        O->GetAliases()->SetText("WinTypes=Windows\r\n");
        gqlProject->GetSystemOptions()->GetLibrarySearchPath()->SetText("/usr/lib/x\r\n");
        TfrmOptions D;
        QCOMPARE(D.windowTitle(), QString("Options"));
        QCOMPARE(D.size(), QSize(577, 541));
        QCOMPARE(D.pgcOptions->currentIndex(), 0);
        QCOMPARE(D.edtFileToAnalyze->text(), QString("/src/Main.dpr"));
        QCOMPARE(D.memProjectDirs->toPlainText(), QString("Src\n..\\Lib"));
        QCOMPARE(D.memLibDirs->toPlainText(), QString("/usr/lib/x"));
        QCOMPARE(D.memProjectDefines->toPlainText(), QString("DEBUG\nQuillet"));  // always defined
        QCOMPARE(D.AliasesMemo->toPlainText(), QString("WinTypes=Windows"));
        QCOMPARE(D.cbReports->count(), gqlProject->GetReports()->GetCount());
        QCOMPARE(D.cbReports->currentIndex(), -1);
        QCOMPARE(D.vsTReportOptions->topLevelItemCount(), 0);
        // The fixture registry holds Delphi 5 and 7.
        QCOMPARE(D.pmGetDefaults->actions().size(), 2);
        QCOMPARE(D.pmGetDefaults->actions()[1]->text(), QString("Delphi 7.0"));
        QVERIFY(D.btnLibDefaults->isEnabled());
        QVERIFY(D.btnProjectDefaults->isHidden());
    }

    void ReportSettingsTree()
    {
        TProjectFixture P;
        TfrmOptions D;
        D.cbReportsChange(D.cbReports->findText("Stand-in"));
        const Ref<IqlSettings> S = P.StandIn->GetSettings();
        QCOMPARE(D.vsTReportOptions->topLevelItemCount(), S->GetCategoryCount() + S->GetSettingCount());
        QVERIFY(S->GetCategoryCount() > 0);
        QTreeWidgetItem* Cat = D.vsTReportOptions->topLevelItem(0);
        QVERIFY(Cat->font(0).bold());
        QCOMPARE(Cat->text(0), QString::fromStdString(S->GetCategory(0)->GetName()));
        QCOMPARE(D.vsTReportOptions->topLevelItem(1)->text(0), QString("Outer"));  // categories first
        QTreeWidgetItem* Item = Cat->child(0);
        const Ref<IqlSetting> Setting = S->GetCategory(0)->GetSetting(0);
        QCOMPARE(Item->text(0), QString::fromStdString(Setting->GetName()));
        QVERIFY(!Item->font(0).bold());
        const bool Project = Setting->GetProject(), Library = Setting->GetLibrary();
        D.SettingClicked(Item, 1);
        QCOMPARE(Setting->GetProject(), !Project);
        QCOMPARE(Setting->GetLibrary(), Library);
        D.SettingClicked(Item, 2);
        QCOMPARE(Setting->GetLibrary(), !Library);
        D.SettingClicked(Item, 0);
        D.SettingClicked(Cat, 1);  // a category has no flags
        QCOMPARE(Setting->GetProject(), !Project);
        // Another report replaces the tree.
        D.cbReportsChange(D.cbReports->findText("Ridizo Dedu"));
        QCOMPARE(D.vsTReportOptions->topLevelItemCount(), P.Report("Ridizo Dedu")->GetSettings()->GetSettingCount());
    }

    void OptionsOkStepsAndWarnings()
    {
        TProjectFixture P;
        TTestFolder Work;
        fs::create_directories(fs::path(Work.Path()) / "Src/A");
        fs::create_directories(fs::path(Work.Path()) / "Env/Lib");
        const std::string Main = Work.Write("Src/Main.dpr", "program Main; begin end.");
        setenv("QLTEST_ENV", (Work.Path() + "/Env/").c_str(), 1);
        TScriptedPrompts Prompts;
        {
            TfrmOptions D;
            D.edtFileToAnalyze->setText(QString::fromStdString(Work.Path() + "/Src/Nope.dpr"));
            D.memProjectDirs->setPlainText(QString::fromStdString(Work.Path()) + "/Src\nMissing1\n../Missing2");
            D.memLibDirs->setPlainText("$(QLTEST_ENV)\\lib\n$(QLTEST_ENV)\\Gone");
            D.memProjectDefines->setPlainText("RELEASE\nWIN32");
            D.AliasesMemo->setPlainText("A=B");
            D.accept();
            QCOMPARE(D.result(), int(QDialog::Accepted));  // warnings only
        }
        const QStringList Expected = {
            QString("\"File To Analyze\", %1/Src/Nope.dpr, does not exist.").arg(QString::fromStdString(Work.Path())),
            "The following Project paths do not exist:\n\nMissing1\n../Missing2",
            "The following Library paths do not exist:\n\n$(QLTEST_ENV)\\Gone",
        };
        QCOMPARE(Prompts.Texts, Expected);
        // Relative folders are taken from the folder of the file to analyse.
        Prompts.Texts.clear();
        {
            TfrmOptions D;
            D.edtFileToAnalyze->setText(QString::fromStdString(Main));
            D.memProjectDirs->setPlainText("a\n\n..\\src\\A\\");
            D.memLibDirs->setPlainText("");
            D.accept();
        }
        QCOMPARE(Prompts.Texts, QStringList());
        // Everything reached the project and its settings file.
        TqlOptions Saved;
        Saved.Load(gqlProject->GetProjectSettingsFile());
        QCOMPARE(Saved.GetFileToAnalyze(), Main);
        QCOMPARE(Lines(Saved.GetDefines()), (std::vector<std::string>{"RELEASE", "WIN32", "Quillet"}));
        QCOMPARE(Lines(Saved.GetAliases()), (std::vector<std::string>{"A=B"}));
        QCOMPARE(Lines(gqlProject->GetOptions()->GetProjectSearchPath()),
                 (std::vector<std::string>{"a", "", "..\\src\\A\\"}));
        unsetenv("QLTEST_ENV");
    }

    void OptionsSaveFailureKeepsTheDialog()
    {
        TLostSettings L;
        TScriptedPrompts Prompts;
        TfrmOptions D;
        D.memProjectDefines->setPlainText("KEPT");
        D.accept();
        QCOMPARE(D.result(), int(QDialog::Rejected));
        QVERIFY(Prompts.Texts.last().contains("projectoptions.ini"));
        QCOMPARE(D.memProjectDefines->toPlainText(), QString("KEPT"));
    }

    void DefaultsAndBrowse()
    {
        TProjectFixture P;
        TScriptedPrompts Prompts;
        TfrmOptions D;
        const TqlLibraryPathSet& Set = GetDelphiLibraryPaths()[1];
        D.TargetMemo = D.memLibDirs;
        D.memLibDirs->setPlainText("Old");
        Prompts.Answers = {TqlAnswer::No};
        D.FillFromDefaultsItem(Set);
        QCOMPARE(Prompts.Texts, QStringList{"Do you want to clear the current search dirs ?"});
        QStringList Lines = D.memLibDirs->toPlainText().split('\n');
        QCOMPARE(Lines.first(), QString("Old"));
        QCOMPARE(Lines.size(), int(Set.Folders.size()) + 1);
        QVERIFY(Lines.last().endsWith("/QuilletSystem"));
        Prompts.Answers = {TqlAnswer::Yes};
        D.FillFromDefaultsItem(Set);
        QCOMPARE(D.memLibDirs->toPlainText().split('\n').size(), int(Set.Folders.size()));

        // Browse: the folder, then its subfolders on Yes.
        TTestFolder Tree;
        fs::create_directories(fs::path(Tree.Path()) / "b/c");
        fs::create_directories(fs::path(Tree.Path()) / "a");
        Prompts.Texts.clear();
        Prompts.FileNames = {QString::fromStdString(Tree.Path())};
        Prompts.Answers = {TqlAnswer::Yes};
        D.memProjectDirs->clear();
        D.BrowseFolder(D.memProjectDirs);
        const QString T = QString::fromStdString(Tree.Path());
        QCOMPARE(D.memProjectDirs->toPlainText(),
                 QStringList({T + "/", T + "/a", T + "/b", T + "/b/c"}).join('\n'));
        QCOMPARE(Prompts.Texts, (QStringList{"Select Search Directory", "Do you want to add all subfolders?"}));
    }

    // The help line beside the buttons shows its whole text when the dialog
    // opens at its size.
    void ConventionsHelpLineShownWhole()
    {
        TProjectFixture P;
        TCodeOptions D(gqlProject->GetCodingConventions());
        D.show();
        QVERIFY(QTest::qWaitForWindowExposed(&D));
        const QLineEdit* Help = D.edtRegExprHelp;
        const int Needed = Help->fontMetrics().horizontalAdvance(Help->text());
        QVERIFY2(Help->contentsRect().width() > Needed,
                 qPrintable(QString("%1 for %2").arg(Help->contentsRect().width()).arg(Needed)));
        // And the dialog cannot be made narrower than that.
        D.resize(300, D.height());
        QCoreApplication::processEvents();
        QVERIFY(Help->contentsRect().width() > Needed);
    }

    void ConventionsLoadOkCancel()
    {
        TProjectFixture P;
        const Ref<IqlCodingConventions> C = gqlProject->GetCodingConventions();
        C->GetNamingConventions()->SetLocalVariables("L[A-Z].*");
        C->GetIndentationConventions()->SetSpacesPerIndent(3);
        C->GetIndentationConventions()->SetIndentComments(true);
        {
            TCodeOptions D(C);
            QCOMPARE(D.windowTitle(), QString("Coding Conventions"));
            QCOMPARE(D.pgcCodingConventions->currentIndex(), 0);
            QCOMPARE(D.cbSpacesPerIndent->currentText(), QString("3"));
            QVERIFY(D.chkIndentComments->isChecked());
            QCOMPARE(D.NamingFields[0].Edit->text(), QString("L[A-Z].*"));
            QCOMPARE(D.ListView1->topLevelItemCount(), 0);
            QVERIFY(D.edtRegExprHelp->text().startsWith("For help on regular expressions : "));
            D.NamingFields[0].Edit->setText("Changed");
            D.cbSpacesPerIndent->setCurrentIndex(5);
            D.reject();
        }
        QCOMPARE(C->GetNamingConventions()->GetLocalVariables(), std::string("L[A-Z].*"));
        QCOMPARE(C->GetIndentationConventions()->GetSpacesPerIndent(), 3);
        {
            TCodeOptions D(C);
            D.NamingFields[15].Edit->setText("Set.*");
            D.cbSpacesPerIndent->setCurrentIndex(4);
            D.chkEnforceOnlyIfComponentUsed->setChecked(true);
            D.accept();
            QCOMPARE(D.result(), int(QDialog::Accepted));
        }
        TqlCodingConventions Saved(P.Folder.Path() + "/codeconventions.ql");
        Saved.Load();
        QCOMPARE(Saved.GetNamingConventions()->GetSetRoutines(), std::string("Set.*"));
        QCOMPARE(Saved.GetIndentationConventions()->GetSpacesPerIndent(), 4);
        QVERIFY(!Saved.GetComponentPrefixes()->GetEnforcePrefixOnUnreferenced());

        // A value the list does not hold is shown as it is and kept.
        C->GetIndentationConventions()->SetSpacesPerIndent(9);
        {
            TCodeOptions D(C);
            QCOMPARE(D.cbSpacesPerIndent->currentText(), QString("9"));
            D.accept();
        }
        QCOMPARE(C->GetIndentationConventions()->GetSpacesPerIndent(), 9);
    }

    void ConventionsBadPatternAndFailedSave()
    {
        TProjectFixture P;
        TScriptedPrompts Prompts;
        const Ref<IqlCodingConventions> C = gqlProject->GetCodingConventions();
        const std::string Before = C->GetNamingConventions()->GetClassTypes();
        {
            TCodeOptions D(C);
            D.NamingFields[8].Edit->setText("T[A-Z");
            D.accept();
            QCOMPARE(D.result(), int(QDialog::Rejected));
            QCOMPARE(Prompts.Texts.size(), 1);
            QVERIFY(Prompts.Texts[0].contains("Classes"));
            QCOMPARE(D.pgcCodingConventions->currentIndex(), 1);
            QCOMPARE(D.focusWidget(), D.NamingFields[8].Edit);
        }
        QCOMPARE(C->GetNamingConventions()->GetClassTypes(), Before);

        TLostSettings L;
        Prompts.Texts.clear();
        TCodeOptions D(gqlProject->GetCodingConventions());
        D.NamingFields[0].Edit->setText("Kept");
        D.accept();
        QCOMPARE(D.result(), int(QDialog::Rejected));
        QVERIFY(Prompts.Texts.last().contains("codeconventions.ql"));
        QCOMPARE(D.NamingFields[0].Edit->text(), QString("Kept"));
    }

    void PrefixCommands()
    {
        TProjectFixture P;
        TScriptedPrompts Prompts;
        const Ref<IqlPrefixList> List = gqlProject->GetCodingConventions()->GetComponentPrefixes();
        List->LoadDefaults();
        const int Defaults = List->GetCount();
        QVERIFY(Defaults > 2);
        TCodeOptions D(gqlProject->GetCodingConventions());
        QTreeWidget* V = D.lvCmpPrefixes;
        QCOMPARE(V->topLevelItemCount(), Defaults);
        for (int I = 1; I < V->topLevelItemCount(); ++I)
            QVERIFY(V->topLevelItem(I - 1)->text(0) <= V->topLevelItem(I)->text(0));

        // Nothing selected: nothing asked, nothing removed.
        V->clearSelection();
        V->setCurrentItem(nullptr);
        D.btnDeleteComponentPrefixClick();
        QVERIFY(Prompts.Texts.isEmpty());

        V->setCurrentItem(V->topLevelItem(0));
        const QString First = V->topLevelItem(0)->text(0);
        Prompts.Answers = {TqlAnswer::No};
        QTest::keyClick(V, Qt::Key_Delete);
        QCOMPARE(Prompts.Texts, QStringList{"Are you sure you want to delete the selected prefix?"});
        QCOMPARE(List->GetCount(), Defaults);
        Prompts.Answers = {TqlAnswer::Yes};
        D.btnDeleteComponentPrefixClick();
        QCOMPARE(List->GetCount(), Defaults - 1);
        QCOMPARE(V->topLevelItemCount(), Defaults - 1);
        QVERIFY(V->findItems(First, Qt::MatchExactly).isEmpty());

        // Add through the prefix dialog: a blank prefix is refused first.
        WhenModal([](QDialog* Dlg) {
            auto* Prefix = static_cast<TPrefixDlg*>(Dlg);
            Prefix->edtComponentClass->setText("TZebra");
            Prefix->btnOK->click();  // refused: no prefix yet
            Prefix->edtPrefix->setText(" zb ");
            Prefix->btnOK->click();
        });
        D.tbnAddComponentPrefixClick();
        QVERIFY(Prompts.Texts.contains("Please enter a prefix"));
        QCOMPARE(List->GetCount(), Defaults);
        QCOMPARE(List->Find("TZebra")->GetPrefix(), std::string(" zb "));
        QCOMPARE(V->findItems(" zb ", Qt::MatchExactly).size(), 1);

        // Edit by double-click.
        V->setCurrentItem(V->findItems(" zb ", Qt::MatchExactly).first());
        WhenModal([](QDialog* Dlg) {
            auto* Prefix = static_cast<TPrefixDlg*>(Dlg);
            QCOMPARE(Prefix->edtComponentClass->text(), QString("TZebra"));
            Prefix->edtPrefix->setText("zeb");
            Prefix->btnOK->click();
        });
        D.lvCmpPrefixesDblClick();
        QCOMPARE(List->Find("TZebra")->GetPrefix(), std::string("zeb"));
        QCOMPARE(V->findItems("zeb", Qt::MatchExactly).size(), 1);

        // Defaults: No keeps the list, Yes resets it.
        Prompts.Answers = {TqlAnswer::No};
        D.btnGetDefaultPrefixesClick();
        QCOMPARE(List->GetCount(), Defaults);
        QVERIFY(List->Find("TZebra"));
        Prompts.Answers = {TqlAnswer::Yes};
        D.btnGetDefaultPrefixesClick();
        QCOMPARE(Prompts.Texts.last(), QString("Are you sure you want to reset the default prefixes?"));
        QVERIFY(!List->Find("TZebra"));
        QCOMPARE(V->topLevelItemCount(), Defaults);
    }

    void OpenAddress()
    {
        const struct {
            std::vector<std::string> Recent;
            int Offered;
            const char* Text;
        } Cases[] = {
            {{"/a/b.xml", "c.qlp"}, 0, ""},
            {{"/a/b.xml", "http://host/p.xml", "x.xml", "ftp://h/q"}, 2, "http://host/p.xml"},
        };
        for (const auto& C : Cases) {
            TfrmOpenURL D;
            D.LoadRecentAddresses(C.Recent);
            QCOMPARE(D.cbURL->count(), C.Offered);
            QCOMPARE(D.cbURL->currentText(), QString(C.Text));
            QVERIFY(!D.btnOK->isEnabled());
            D.cbURL->setEditText("host/p.xml");
            QVERIFY(!D.btnOK->isEnabled());
            D.cbURL->setEditText("see https://x");
            QVERIFY(D.btnOK->isEnabled());
        }
        // The answer is read before the dialog is released.
        std::string Address = "stale";
        WhenModal([](QDialog* Dlg) {
            auto* D = static_cast<TfrmOpenURL*>(Dlg);
            D->cbURL->setEditText("http://example.invalid/p.xml");
            D->btnOK->click();
        });
        QVERIFY(ExecuteOpenURL(nullptr, {"http://old/x"}, Address));
        QCOMPARE(Address, std::string("http://example.invalid/p.xml"));
        WhenModal([](QDialog* Dlg) { Dlg->reject(); });
        QVERIFY(!ExecuteOpenURL(nullptr, {"http://old/x"}, Address));
        QCOMPARE(Address, std::string());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // In every multi-line field of the dialogs Tab and Shift+Tab move the
    // focus on and type nothing; from the project folders Tab reaches the
    // library folders, OK and Cancel. A path list takes no tab from pasted
    // text (nor from Ctrl+Tab): a tab parts two entries.
    void TabMovesOnInMultiLineFields()
    {
        TProjectFixture P;
        TScriptedPrompts Prompts;
        TfrmOptions Options;
        TSystemOptionsForm System;
        for (TBaseDialogForm* D : {static_cast<TBaseDialogForm*>(&Options), static_cast<TBaseDialogForm*>(&System)}) {
            D->show();
            D->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(D));
            const QList<QPlainTextEdit*> Memos = D->findChildren<QPlainTextEdit*>();
            QVERIFY(!Memos.isEmpty());
            for (QPlainTextEdit* Memo : Memos) {
                const QString Name = D->windowTitle() + ": " + Memo->objectName();
                // Bring its page to the front.
                for (QTabWidget* Pages : D->findChildren<QTabWidget*>())
                    for (int I = 0; I < Pages->count(); ++I)
                        if (Pages->widget(I)->isAncestorOf(Memo))
                            Pages->setCurrentIndex(I);
                Memo->setPlainText("/usr/lib");
                for (const Qt::KeyboardModifiers Mods : {Qt::KeyboardModifiers(Qt::NoModifier),
                                                          Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
                    Memo->setFocus();
                    QTRY_VERIFY2(Memo->hasFocus(), qPrintable(Name));
                    QTest::keyClick(Memo, Mods ? Qt::Key_Backtab : Qt::Key_Tab, Mods);
                    QVERIFY2(!Memo->hasFocus(), qPrintable(Name));
                    QCOMPARE(Memo->toPlainText(), QString("/usr/lib"));
                }
                if (Memo != Options.memProjectDirs && Memo != Options.memLibDirs && Memo != System.RefactoringsMemo)
                    continue;
                Memo->setFocus();
                QTest::keyClick(Memo, Qt::Key_Tab, Qt::ControlModifier);
                QCOMPARE(Memo->toPlainText(), QString("/usr/lib"));
                Memo->clear();
                QApplication::clipboard()->setText("\t\t/usr/lib\tC:\\Lib\t\n\t\n/opt/x");
                Memo->paste();
                QCOMPARE(Memo->toPlainText(), QString("/usr/lib\nC:\\Lib\n\n/opt/x"));
            }
            D->hide();
        }
        // Round the options dialog from the project folders.
        Options.show();
        Options.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Options));
        Options.pgcOptions->setCurrentIndex(0);
        Options.memProjectDirs->setFocus();
        QTRY_VERIFY(Options.memProjectDirs->hasFocus());
        QSet<QWidget*> Reached;
        for (int I = 0; I < 30; ++I) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            Reached << QApplication::focusWidget();
        }
        QVERIFY(Reached.contains(Options.memLibDirs));
        QVERIFY(Reached.contains(Options.btnOK));
        QVERIFY(Reached.contains(Options.btnCancel));
        QVERIFY(!Options.memProjectDirs->toPlainText().contains('\t'));
        QVERIFY(!Options.memLibDirs->toPlainText().contains('\t'));
        Options.hide();
    }

    void SystemOptions()
    {
        TProjectFixture P;
        TScriptedPrompts Prompts;
        const Ref<IqlRefactorOptions> R = gqlProject->GetSystemOptions()->GetRefactorOptions();
        R->SetFolderComparisonExe("/usr/bin/meld");
        R->SetFolderComparisonExeParams("%1 %2");
        R->SetRefactorings({"libWithUnwinder.so"});
        TSystemOptionsForm D;
        QCOMPARE(D.windowTitle(), QString("System Options"));
        QCOMPARE(D.pgcSystemOptions->tabText(0), QString("Refactoring"));
        D.FormShow();
        QCOMPARE(D.ApplicationEdit->text(), QString("/usr/bin/meld"));
        QCOMPARE(D.RefactoringsMemo->toPlainText(), QString("libWithUnwinder.so"));
        // Browsing appends, duplicates too.
        Prompts.FileNames = {"libWithUnwinder.so", "libWithUnwinder.so"};
        D.BrowseRefactoringButtonClick();
        D.BrowseRefactoringButtonClick();
        QCOMPARE(D.RefactoringsMemo->toPlainText().split('\n').size(), 3);
        D.ApplicationEdit->setText("/bin/other");
        D.reject();
        QCOMPARE(R->GetFolderComparisonExe(), std::string("/usr/bin/meld"));
        D.FormShow();
        QCOMPARE(D.ApplicationEdit->text(), QString("/usr/bin/meld"));
        QCOMPARE(D.RefactoringsMemo->toPlainText(), QString("libWithUnwinder.so"));

        D.ParamsEdit->setText("-a %1 -b %2");
        D.RefactoringsMemo->setPlainText("one.so\ntwo.so");
        D.accept();
        QCOMPARE(D.result(), int(QDialog::Accepted));
        TqlSystemOptions Saved;
        Saved.Load(gqlProject->GetSystemSettingsFile());
        QCOMPARE(Saved.GetRefactorOptions()->GetFolderComparisonExeParams(), std::string("-a %1 -b %2"));
        QCOMPARE(Saved.GetRefactorOptions()->GetRefactorings(), (std::vector<std::string>{"one.so", "two.so"}));

        TLostSettings L;
        TSystemOptionsForm Lost;
        Lost.FormShow();
        Lost.ParamsEdit->setText("kept");
        Lost.accept();
        QCOMPARE(Lost.result(), int(QDialog::Rejected));
        QVERIFY(Prompts.Texts.last().contains("options.ql"));
        QCOMPARE(Lost.ParamsEdit->text(), QString("kept"));
    }
};

QTEST_MAIN(TDialogsTest)
#include "test_dialogs.moc"
