// The document over a stand-in project, and the fetch of addresses against a
// loopback server.
#include "DesktopTestSupport.h"
#include "LoopbackServer.h"
#include "base/qlException.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlNet.h"

#include <QElapsedTimer>
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

    void FetchFailures()
    {
        int Hops = 0;
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
            return Http("500 Internal Server Error", "");
        });
        THttpGetLimits Small;
        Small.MaxBytes = 1000;
        Small.TimeoutMs = 300;
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
