// Window placement: stored per window class in "Quillet.ini" and restored.
#include "DesktopTestSupport.h"
#include "desktop/frmqlBase.h"
#include "desktop/frmqlBaseDialog.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlSystemOptions.h"
#include "settings/uqlIniOptions.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

class TTestWindow : public TFormBase<QMainWindow> {
public:
    TTestWindow() : TFormBase<QMainWindow>("TMainForm", true, fsAllSteps)
    {
        resize(861, 683);
        FormCreate();
    }
};

class TTestFixedDialog : public TBaseDialogForm {
public:
    TTestFixedDialog() : TBaseDialogForm("TFindForm", false, fsRestoreOnCreate | fsStoreOnDestroy)
    {
        FormCreate();
    }
};

std::string Read(const std::string& File, const char* Section, const char* Key)
{
    return TqlIniFile(File).ReadString(Section, Key, "<none>");
}

}  // namespace

class TPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void FirstRunKeepsDesignedSize()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        {
            TTestWindow W;
            QCOMPARE(W.size(), QSize(861, 683));
            W.show();
        }
        QCOMPARE(Read(Ini.FileName, "TMainForm", "Width"), std::string("861"));
        QCOMPARE(Read(Ini.FileName, "TMainForm", "Height"), std::string("683"));
        QCOMPARE(Read(Ini.FileName, "TMainForm", "WindowState"), std::string("0"));
        QCOMPARE(Read(Ini.FileName, "TMainForm", "Docked"), std::string("F"));
    }

    void NormalRoundTrip()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        {
            TTestWindow W;
            W.show();
            W.move(40, 50);
            W.resize(500, 400);
            W.close();
        }
        TTestWindow W;
        QCOMPARE(W.pos(), QPoint(40, 50));
        QCOMPARE(W.size(), QSize(500, 400));
        QVERIFY(!W.isMaximized());
    }

    void MaximizedStoresRestoredRectangle()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        {
            TTestWindow W;
            W.move(30, 20);
            W.resize(600, 450);
            W.show();
            QVERIFY(QTest::qWaitForWindowExposed(&W));
            W.showMaximized();
            QTRY_VERIFY(W.isMaximized());
            W.close();
        }
        QCOMPARE(Read(Ini.FileName, "TMainForm", "WindowState"), std::string("2"));
        QCOMPARE(Read(Ini.FileName, "TMainForm", "Width"), std::string("600"));
        QCOMPARE(Read(Ini.FileName, "TMainForm", "Height"), std::string("450"));
        TTestWindow W;
        QVERIFY(W.windowState() & Qt::WindowMaximized);
        W.show();
        QTRY_VERIFY(W.isMaximized());
        QCOMPARE(W.normalGeometry().size(), QSize(600, 450));
    }

    void OffScreenGoesToPrimaryScreen()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        for (auto [X, Y] : {std::pair{-30000, -30000}, std::pair{50000, 10}, std::pair{10, 90000}}) {
            gqlQuilletOptions->WriteValue("TMainForm", "Left", X);
            gqlQuilletOptions->WriteValue("TMainForm", "Top", Y);
            TTestWindow W;
            const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY2(Area.intersects(QRect(W.pos(), W.size())), qPrintable(QString("%1,%2").arg(X).arg(Y)));
        }
    }

    void FixedDialogStoresPositionOnly()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        {
            TTestFixedDialog D;
            D.show();
            D.move(70, 80);
        }
        QCOMPARE(Read(Ini.FileName, "TFindForm", "Left"), std::string("70"));
        QCOMPARE(Read(Ini.FileName, "TFindForm", "Width"), std::string("<none>"));
        gqlQuilletOptions->WriteValue("TFindForm", "Width", 999);
        TTestFixedDialog D;
        QCOMPARE(D.pos(), QPoint(70, 80));
        QVERIFY(D.width() != 999);
    }

    // A dialog with no stored place opens centred on the main window; a
    // window never shown stores nothing, so its next showing is centred too.
    void DialogsWithoutPlaceOpenOverTheMainWindow()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        auto Centred = [](QWidget* Dialog, QWidget* Over) {
            Dialog->show();
            if (!QTest::qWaitForWindowExposed(Dialog))
                return false;
            const QPoint Off = Dialog->frameGeometry().center() - Over->frameGeometry().center();
            Dialog->hide();
            return Off.manhattanLength() < 40;
        };
        for (int Start = 0; Start < 2; ++Start) {
            TForm F(Folder);
            F->setGeometry(100, 80, 500, 400);
            QVERIFY(F.Show());
            if (Start == 0)
                continue;  // no dialog shown
            QVERIFY2(Centred(F->FindForm(), F.Form), "Find");
            QVERIFY2(Centred(SystemOptionsForm(), F.Form), "System Options");
            TCodeOptions Conventions(gqlProject->GetCodingConventions(), F.Form);
            QVERIFY2(Centred(&Conventions, F.Form), "Coding Conventions");
            TfrmOpenURL Address(F.Form);
            QVERIFY2(Centred(&Address, F.Form), "Open URL");
        }
        const std::string Ini = Folder.Path() + "/Quillet.ini";
        // The second start stored the dialogs it showed, where they were.
        QVERIFY(Read(Ini, "TFindForm", "Left") != "<none>");
        QVERIFY(Read(Ini, "TCodeOptions", "Width") != "<none>");
        TTestFolder Unseen;
        {
            TForm F(Unseen);
            QVERIFY(F.Show());
        }
        const std::string UnseenIni = Unseen.Path() + "/Quillet.ini";
        for (const char* Section : {"TFindForm", "TSystemOptionsForm"})
            QCOMPARE(Read(UnseenIni, Section, "Left"), std::string("<none>"));
        QVERIFY(Read(UnseenIni, "TMainForm", "Left") != "<none>");
    }

    void DockedRestoresNothing()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        gqlQuilletOptions->WriteValue("TMainForm", "Docked", true);
        gqlQuilletOptions->WriteValue("TMainForm", "Width", 300);
        TTestWindow W;
        QCOMPARE(W.width(), 861);
    }

    void EscapeCancelsDialog()
    {
        TTestFolder Folder;
        TDesktopIni Ini(Folder);
        TTestFixedDialog D;
        D.show();
        QTest::keyClick(&D, Qt::Key_Escape);
        QCOMPARE(D.result(), int(QDialog::Rejected));
        QVERIFY(!D.isVisible());
    }
};

QTEST_MAIN(TPlacementTest)
#include "test_placement.moc"
