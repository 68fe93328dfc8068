#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The receiving side of the wake-up call. Each instance listens on a local server of its own,
// named per user and per process, in the record directory. A caller connects and sends one
// byte (a zero byte; its value is not examined); the server emits WakeRequested() and, once
// the slots have returned, answers one byte 1 and closes the connection. The main window
// connects WakeRequested() and restores or raises itself in the slot, so the caller's wait
// ends only after the window has come to the front.
class TzqInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit TzqInstanceServer(QString recordDir, QObject* parent = nullptr);
    ~TzqInstanceServer() override;

    // Starts listening; a stale socket of the same name (left by a killed process with the
    // same id) is removed first. False when the server cannot listen: the instance then
    // cannot be woken.
    bool Listen();
    bool IsListening() const;

    // The full server name, what TMappedHwnd::Set records. Valid once Listen() succeeded.
    QString ServerName() const;

    // A connection that sends nothing is dropped after this long (milliseconds).
    static constexpr int IdleConnectionTimeout = 10000;

Q_SIGNALS:
    void WakeRequested();

private:
    void ServeConnection(QLocalSocket* socket);
    void ConnectionReadyRead(QLocalSocket* socket);

    QString FRecordDir;
    QLocalServer* FServer;
};
