#include "platform/dirwatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr uint32_t WatchMask = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                               IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                               IN_ONLYDIR | IN_DONT_FOLLOW;

} // namespace

TzqDirWatcher::TzqDirWatcher(QObject* parent) : QObject(parent) {}

TzqDirWatcher::~TzqDirWatcher()
{
    Stop();
}

void TzqDirWatcher::Stop()
{
    delete FNotifier;
    FNotifier = nullptr;
    if (FFd >= 0)
        close(FFd);
    FFd = -1;
    FDirs.clear();
    FActive = false;
}

bool TzqDirWatcher::ReportsAllChanges(const QString& path)
{
    struct statfs fs;
    if (statfs(QFile::encodeName(path).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE (sshfs and others)
    case 0x73757245: // Coda
    case 0x5346414F: // AFS
    case 0x01021997: // 9P
    case 0x564C:     // NCP
        return false;
    default:
        return true;
    }
}

bool TzqDirWatcher::Watch(const QString& root)
{
    Stop();
    const QMutexLocker lock(&FLock);
    FRoot = root;
    if (!ReportsAllChanges(root))
        return false;
    FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd < 0)
        return false;
    FNotifier = new QSocketNotifier(FFd, QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TzqDirWatcher::ReadEvents);
    FActive = AddTree(root);
    if (!FActive)
        Stop();
    return FActive;
}

bool TzqDirWatcher::AddTree(const QString& dir)
{
    if (FStop && FStop->load(std::memory_order_relaxed))
        return false;
    const QByteArray raw = QFile::encodeName(dir);
    const int wd = inotify_add_watch(FFd, raw.constData(), WatchMask);
    if (wd < 0)
        return errno == ENOENT || errno == ENOTDIR; // gone meanwhile: nothing to watch there
    FDirs.insert(wd, dir);
    DIR* d = opendir(raw.constData());
    if (!d)
        return true;
    QList<QString> below;
    while (dirent* e = readdir(d)) {
        // Hidden folders hold no notes the program shows or searches.
        if (e->d_name[0] == '.')
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir =
                fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir)
            below.append(dir + u'/' + QFile::decodeName(e->d_name));
    }
    closedir(d);
    for (const QString& sub : below) {
        if (!AddTree(sub))
            return false;
    }
    return true;
}

void TzqDirWatcher::ReadEvents()
{
    const QMutexLocker lock(&FLock);
    if (FFd < 0)
        return;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = read(FFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                Q_EMIT Lost();
                continue;
            }
            const QString dir = FDirs.value(e->wd);
            if (dir.isEmpty())
                continue;
            if (e->mask & IN_IGNORED) {
                FDirs.remove(e->wd);
                continue;
            }
            const QString path =
                e->len > 0 && e->name[0] ? dir + u'/' + QFile::decodeName(e->name) : dir;
            // A folder made or moved in: its contents are watched from now on, and what it
            // already holds counts as changed.
            if ((e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && !AddTree(path))
                Q_EMIT Lost();
            Q_EMIT Changed(path);
        }
    }
}
