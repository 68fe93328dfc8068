#include "app/zqinstancelock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

int OpenLockFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int Flock(int fd, int operation)
{
    int rc;
    do
        rc = ::flock(fd, operation);
    while (rc < 0 && errno == EINTR);
    return rc;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Holds the start-up gate while the instance lock is tested and taken.
class TGate {
public:
    explicit TGate(const QString& path) : FFd(OpenLockFile(path))
    {
        if (FFd >= 0 && Flock(FFd, LOCK_EX) != 0)
            CloseFd(FFd);
    }
    ~TGate() { CloseFd(FFd); } // closing drops the lock
    TGate(const TGate&) = delete;
    TGate& operator=(const TGate&) = delete;

private:
    int FFd;
};

} // namespace

TzqInstanceLock::TzqInstanceLock(QString recordDir) : FRecordDir(std::move(recordDir)) {}

TzqInstanceLock::~TzqInstanceLock()
{
    CloseFd(FFd);
}

bool TzqInstanceLock::Acquire()
{
    if (FAcquired)
        return FFirst;
    FAcquired = true;
    FFirst = true;
    if (FRecordDir.isEmpty())
        return FFirst;

    // Without the gate (it cannot be opened) the test below still holds but two simultaneous
    // starts could both come out first.
    const TGate gate(FRecordDir + u"/zqQuillet.gate"_s);
    FFd = OpenLockFile(FRecordDir + u"/zqQuillet.lock"_s);
    if (FFd < 0)
        return FFirst;

    if (Flock(FFd, LOCK_EX | LOCK_NB) == 0) {
        // Nobody else holds it. Keep it shared from now on, so further instances can join;
        // the gate keeps anyone from slipping in while the lock changes kind.
        if (Flock(FFd, LOCK_SH) != 0)
            CloseFd(FFd);
        return FFirst;
    }
    if (errno != EWOULDBLOCK) {
        // Locks are not available on this file system: nothing to tell instances apart.
        CloseFd(FFd);
        return FFirst;
    }
    FFirst = false;
    if (Flock(FFd, LOCK_SH | LOCK_NB) != 0)
        CloseFd(FFd);
    return FFirst;
}
