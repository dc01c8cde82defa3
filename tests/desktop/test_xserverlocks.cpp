// The tests that start an X server hold the resource lock "xserver", so
// ctest never starts two at once.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

class TXServerLocksTest : public QObject {
    Q_OBJECT
private slots:
    void EveryXServerTestHoldsTheLock()
    {
        QProcess Ctest;
        Ctest.start(QUILLET_CTEST, {"--show-only=json-v1", "--test-dir", QUILLET_BINARY_DIR});
        QVERIFY(Ctest.waitForFinished(60000));
        QCOMPARE(Ctest.exitCode(), 0);
        const QJsonArray Tests = QJsonDocument::fromJson(Ctest.readAllStandardOutput())["tests"].toArray();
        QVERIFY(!Tests.isEmpty());
        int Starting = 0;
        for (const QJsonValue& Test : Tests) {
            QStringList Command;
            for (const QJsonValue& Word : Test["command"].toArray())
                Command << Word.toString();
            const QString Line = Command.join(' ');
            if (!Line.contains("xvfb-run") && !Line.contains("run_screenshots.sh"))
                continue;
            ++Starting;
            QStringList Locks;
            for (const QJsonValue& Property : Test["properties"].toArray())
                if (Property["name"] == "RESOURCE_LOCK")
                    for (const QJsonValue& Lock : Property["value"].toArray())
                        Locks << Lock.toString();
            QVERIFY2(Locks.contains("xserver"), qPrintable(Test["name"].toString()));
        }
        QVERIFY(Starting >= 5);
    }
};

QTEST_MAIN(TXServerLocksTest)
#include "test_xserverlocks.moc"
