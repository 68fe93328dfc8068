#pragma once

#include <QString>
#include <QStringList>

// Start-up and the single-instance rule.
//
// The order of calls at start-up (the objects live until the process ends):
//   1. const QString dir = InstanceRecordDir();
//   2. TzqInstanceLock lock(dir);  const bool first = lock.Acquire();
//      (keep `lock` alive for the whole run, also in a further instance)
//   3. if (!first) SignalRunningInstance(dir);   // wakes the instance started last
//   4. DecideStart(first, <setting DEX>, arguments); on End, return 0 at once: no window has
//      been created and nothing is shown.
//   5. ... create the main window; IsFurtherInstanceArgument(arguments) tells its placement
//      to move 30 pixels right and down.
//   6. TzqInstanceServer server(dir); connect WakeRequested() to the window's restore/raise;
//      server.Listen();
//   7. TMappedHwnd(dir).Set(server.ServerName()); from now on a start wakes this instance.
//   8. Message loop.

enum class TStartDecision {
    RunFirst,   // the first instance
    RunFurther, // another instance runs, and this one runs beside it
    End,        // another instance runs and was woken; this process ends with exit code 0
};

// The per-user directory of the lock, the record and the wake-up sockets: the user's runtime
// directory, or else "/tmp/zqQuillet-<uid>", created with mode 0700 and used only when it is
// a real directory owned by the user. Empty when neither is usable (the process then counts
// as the first instance and cannot be woken).
QString InstanceRecordDir();

// True when the command line (arguments[0] is the program) holds exactly one argument and it
// is "zqzq", compared with letter case: the request for a further instance, whose window is
// placed 30 pixels right and down of the stored position.
bool IsFurtherInstanceArgument(const QStringList& arguments);

// Whether this process runs: always as the first instance; beside a running one when DEX is
// on or the command line is the further-instance argument; otherwise it ends.
TStartDecision DecideStart(bool firstInstance, bool dex, const QStringList& arguments);

// Wakes the instance the record names: connects to its server, sends one zero byte and waits
// for the answer, which comes after that instance has restored or raised its window. Returns
// whether an answer came; no record, a stale record, a refused connection or a timeout
// (timeoutMs for connecting and again for the answer) just return false.
bool SignalRunningInstance(const QString& recordDir, int timeoutMs = 5000);
