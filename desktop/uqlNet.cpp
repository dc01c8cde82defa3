#include "desktop/uqlNet.h"

#include "base/qlException.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <memory>

bool IsURL(const std::string& Text) { return Text.find("://") != std::string::npos; }

namespace {

// What Qt's network layer may buffer of an answer before it is read.
constexpr qint64 ReadBufferSize = 256 * 1024;

bool Fetchable(const QUrl& Url)
{
    const QString Scheme = Url.scheme().toLower();
    return Url.isValid() && (Scheme == "http" || Scheme == "https") && !Url.host().isEmpty();
}

// Swallows user input meant for any window but one (none: every window)
// while it lives; the allowed widget gets its input whether it comes to the
// widget or to its window.
class TInputOnlyTo : public QObject {
public:
    explicit TInputOnlyTo(QWidget* Allowed) : FAllowed(Allowed) { QCoreApplication::instance()->installEventFilter(this); }
    ~TInputOnlyTo() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu: {
            auto* Widget = qobject_cast<QWidget*>(Watched);
            if (Widget && FAllowed && (Widget == FAllowed || FAllowed->isAncestorOf(Widget)))
                return false;
            auto* Window = qobject_cast<QWindow*>(Watched);
            // Input from the window system reaches the allowed widget's own
            // window first, which hands it on to the widget under it.
            if (Window && FAllowed && Window == FAllowed->window()->windowHandle())
                return false;
            return Widget != nullptr || Window != nullptr;
        }
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> FAllowed;
};

// The network layer's text for the reply's error. Where Qt gives no reason
// after its colon, what is known is said instead: a packed answer whose
// unpacked size is out of all proportion to it is refused that way.
QString ReplyError(const QNetworkReply& Reply)
{
    QString Text = Reply.errorString().trimmed();
    if (!Text.endsWith(':'))
        return Text;
    if (Text.startsWith("Decompression failed"))
        return Text + " the answer unpacks to many times its packed size, which is not unpacked";
    return Text + " no reason given (network error " + QString::number(int(Reply.error())) + ")";
}

}  // namespace

bool RedirectAllowed(const QUrl& From, const QUrl& To)
{
    return Fetchable(To) && !(From.scheme().toLower() == "https" && To.scheme().toLower() == "http");
}

void HttpGetText(const std::string& Address, const std::string& Query, std::string& Body,
                 const THttpGetLimits& Limits)
{
    std::string Full = Address;
    if (!Query.empty())
        Full += "?" + Query;
    QUrl Url(QString::fromUtf8(Full), QUrl::StrictMode);
    if (!Fetchable(Url))
        throw Exception("Only http and https addresses can be opened.");

    QNetworkAccessManager Manager;
    // The whole fetch, redirects included, ends by the deadline however
    // slowly the server trickles its bytes.
    QElapsedTimer Elapsed;
    Elapsed.start();
    Manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QProgressDialog> Progress;
    if (Limits.ProgressParent) {
        Progress = std::make_unique<QProgressDialog>("Fetching " + Url.toDisplayString(), "Cancel", 0, 0,
                                                     Limits.ProgressParent);
        Progress->setWindowModality(Qt::WindowModal);
        Progress->setMinimumDuration(500);
        // Only a value at the minimum starts the minimum duration; without
        // one the dialog shows after Qt's default of four seconds.
        Progress->setValue(0);
    }

    for (int Redirects = 0;; ++Redirects) {
        QNetworkRequest Request(Url);
        Request.setTransferTimeout(Limits.TimeoutMs);
        QNetworkReply* Reply = Manager.get(Request);
        std::unique_ptr<QNetworkReply> Owner(Reply);
        QByteArray Data;
        QString Error;
        QEventLoop Loop;
        QTimer Idle;
        Idle.setSingleShot(true);
        Idle.setInterval(Limits.TimeoutMs);
        auto Fail = [&](const QString& Why) {
            if (Error.isEmpty())
                Error = Why;
            Reply->abort();
            Loop.quit();
        };
        QObject::connect(&Idle, &QTimer::timeout, &Loop, [&] { Fail("the server did not answer in time"); });
        QTimer Deadline;
        Deadline.setSingleShot(true);
        Deadline.setInterval(static_cast<int>(std::max<qint64>(0, Limits.DeadlineMs - Elapsed.elapsed())));
        QObject::connect(&Deadline, &QTimer::timeout, &Loop, [&] { Fail("the fetch took longer than allowed"); });
        QObject::connect(Reply, &QNetworkReply::metaDataChanged, &Loop, [&] {
            const QVariant Length = Reply->header(QNetworkRequest::ContentLengthHeader);
            if (Length.isValid() && Length.toLongLong() > Limits.MaxBytes)
                Fail("the answer is larger than the limit");
        });
        // Qt's network layer holds at most this much of the answer for us;
        // without a bound it reads on at the server's pace, however far
        // past the limit, while the answer waits to be read here.
        Reply->setReadBufferSize(ReadBufferSize);
        QObject::connect(Reply, &QNetworkReply::downloadProgress, &Loop, [&](qint64 Received, qint64 Total) {
            if (Received > Limits.MaxBytes || Total > Limits.MaxBytes)
                Fail("the answer is larger than the limit");
        });
        QObject::connect(Reply, &QNetworkReply::readyRead, &Loop, [&] {
            Idle.start();
            Data += Reply->read(std::max<qint64>(0, Limits.MaxBytes + 1 - Data.size()));
            if (Data.size() > Limits.MaxBytes)
                Fail("the answer is larger than the limit");
        });
        QObject::connect(Reply, &QNetworkReply::finished, &Loop, &QEventLoop::quit);
        if (Progress)
            QObject::connect(Progress.get(), &QProgressDialog::canceled, &Loop,
                             [&] { Fail("the fetch was cancelled"); });
        Idle.start();
        Deadline.start();
        if (!Reply->isFinished()) {
            // The progress dialog's Cancel must get its click; every other
            // window gets no input meanwhile.
            TInputOnlyTo Filter(Progress.get());
            Loop.exec();
        }
        if (Error.isEmpty() && Reply->error() == QNetworkReply::NoError)
            Data += Reply->readAll();
        if (Error.isEmpty() && Data.size() > Limits.MaxBytes)
            Error = "the answer is larger than the limit";
        const int Status = Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (Error.isEmpty() && Status >= 300 && Status < 400) {
            // A relative Location ("/ok") is resolved against this request.
            const QByteArray Location = Reply->rawHeader("Location").trimmed();
            const QUrl Target = Url.resolved(QUrl::fromEncoded(Location));
            if (Location.isEmpty())
                Error = QString("the server answered %1 %2 without naming an address to go to")
                            .arg(Status)
                            .arg(Reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
            else if (Redirects >= Limits.MaxRedirects)
                Error = "too many redirects";
            else if (!RedirectAllowed(Url, Target))
                Error = Fetchable(Target) ? "a redirect leads from https to http"
                                          : "a redirect leads to an address that cannot be fetched";
            else {
                Url = Target;
                continue;
            }
        }
        if (Error.isEmpty() && Status >= 200 && Status <= 299 && Reply->error() != QNetworkReply::NoError)
            Error = ReplyError(*Reply);  // a body cut short, a failed decompression...
        if (Error.isEmpty() && Status == 0)
            Error = ReplyError(*Reply);
        if (Error.isEmpty() && (Status < 200 || Status > 299))
            Error = QString("the server answered %1 %2")
                        .arg(Status)
                        .arg(Reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
        if (!Error.isEmpty())
            throw Exception("Cannot fetch " + Full + ": " + Error.toStdString());
        Body.assign(Data.constData(), static_cast<std::size_t>(Data.size()));
        return;
    }
}
