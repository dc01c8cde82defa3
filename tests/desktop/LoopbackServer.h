// A small HTTP server on the loopback address for the fetch tests.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <string>

// A one-shot HTTP server on 127.0.0.1: Respond answers each request (path
// given) with the raw bytes to send, or empty to say nothing at all.
class TLoopbackServer : public QObject {
public:
    explicit TLoopbackServer(std::function<QByteArray(const QByteArray& Path)> Respond)
        : FRespond(std::move(Respond))
    {
        FServer.listen(QHostAddress::LocalHost);
        connect(&FServer, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* S = FServer.nextPendingConnection()) {
                connect(S, &QTcpSocket::readyRead, S, [this, S] {
                    FBuffer += S->readAll();
                    if (!FBuffer.contains("\r\n\r\n"))
                        return;
                    const QByteArray Path = FBuffer.split(' ').value(1);
                    FBuffer.clear();
                    ++Requests;
                    if (Serve && Serve(S, Path))
                        return;
                    const QByteArray Answer = FRespond(Path);
                    if (!Answer.isEmpty()) {
                        S->write(Answer);
                        S->disconnectFromHost();
                    }
                });
            }
        });
    }
    std::string Url(const char* Path) const
    {
        return "http://127.0.0.1:" + std::to_string(FServer.serverPort()) + Path;
    }
    int Requests = 0;
    // Serves a request itself (true) over the socket, for answers that take
    // their time; otherwise Respond answers.
    std::function<bool(QTcpSocket* Socket, const QByteArray& Path)> Serve;

private:
    QTcpServer FServer;
    QByteArray FBuffer;
    std::function<QByteArray(const QByteArray&)> FRespond;
};

inline QByteArray Http(const char* Status, const QByteArray& Body, const QByteArray& Extra = {})
{
    return QByteArray("HTTP/1.1 ") + Status + "\r\nContent-Length: " + QByteArray::number(Body.size()) +
           "\r\nConnection: close\r\n" + Extra + "\r\n" + Body;
}

