#pragma once

#include <QString>

#include <chrono>

// Keeps other processes, and other threads with a lock of their own, from changing a file
// while this one reads it, changes it and writes it back: an exclusive advisory lock (flock)
// on "<file>.lock" beside the file, held from construction to destruction.
//
// Only writers that take the lock wait for it; readers need none as long as writers replace
// the file by renaming. The lock file is created when missing, as any new file is (0666 less
// the umask), and is left in place: removing it would let a waiter lock the removed file while
// a newcomer locks a new one. The kernel drops the lock of a process that dies.
class TzqFileLock {
public:
    // Waits while another holder keeps the lock, for as long as that holder goes on changing
    // the file (a writer at work) but at most `limit` in all; a holder that leaves the file
    // alone for `idle` is taken for stuck. Afterwards the lock is not held when the lock file
    // cannot be opened or created, the file system has no locks, or the wait ran out.
    TzqFileLock(const QString& fileName, std::chrono::milliseconds idle,
                std::chrono::milliseconds limit);
    ~TzqFileLock();

    TzqFileLock(const TzqFileLock&) = delete;
    TzqFileLock& operator=(const TzqFileLock&) = delete;

    bool IsHeld() const { return FFd >= 0; }

    static QString LockFileName(const QString& fileName);

private:
    int FFd = -1;
};
