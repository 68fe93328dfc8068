#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

class QSocketNotifier;

// Tells which files below a folder were written, made, renamed or removed, by any program: one
// kernel watch (inotify) per folder, folders made later watched as they come. Where the kernel
// cannot tell (no inotify, too many folders, a network file system, where other computers'
// changes are never reported) it is not Active, and whoever relies on it must look for
// themselves.
class TzqDirWatcher : public QObject {
    Q_OBJECT

public:
    explicit TzqDirWatcher(QObject* parent = nullptr);
    ~TzqDirWatcher() override;

    // Watches root and every folder below it (links to folders are not followed). False, and
    // not Active, when the changes below root cannot all be told.
    bool Watch(const QString& root);
    // Watch gives up (false) as soon as stop is set: a store of many folders takes a while.
    void SetStopFlag(const std::atomic<bool>* stop) { FStop = stop; }
    void Stop();
    bool Active() const { return FActive; }

    // Whether the file system of path reports the changes other computers make (false for
    // network file systems).
    static bool ReportsAllChanges(const QString& path);
    // Takes in what the kernel has told so far (it is taken in from the event loop anyway). May
    // be called from any thread; the signals come in the calling thread.
    void ReadEvents();

Q_SIGNALS:
    // A file or folder at path changed, appeared or went (a folder: everything below it).
    void Changed(const QString& path);
    // Changes were lost (the kernel's queue overflowed, a watch could not be added): everything
    // below the root may have changed.
    void Lost();

private:
    bool AddTree(const QString& dir);

    QMutex FLock; // the descriptor's events and the folders, read from more than one thread
    int FFd = -1;
    const std::atomic<bool>* FStop = nullptr;
    QSocketNotifier* FNotifier = nullptr;
    QHash<int, QString> FDirs; // watch descriptor -> folder
    QString FRoot;
    bool FActive = false;
};
