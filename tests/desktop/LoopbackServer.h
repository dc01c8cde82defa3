// A small HTTP server on the loopback address for the fetch tests.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

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


// A server on 127.0.0.1 that answers every request on a thread of its own
// with a chunked body that never ends, as fast as the client takes it. It
// stops sending when the client goes, after MaxBytes or after MaxSeconds,
// whichever comes first, and for good when it is destroyed.
class TEndlessServer {
public:
    explicit TEndlessServer(long long MaxBytes = 1LL << 30, int MaxSeconds = 30)
        : FMaxBytes(MaxBytes), FMaxSeconds(MaxSeconds)
    {
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in A{};
        A.sin_family = AF_INET;
        A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t Len = sizeof A;
        if (FListen < 0 || ::bind(FListen, reinterpret_cast<sockaddr*>(&A), sizeof A) != 0 ||
            ::listen(FListen, 4) != 0 || ::getsockname(FListen, reinterpret_cast<sockaddr*>(&A), &Len) != 0)
            return;
        FPort = ntohs(A.sin_port);
        FThread = std::thread([this] { Run(); });
    }
    ~TEndlessServer()
    {
        FStop = true;
        if (FListen >= 0)
            ::shutdown(FListen, SHUT_RDWR);
        if (FThread.joinable())
            FThread.join();
        if (FListen >= 0)
            ::close(FListen);
    }
    TEndlessServer(const TEndlessServer&) = delete;
    TEndlessServer& operator=(const TEndlessServer&) = delete;

    std::string Url(const char* Path) const
    {
        return "http://127.0.0.1:" + std::to_string(FPort) + Path;
    }
    // Bytes of chunks sent so far, over all requests.
    long long Sent() const { return FSent; }

private:
    void Run()
    {
        const auto End = std::chrono::steady_clock::now() + std::chrono::seconds(FMaxSeconds);
        std::string Chunk = "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
        while (!FStop && std::chrono::steady_clock::now() < End) {
            pollfd P{FListen, POLLIN, 0};
            if (::poll(&P, 1, 100) <= 0)
                continue;
            const int S = ::accept4(FListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (S < 0)
                continue;
            std::string Request;
            char Buf[4096];
            while (Request.find("\r\n\r\n") == std::string::npos) {
                pollfd R{S, POLLIN, 0};
                if (::poll(&R, 1, 2000) <= 0)
                    break;
                const ssize_t N = ::recv(S, Buf, sizeof Buf, 0);
                if (N <= 0)
                    break;
                Request.append(Buf, static_cast<size_t>(N));
            }
            // Sends wait at most a moment, so a stop is seen.
            timeval Wait{0, 100000};
            ::setsockopt(S, SOL_SOCKET, SO_SNDTIMEO, &Wait, sizeof Wait);
            const std::string Head =
                "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n";
            bool Open = Send(S, Head, End);
            while (Open && FSent < FMaxBytes) {
                Open = Send(S, Chunk, End);
                if (Open)
                    FSent += static_cast<long long>(Chunk.size());
            }
            ::close(S);
        }
    }

    // The whole of Data, or false once the client went or the time is up.
    bool Send(int S, const std::string& Data, std::chrono::steady_clock::time_point End)
    {
        size_t Done = 0;
        while (Done < Data.size()) {
            if (FStop || std::chrono::steady_clock::now() >= End)
                return false;
            const ssize_t N = ::send(S, Data.data() + Done, Data.size() - Done, MSG_NOSIGNAL);
            if (N > 0)
                Done += static_cast<size_t>(N);
            else if (N < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return false;
        }
        return true;
    }

    long long FMaxBytes;
    int FMaxSeconds;
    int FListen = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<long long> FSent{0};
    std::thread FThread;
};
