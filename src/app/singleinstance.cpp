#include "app/singleinstance.h"

#include "app/mappedhwnd.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A directory of our own: created 0700 when missing; refused when it is a link, not a
// directory, or belongs to someone else (anyone may create names in /tmp).
bool EnsurePrivateDir(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(name.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

QString InstanceRecordDir()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && EnsurePrivateDir(runtime))
        return runtime;
    const QString fallback = u"/tmp/zqQuillet-%1"_s.arg(::getuid());
    if (EnsurePrivateDir(fallback))
        return fallback;
    return {};
}

bool IsFurtherInstanceArgument(const QStringList& arguments)
{
    return arguments.size() == 2 && arguments.at(1) == u"zqzq"_s;
}

TStartDecision DecideStart(bool firstInstance, bool dex, const QStringList& arguments)
{
    if (firstInstance)
        return TStartDecision::RunFirst;
    if (dex || IsFurtherInstanceArgument(arguments))
        return TStartDecision::RunFurther;
    return TStartDecision::End;
}

bool SignalRunningInstance(const QString& recordDir, int timeoutMs)
{
    const QString name = TMappedHwnd(recordDir).Get();
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const char wake = 0;
    if (socket.write(&wake, 1) != 1)
        return false;
    socket.flush();
    // The answer's value is not examined; that it came is what matters.
    const QDeadlineTimer deadline(timeoutMs);
    while (socket.bytesAvailable() < 1) {
        if (socket.state() != QLocalSocket::ConnectedState || deadline.hasExpired())
            return false;
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    return socket.bytesAvailable() >= 1;
}
