#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks: fixed answers by path, with a
// delay before the answer, a body that trickles in, or one that never ends. Every answer
// closes its connection. It counts the requests in progress and remembers the order in which
// paths were asked for.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>

class TLocalHttpServer {
public:
    struct TAnswer {
        int Status = 200;
        // Further header lines, each ending in "\r\n".
        QByteArray Headers;
        QByteArray Body;
        // Wait this long before anything is sent.
        int DelayMs = 0;
        // Above 0: the body goes out in pieces of TrickleBytes every TrickleMs.
        int TrickleMs = 0;
        int TrickleBytes = 1;
        // The body repeats without end (and no length is declared).
        bool Endless = false;
        // The declared length; -1: the body's size.
        qint64 ContentLength = -1;
    };

    TLocalHttpServer()
    {
        QObject::connect(&FServer, &QTcpServer::newConnection, &FServer, [this] {
            while (QTcpSocket* socket = FServer.nextPendingConnection())
                Accept(socket);
        });
        if (!FServer.listen(QHostAddress::LocalHost, 0))
            qFatal("the test server cannot listen");
    }

    void Answer(const QByteArray& path, const TAnswer& answer) { FAnswers.insert(path, answer); }
    QUrl Url(const QByteArray& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(FServer.serverPort()) +
                    QString::fromLatin1(path));
    }

    int Requests() const { return int(FOrder.size()); }
    const QList<QByteArray>& Order() const { return FOrder; }
    int Current() const { return FCurrent; }
    int MostAtOnce() const { return FMostAtOnce; }
    // Bytes of bodies written so far.
    qint64 BodyBytesSent() const { return FBodyBytes; }

private:
    struct TConnection {
        QByteArray Request;
        bool Counted = false;
        qint64 Sent = 0;
    };

    void Accept(QTcpSocket* socket)
    {
        auto conn = std::make_shared<TConnection>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, conn] {
            if (conn->Counted)
                return;
            conn->Request += socket->readAll();
            const qsizetype end = conn->Request.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> line =
                conn->Request.left(conn->Request.indexOf("\r\n")).split(' ');
            const QByteArray path = line.size() >= 2 ? line.at(1) : QByteArray("/");
            conn->Counted = true;
            FOrder.append(path);
            FMostAtOnce = std::max(FMostAtOnce, ++FCurrent);
            const TAnswer answer = FAnswers.value(path, TAnswer{404, {}, "no such page", 0});
            QTimer::singleShot(answer.DelayMs, socket,
                               [this, socket, conn, answer] { Respond(socket, conn, answer); });
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket, conn] {
            if (conn->Counted) {
                conn->Counted = false;
                --FCurrent;
            }
            socket->deleteLater();
        });
    }

    void Respond(QTcpSocket* socket, const std::shared_ptr<TConnection>& conn,
                 const TAnswer& answer)
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.Status) + " Answer\r\n" +
                          "Connection: close\r\n" + answer.Headers;
        if (!answer.Endless) {
            const qint64 length =
                answer.ContentLength >= 0 ? answer.ContentLength : answer.Body.size();
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        }
        socket->write(head + "\r\n");
        if (answer.Endless) {
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [this, socket, answer] {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                while (socket->bytesToWrite() < 256 * 1024) {
                    socket->write(answer.Body);
                    FBodyBytes += answer.Body.size();
                }
            });
            timer->start(1);
            return;
        }
        if (answer.TrickleMs <= 0) {
            socket->write(answer.Body);
            FBodyBytes += answer.Body.size();
            socket->disconnectFromHost();
            return;
        }
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket, conn, answer, timer] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            const QByteArray piece = answer.Body.mid(conn->Sent, answer.TrickleBytes);
            conn->Sent += piece.size();
            FBodyBytes += piece.size();
            socket->write(piece);
            if (conn->Sent >= answer.Body.size()) {
                timer->stop();
                socket->disconnectFromHost();
            }
        });
        timer->start(answer.TrickleMs);
    }

    QHash<QByteArray, TAnswer> FAnswers;
    QList<QByteArray> FOrder;
    int FCurrent = 0;
    int FMostAtOnce = 0;
    qint64 FBodyBytes = 0;
    // Last, so its connections go first.
    QTcpServer FServer;
};
