// The main window's Find and Find Next commands over the analysed sample:
// the dialog, the selection, "Finished search." and a bad expression.
#include "DesktopTestSupport.h"
#include "analysis/uqlProject.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlTreeNode.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTabWidget>
#include <QTreeWidget>

class TFindCommandTest : public QObject {
    Q_OBJECT

private:
    // Triggers Find; the dialog, once shown, gets Text and Regex and OK.
    static void Find(TMainForm& W, const QString& Text, bool Regex = false)
    {
        QTimer::singleShot(0, [&W, Text, Regex] {
            TFindForm* F = W.FindForm();
            F->FindEdit->setText(Text);
            F->CaseSensitiveCheckBox->setChecked(false);
            F->WholeWordsOnlyCheckBox->setChecked(false);
            F->RegularExpressionCheckBox->setChecked(Regex);
            QTest::mouseClick(F->btnOK, Qt::LeftButton);
        });
        W.SearchFindAction->trigger();
    }

    static std::string Current(TMainForm& W)
    {
        auto* Node = static_cast<TqlTreeNode*>(W.tvProjectTree->currentItem());
        return Node ? Node->Caption() : std::string("<none>");
    }

private slots:
    void findFindNextAndTheEnd()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TMainForm W({}, QString::fromStdString(Folder.Path()));
        gqlProject->GetOptions()->SetFileToAnalyze(std::string(QUILLET_SOURCE_DIR) +
                                                   "/samples/Inventory/Inventory.dpr");
        qlAddShippedSystemFolder(gqlProject->GetSystemOptions()->GetLibrarySearchPath());
        gqlProject->Analyze(true);
        W.RefreshViews(false);
        QVERIFY(!W.SearchFindNextAction->isEnabled());

        Find(W, "getvalue");
        QCOMPARE(Current(W), std::string("Function GetValue : Result"));
        QVERIFY(Prompts.Texts.isEmpty());
        QVERIFY(W.SearchFindNextAction->isEnabled());
        QVERIFY(W.tvProjectTree->updatesEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // Found while the inheritance tree is in front: the project tree
        // comes forward with the node in view.
        W.resize(700, 420);
        W.show();
        QVERIFY(QTest::qWaitForWindowExposed(&W));
        W.pgcExplorer->setCurrentWidget(W.tvInheritance);
        W.tvProjectTree->collapseAll();
        Find(W, "getvalue");
        QCOMPARE(Current(W), std::string("Function GetValue : Result"));
        QCOMPARE(W.pgcExplorer->currentWidget(), static_cast<QWidget*>(W.tvProjectTree));
        QCoreApplication::processEvents();
        const QRect Row = W.tvProjectTree->visualItemRect(W.tvProjectTree->currentItem());
        QVERIFY(!Row.isEmpty());
        QVERIFY(W.tvProjectTree->viewport()->rect().contains(Row.topLeft()));

        // The only match: Find Next reports the end and disables itself.
        W.SearchFindNextAction->trigger();
        QCOMPARE(Prompts.Texts, QStringList{"Finished search."});
        QVERIFY(!W.SearchFindNextAction->isEnabled());

        // A bad expression: the error with its offset; nothing stays locked.
        Prompts.Texts.clear();
        Find(W, "Get(Value", true);
        QCOMPARE(Prompts.Texts.size(), 1);
        QVERIFY2(Prompts.Texts[0].contains("at offset 9"), qPrintable(Prompts.Texts[0]));
        QVERIFY(W.tvProjectTree->updatesEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // An empty text runs no search at all.
        Prompts.Texts.clear();
        W.tvProjectTree->setCurrentItem(nullptr);
        Find(W, "");
        QVERIFY(Prompts.Texts.isEmpty());
        QVERIFY(W.tvProjectTree->currentItem() == nullptr);

        // No match anywhere.
        Find(W, "NoSuchName");
        QCOMPARE(Prompts.Texts, QStringList{"Finished search."});
    }
};

QTEST_MAIN(TFindCommandTest)
#include "test_findcommand.moc"
