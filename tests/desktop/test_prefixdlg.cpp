// The component prefix dialog.
#include "DesktopTestSupport.h"
#include "desktop/frmqlPrefixDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TPrefixDlgTest : public QObject {
    Q_OBJECT
private slots:
    void Validation()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        TScriptedPrompts Prompts;
        const struct {
            const char* Prefix;
            const char* Class;
            const char* Message;  // nullptr: accepted
            const char* Focus;
        } Cases[] = {
            {"", "TButton", "Please enter a prefix", "edtPrefix"},
            {"   ", "TButton", "Please enter a prefix", "edtPrefix"},
            {"btn", " \t", "Please enter a Component Class", "edtComponentClass"},
            {" btn ", " TButton ", nullptr, nullptr},
        };
        for (const auto& C : Cases) {
            TPrefixDlg D;
            D.show();
            QVERIFY(QTest::qWaitForWindowExposed(&D));
            D.edtPrefix->setText(C.Prefix);
            D.edtComponentClass->setText(C.Class);
            Prompts.Texts.clear();
            D.btnOK->click();
            if (C.Message) {
                QCOMPARE(Prompts.Texts, QStringList{C.Message});
                QVERIFY(D.isVisible());
                QCOMPARE(D.focusWidget()->objectName(), QString(C.Focus));
            } else {
                QVERIFY(Prompts.Texts.isEmpty());
                QCOMPARE(D.result(), int(QDialog::Accepted));
            }
        }
    }

    void EditReturnsUntrimmedTexts()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        TScriptedPrompts Prompts;
        std::string Prefix = "old", Class = "TOld";
        auto Answer = [](bool Ok) {
            QTimer::singleShot(0, [Ok] {
                auto* D = qobject_cast<TPrefixDlg*>(QApplication::activeModalWidget());
                QVERIFY(D);
                QCOMPARE(D->edtPrefix->text(), QString("old"));
                D->edtPrefix->setText(" btn ");
                D->edtComponentClass->setText("TButton ");
                (Ok ? D->btnOK : D->btnCancel)->click();
            });
        };
        Answer(false);
        QVERIFY(!EditComponentPrefix(Prefix, Class));
        QCOMPARE(Prefix, std::string("old"));
        Answer(true);
        QVERIFY(EditComponentPrefix(Prefix, Class));
        QCOMPARE(Prefix, std::string(" btn "));
        QCOMPARE(Class, std::string("TButton "));
        QVERIFY(ReadFile(Ini.FileName).find("[TPrefixDlg]") != std::string::npos);
    }
};

QTEST_MAIN(TPrefixDlgTest)
#include "test_prefixdlg.moc"
