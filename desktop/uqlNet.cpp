#include "desktop/uqlNet.h"

#include "base/qlException.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>

#include <memory>

bool IsURL(const std::string& Text) { return Text.find("://") != std::string::npos; }

namespace {

bool Fetchable(const QUrl& Url)
{
    const QString Scheme = Url.scheme().toLower();
    return Url.isValid() && (Scheme == "http" || Scheme == "https") && !Url.host().isEmpty();
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
    Manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QProgressDialog> Progress;
    if (Limits.ProgressParent) {
        Progress = std::make_unique<QProgressDialog>("Fetching " + Url.toDisplayString(), "Cancel", 0, 0,
                                                     Limits.ProgressParent);
        Progress->setWindowModality(Qt::WindowModal);
        Progress->setMinimumDuration(500);
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
        QObject::connect(Reply, &QNetworkReply::metaDataChanged, &Loop, [&] {
            const QVariant Length = Reply->header(QNetworkRequest::ContentLengthHeader);
            if (Length.isValid() && Length.toLongLong() > Limits.MaxBytes)
                Fail("the answer is larger than the limit");
        });
        QObject::connect(Reply, &QNetworkReply::readyRead, &Loop, [&] {
            Idle.start();
            Data += Reply->readAll();
            if (Data.size() > Limits.MaxBytes)
                Fail("the answer is larger than the limit");
        });
        QObject::connect(Reply, &QNetworkReply::finished, &Loop, &QEventLoop::quit);
        if (Progress)
            QObject::connect(Progress.get(), &QProgressDialog::canceled, &Loop,
                             [&] { Fail("the fetch was cancelled"); });
        Idle.start();
        if (!Reply->isFinished())
            Loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (Error.isEmpty() && Reply->error() == QNetworkReply::NoError)
            Data += Reply->readAll();
        if (Error.isEmpty() && Data.size() > Limits.MaxBytes)
            Error = "the answer is larger than the limit";
        const int Status = Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (Error.isEmpty() && Status >= 300 && Status < 400) {
            const QUrl Target = Url.resolved(Reply->header(QNetworkRequest::LocationHeader).toUrl());
            if (Redirects >= Limits.MaxRedirects)
                Error = "too many redirects";
            else if (!RedirectAllowed(Url, Target))
                Error = Fetchable(Target) ? "a redirect leads from https to http"
                                          : "a redirect leads to an address that cannot be fetched";
            else {
                Url = Target;
                continue;
            }
        }
        if (Error.isEmpty() && Reply->error() != QNetworkReply::NoError && Status == 0)
            Error = Reply->errorString();
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
