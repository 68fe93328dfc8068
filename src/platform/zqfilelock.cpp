#include "platform/zqfilelock.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

// What changes whenever a writer replaces the file (a new inode) or rewrites it in place.
struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    timespec Changed{};

    bool operator==(const TFileStamp& other) const
    {
        return Exists == other.Exists && Device == other.Device && Inode == other.Inode &&
               Size == other.Size && Modified.tv_sec == other.Modified.tv_sec &&
               Modified.tv_nsec == other.Modified.tv_nsec &&
               Changed.tv_sec == other.Changed.tv_sec && Changed.tv_nsec == other.Changed.tv_nsec;
    }
};

TFileStamp StampOf(const QByteArray& name)
{
    TFileStamp stamp;
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return stamp;
    stamp.Exists = true;
    stamp.Device = st.st_dev;
    stamp.Inode = st.st_ino;
    stamp.Size = st.st_size;
    stamp.Modified = st.st_mtim;
    stamp.Changed = st.st_ctim;
    return stamp;
}

int OpenLockFile(const QByteArray& name)
{
    // flock needs no write access, so a lock file another user created still serves.
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

TzqFileLock::TzqFileLock(const QString& fileName, std::chrono::milliseconds idle,
                         std::chrono::milliseconds limit)
{
    const int fd = OpenLockFile(QFile::encodeName(LockFileName(fileName)));
    if (fd < 0)
        return;

    const QByteArray watched = QFile::encodeName(fileName);
    const QDeadlineTimer end(limit);
    QDeadlineTimer stuck(idle);
    TFileStamp stamp = StampOf(watched);
    // flock cannot wait with a time-out, so the lock is tried again and again, soon at first:
    // the holder of a settings write keeps it for a few milliseconds.
    auto pause = 1ms;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            FFd = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            break; // no locks on this file system
        const TFileStamp now = StampOf(watched);
        if (!(now == stamp)) {
            stamp = now;
            stuck.setRemainingTime(idle);
        }
        if (end.hasExpired() || stuck.hasExpired())
            break;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
    }
    ::close(fd);
}

TzqFileLock::~TzqFileLock()
{
    // Closing the only descriptor of the lock file drops the lock.
    if (FFd >= 0)
        ::close(FFd);
}

QString TzqFileLock::LockFileName(const QString& fileName)
{
    return fileName + u".lock"_s;
}
