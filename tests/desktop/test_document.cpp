// The document over a stand-in project, and the fetch of addresses against a
// loopback server.
#include "DesktopTestSupport.h"
#include "LoopbackServer.h"
#include "ProcessMemory.h"
#include "base/qlException.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlNet.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace {

// Records what the document asks of the project.
class TPersistSpy : public TInterfacedObject, public IvxPersist {
public:
    bool LoadFromFile(const std::string& FileName) override
    {
        Calls.push_back("load " + FileName);
        return LoadResult;
    }
    void SaveToFile(const std::string& FileName) override { Calls.push_back("save " + FileName); }
    void New() override { Calls.push_back("new"); }

    std::vector<std::string> Calls;
    bool LoadResult = true;
};

std::string FetchError(const std::string& Url, const THttpGetLimits& Limits = {})
{
    std::string Body;
    try {
        HttpGetText(Url, "", Body, Limits);
    } catch (const Exception& E) {
        return E.what();
    }
    return "fetched: " + Body;
}

}  // namespace

class TDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void EmptyNamesDoNothing()
    {
        Ref<TPersistSpy> Spy(new TPersistSpy);
        TDocument Doc(Spy);
        QCOMPARE(Spy->Calls, std::vector<std::string>{"new"});
        QVERIFY(!Doc.Open());
        Doc.Save();
        Doc.SetModified(true);
        Doc.OpenURL("", "[x]");
        QVERIFY(Doc.GetModified());
        QCOMPARE(Spy->Calls.size(), std::size_t(1));
        QVERIFY(Doc.CanSave());
    }

    void CanSave()
    {
        TTestFolder Folder;
        Ref<TPersistSpy> Spy(new TPersistSpy);
        TDocument Doc(Spy);
        Doc.SetFileName(Folder.Path() + "/none.xml");
        QVERIFY(Doc.CanSave());
        const std::string F = Folder.Write("ro.xml", "[a]\n");
        chmod(F.c_str(), 0444);
        Doc.SetFileName(F);
        QCOMPARE(Doc.CanSave(), access(F.c_str(), W_OK) == 0);
        if (!Doc.CanSave()) {
            QVERIFY_THROWS_EXCEPTION(Exception, Doc.Save());
            QCOMPARE(ReadFile(F), std::string("[a]\n"));
        }
        chmod(F.c_str(), 0644);
        QVERIFY(Doc.CanSave());
    }

    void OpenCopiesOverWorkingFileAndSaveCopiesBack()
    {
        TTestFolder Folder;
        Ref<TPersistSpy> Spy(new TPersistSpy);
        const std::string Work = Folder.Write("projectoptions.ini", "[old]\n");
        TDocument Doc(Spy, Work);
        const std::string A = Folder.Write("a.xml", "\xEF\xBB\xBF; note\n[general]\nx=1\n");
        Doc.SetFileName(A);
        Doc.SetModified(true);
        QVERIFY(Doc.Open());
        QVERIFY(!Doc.GetModified());
        QCOMPARE(ReadFile(Work), ReadFile(A));
        QCOMPARE(Spy->Calls.back(), "load " + A);
        // The project writes the working file; the save copies it out.
        Folder.Write("projectoptions.ini", "[general]\nx=2\n");
        const std::string B = Folder.Path() + "/b.xml";
        Doc.SetFileName(B);
        Doc.Save();
        QCOMPARE(ReadFile(B), std::string("[general]\nx=2\n"));
        // A load the project refuses is an error, never a silent success.
        Spy->LoadResult = false;
        Doc.SetFileName(A);
        QVERIFY_THROWS_EXCEPTION(Exception, Doc.Open());
    }

    void ProjectTextChecks()
    {
        const struct {
            std::string Text;
            bool Good;
        } Cases[] = {
            {"[general]\n", true},
            {"\r\n  \n; comment\n[a]\n", true},
            {"\xEF\xBB\xBF[a]\n", true},
            {"", false},
            {"key=value\n[a]\n", false},
            {std::string("[a]\n\0", 5), false},
            {"[unclosed\n", false},
        };
        for (const auto& C : Cases)
            QVERIFY2(TDocument::CheckProjectText(C.Text).empty() == C.Good, C.Text.c_str());
    }

    void IsURL()
    {
        for (const char* Yes : {"http://x", "ftp://a/b", "x://", "abc://def", "see http://a in text"})
            QVERIFY2(::IsURL(Yes), Yes);
        for (const char* No : {"", "http:/x", "c:\\dir\\file.xml", "/usr/file", "a:/b"})
            QVERIFY2(!::IsURL(No), No);
    }

    void FetchGood()
    {
        TLoopbackServer Server([](const QByteArray& Path) { return Http("200 OK", "[general]\n" + Path); });
        std::string Body;
        HttpGetText(Server.Url("/p.xml"), "", Body);
        QCOMPARE(Body, std::string("[general]\n/p.xml"));
        HttpGetText(Server.Url("/p.xml"), "a=1", Body);
        QCOMPARE(Body, std::string("[general]\n/p.xml?a=1"));
    }

    // Redirects, relative and absolute, lead to the project.
    void FetchFollowsRedirects()
    {
        std::string Self;
        TLoopbackServer Server([&](const QByteArray& Path) -> QByteArray {
            if (Path == "/ok")
                return Http("200 OK", "[general]\r\nfiletoanalyze=x.dpr\r\n");
            if (Path == "/relative")
                return Http("302 Found", "", "Location: /ok\r\n");
            if (Path == "/sub/dotted")
                return Http("301 Moved Permanently", "", "Location: ../ok\r\n");
            if (Path == "/absolute")
                return Http("302 Found", "", "Location: " + QByteArray::fromStdString(Self) + "\r\n");
            return Http("404 Not Found", "");
        });
        Self = Server.Url("/relative");
        for (const char* Start : {"/relative", "/sub/dotted", "/absolute"}) {
            std::string Body;
            HttpGetText(Server.Url(Start), "", Body);
            QCOMPARE(Body, std::string("[general]\r\nfiletoanalyze=x.dpr\r\n"));
        }
    }

    // A server that streams an endless body as fast as it is taken: each
    // fetch stops at the limit with its message, the server is hung up on
    // soon after, and the memory the fetches hold stays bounded.
    void EndlessAnswerStopsAtTheLimit()
    {
        TEndlessServer Server;
        THttpGetLimits Limits;  // the program's own limit of 16 MiB
        Limits.DeadlineMs = 20000;
        const long Start = qlResidentKb();
        const bool Peak = qlResetPeakResident();
        for (int Round = 0; Round < 3; ++Round) {
            const long long SentBefore = Server.Sent();
            QElapsedTimer T;
            T.start();
            const std::string Error = FetchError(Server.Url("/endless"), Limits);
            QVERIFY2(Error.find("larger than the limit") != std::string::npos, Error.c_str());
            QVERIFY2(T.elapsed() < 15000, Error.c_str());
            // Beyond the limit only what the socket buffers and the read
            // buffer hold was taken from the server.
            const long long Taken = Server.Sent() - SentBefore;
            QVERIFY2(Taken < Limits.MaxBytes + (32 << 20), std::to_string(Taken).c_str());
        }
        const long Rise = qlPeakResidentKb() - Start;
        qInfo("peak resident memory above the start: %ld KiB", Rise);
        if (qlMemoryMeasurable && Peak)
            QVERIFY2(Rise < 100 * 1024, std::to_string(Rise).c_str());
    }

    // The whole fetch has one deadline: redirect hops that each answer in
    // good time but together take longer end it, the clock does not start
    // again at each hop.
    void DeadlineCountsAcrossRedirects()
    {
        TLoopbackServer Server([](const QByteArray&) { return Http("404 Not Found", ""); });
        Server.Serve = [](QTcpSocket* S, const QByteArray& Path) {
            const int Hop = Path.startsWith("/hop") ? Path.mid(4).toInt() : -1;
            if (Hop < 0)
                return false;
            const QByteArray Answer = Hop >= 6 ? Http("200 OK", "[general]\r\n")
                                               : Http("302 Found", "", "Location: /hop" + QByteArray::number(Hop + 1) + "\r\n");
            QTimer::singleShot(400, S, [S, Answer] {
                S->write(Answer);
                S->disconnectFromHost();
            });
            return true;
        };
        THttpGetLimits Limits;
        Limits.TimeoutMs = 1000;
        Limits.DeadlineMs = 1500;
        Limits.MaxRedirects = 10;
        QElapsedTimer T;
        T.start();
        const std::string Error = FetchError(Server.Url("/hop0"), Limits);
        QVERIFY2(Error.find("took longer than allowed") != std::string::npos, Error.c_str());
        // Without the one deadline all six hops would answer (2.4 s) and the
        // fetch succeed; the bound leaves room for a loaded machine.
        QVERIFY2(T.elapsed() < 5000, std::to_string(T.elapsed()).c_str());
        // Each hop alone is well inside the deadline.
        Limits.DeadlineMs = 30000;
        QCOMPARE(FetchError(Server.Url("/hop0"), Limits), std::string("fetched: [general]\r\n"));
    }

    // Cancel in the progress dialog ends a fetch that would wait long.
    void CancelWhileWaiting()
    {
        QWidget Parent;
        Parent.show();
        TLoopbackServer Server([](const QByteArray&) { return QByteArray(); });
        THttpGetLimits Limits;
        Limits.TimeoutMs = 20000;
        Limits.ProgressParent = &Parent;
        bool Clicked = false;
        QTimer Poll;
        QObject::connect(&Poll, &QTimer::timeout, [&] {
            auto* Dialog = Parent.findChild<QProgressDialog*>();
            auto* Button = Dialog && Dialog->isVisible() ? Dialog->findChild<QPushButton*>() : nullptr;
            if (!Button || Clicked)
                return;
            Clicked = true;
            QTest::mouseClick(Button, Qt::LeftButton);
        });
        Poll.start(50);
        QElapsedTimer T;
        T.start();
        const std::string Error = FetchError(Server.Url("/wait"), Limits);
        QVERIFY(Clicked);
        QVERIFY2(Error.find("cancelled") != std::string::npos, Error.c_str());
        QVERIFY(T.elapsed() < 10000);
    }

    // The progress dialog shows within its minimum duration, and a click
    // that reaches its window, as a click under X does, presses Cancel.
    void CancelClickThroughTheWindow()
    {
        QWidget Parent;
        Parent.resize(500, 400);
        Parent.show();
        TLoopbackServer Server([](const QByteArray&) { return QByteArray(); });
        THttpGetLimits Limits;
        Limits.TimeoutMs = 6000;
        Limits.ProgressParent = &Parent;
        QElapsedTimer T;
        qint64 ShownAfter = -1;
        QTimer Poll;
        QObject::connect(&Poll, &QTimer::timeout, [&] {
            auto* Dialog = Parent.findChild<QProgressDialog*>();
            auto* Button = Dialog && Dialog->isVisible() ? Dialog->findChild<QPushButton*>() : nullptr;
            if (!Button || ShownAfter >= 0 || !Dialog->windowHandle())
                return;
            ShownAfter = T.elapsed();
            QTest::mouseClick(Dialog->windowHandle(), Qt::LeftButton, {},
                              Button->mapTo(Dialog, Button->rect().center()));
        });
        Poll.start(20);
        T.start();
        const std::string Error = FetchError(Server.Url("/wait"), Limits);
        // Qt's own 4 s before a dialog shows would fail this; the rest of the
        // bound is room for a loaded machine.
        QVERIFY2(ShownAfter >= 0 && ShownAfter < 3500, std::to_string(ShownAfter).c_str());
        QVERIFY2(Error.find("cancelled") != std::string::npos, Error.c_str());
    }

    void FetchFailures()
    {
        int Hops = 0;
        // 64 MiB of zeros packed into a few kilobytes (a zlib stream).
        const QByteArray Bomb = qCompress(QByteArray(64 << 20, '\0'), 9).mid(4);
        TLoopbackServer Server([&](const QByteArray& Path) -> QByteArray {
            if (Path == "/404")
                return Http("404 Not Found", "gone");
            if (Path == "/hang")
                return {};
            if (Path == "/big")
                return Http("200 OK", QByteArray(2000, 'x'));
            if (Path == "/chunked")
                return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + QByteArray(5000, 'y');
            if (Path == "/loop")
                return ++Hops, Http("302 Found", "", "Location: /loop\r\n");
            if (Path == "/ftp")
                return Http("302 Found", "", "Location: ftp://127.0.0.1/x\r\n");
            if (Path == "/garbage")
                return "\x01\x02 this is not http\r\n\r\n";
            if (Path == "/short")
                return "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nabcd";
            if (Path == "/bomb")
                return Http("200 OK", Bomb, "Content-Encoding: deflate\r\n");
            if (Path == "/nowhere")
                return Http("302 Found", "");
            if (Path == "/badgzip")
                return Http("200 OK", "[general]\r\nthis is no gzip stream at all\r\n", "Content-Encoding: gzip\r\n");
            return Http("500 Internal Server Error", "");
        });
        // One byte just inside every idle timeout, for ever.
        Server.Serve = [](QTcpSocket* S, const QByteArray& Path) {
            if (Path != "/trickle")
                return false;
            S->write("HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n");
            auto* Drip = new QTimer(S);
            QObject::connect(Drip, &QTimer::timeout, S, [S] { S->write("x"); });
            Drip->start(100);
            return true;
        };
        THttpGetLimits Small;
        Small.MaxBytes = 1000;
        Small.TimeoutMs = 300;
        Small.DeadlineMs = 1500;
        const struct {
            const char* Path;
            const char* Expected;
        } Cases[] = {
            {"/404", "404"},
            {"/hang", "did not answer in time"},
            {"/big", "larger than the limit"},
            {"/chunked", "larger than the limit"},
            {"/loop", "too many redirects"},
            {"/ftp", "cannot be fetched"},
            {"/garbage", "Cannot fetch"},
            {"/500", "500"},
            {"/short", "closed"},
            {"/badgzip", "ecompress"},
            {"/bomb", "Decompression failed: the answer unpacks to many times its packed size"},
            {"/nowhere", "answered 302 Found without naming an address to go to"},
            {"/trickle", "took longer than allowed"},
        };
        for (const auto& C : Cases) {
            QElapsedTimer T;
            T.start();
            const std::string Error = FetchError(Server.Url(C.Path), Small);
            QVERIFY2(Error.find("Cannot fetch") == 0 && Error.find(C.Expected) != std::string::npos,
                     (std::string(C.Path) + ": " + Error).c_str());
            QVERIFY2(T.elapsed() < 5000, C.Path);
        }
        QCOMPARE(Hops, Small.MaxRedirects + 1);
        const struct {
            const char* From;
            const char* To;
            bool Allowed;
        } Redirects[] = {
            {"http://a/x", "http://b/y", true},
            {"http://a/x", "https://b/y", true},
            {"https://a/x", "https://b/y", true},
            {"https://a/x", "http://a/x", false},
            {"HTTPS://a/x", "Http://a/x", false},
            {"http://a/x", "ftp://a/x", false},
            {"http://a/x", "file:///etc/passwd", false},
        };
        for (const auto& R : Redirects)
            QVERIFY2(RedirectAllowed(QUrl(R.From), QUrl(R.To)) == R.Allowed, R.To);
        QCOMPARE(FetchError("file:///etc/passwd"), std::string("Only http and https addresses can be opened."));
        QCOMPARE(FetchError("ftp://127.0.0.1/x"), std::string("Only http and https addresses can be opened."));
    }
};

QTEST_MAIN(TDocumentTest)
#include "test_document.moc"
