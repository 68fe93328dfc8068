#pragma once

#include <QString>

// The per-user instance lock: it tells a starting process whether another instance of the
// program is running.
//
// Every instance that gets past Acquire() keeps a shared flock on "zqQuillet.lock" in the
// record directory for as long as the object lives, first instance or further one alike. A
// start is the first instance when nobody holds that lock, so the lock outlives the first
// instance while a further one still runs; when the last instance ends (or is killed: the
// kernel drops its locks) the next start is a first instance again. The test-and-take runs
// under a short exclusive lock on "zqQuillet.gate", so two processes starting at the same
// moment cannot both take themselves for the first.
class TzqInstanceLock {
public:
    // recordDir: the per-user directory of the single-instance records (see
    // InstanceRecordDir()); it must exist.
    explicit TzqInstanceLock(QString recordDir);
    ~TzqInstanceLock();

    TzqInstanceLock(const TzqInstanceLock&) = delete;
    TzqInstanceLock& operator=(const TzqInstanceLock&) = delete;

    // True when this process is the first instance. When the lock file cannot be opened or
    // locked at all, the process counts as the first instance. Call once; a second call
    // returns the first answer.
    bool Acquire();

    bool IsHeld() const { return FFd >= 0; }

private:
    QString FRecordDir;
    int FFd = -1;
    bool FAcquired = false;
    bool FFirst = true;
};
