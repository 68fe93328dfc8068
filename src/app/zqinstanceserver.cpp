#include "app/zqinstanceserver.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/un.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString LocalName()
{
    return u"zqQuillet-%1-%2"_s.arg(::getuid()).arg(::getpid());
}

} // namespace

TzqInstanceServer::TzqInstanceServer(QString recordDir, QObject* parent)
    : QObject(parent), FRecordDir(std::move(recordDir)), FServer(new QLocalServer(this))
{
    // Only our own user may wake us; the record directory is private as well.
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = FServer->nextPendingConnection())
            ServeConnection(socket);
    });
}

TzqInstanceServer::~TzqInstanceServer()
{
    FServer->close(); // removes the socket file
}

bool TzqInstanceServer::Listen()
{
    if (FServer->isListening())
        return true;
    QString name = LocalName();
    if (!FRecordDir.isEmpty()) {
        // Inside the private record directory when the path fits a socket address; otherwise
        // the plain name, which the local server places in the temporary directory.
        const QString path = QDir(FRecordDir).absoluteFilePath(name);
        if (QFile::encodeName(path).size() < qsizetype(sizeof(sockaddr_un::sun_path)))
            name = path;
    }
    QLocalServer::removeServer(name);
    return FServer->listen(name);
}

bool TzqInstanceServer::IsListening() const
{
    return FServer->isListening();
}

QString TzqInstanceServer::ServerName() const
{
    return FServer->fullServerName();
}

void TzqInstanceServer::ServeConnection(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this,
            [this, socket] { ConnectionReadyRead(socket); });
    // A caller that never sends its byte must not keep a connection open for ever.
    QTimer::singleShot(IdleConnectionTimeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    if (socket->bytesAvailable() > 0)
        ConnectionReadyRead(socket);
}

void TzqInstanceServer::ConnectionReadyRead(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < 1)
        return;
    // One call, one wake-up: whatever else arrives on this connection is ignored.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->readAll();

    const QPointer<QLocalSocket> guard(socket);
    Q_EMIT WakeRequested();
    if (!guard || socket->state() != QLocalSocket::ConnectedState)
        return;
    const char answer = 1;
    socket->write(&answer, 1);
    socket->flush();
    socket->disconnectFromServer(); // waits for the answer to be written
}
