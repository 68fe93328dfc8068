#pragma once

#include <QString>

// The shared record "zqQuilletMap" in the per-user record directory: the wake-up address (the
// local server name) of the main window of the instance started last. Every instance writes
// its own as soon as its window listens; nobody clears it, so it goes stale when that instance
// ends while an older one still runs. The last writer wins.
class TMappedHwnd {
public:
    explicit TMappedHwnd(QString recordDir);

    // The recorded server name, or empty when there is none (no record, unreadable, or not a
    // plausible name).
    QString Get() const;

    // Records a server name. The file is replaced atomically, so a reader never sees half a
    // name. Returns false when it could not be written (the record then stays as it was).
    bool Set(const QString& serverName);

    QString FileName() const;

private:
    QString FRecordDir;
};
