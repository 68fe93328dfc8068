// A stand-in program for the single-instance tests: runs the start-up sequence of the real
// program and reports each step on its own line of standard output.
//
//   instanceprobe <record dir> <DEX 0|1> [the program's own arguments...]
//
// Prints "first" or "not first"; a later start then "woke the other" or "woke nobody"; then
// "ended" (exit code 0) or "further instance" and, once it can be woken, "running". While it
// runs it prints "woken" for every wake-up call, until standard input ends or reads "quit".
#include "app/mappedhwnd.h"
#include "app/singleinstance.h"
#include "app/zqinstancelock.h"
#include "app/zqinstanceserver.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void Say(const char* line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("usage: instanceprobe <record dir> <DEX 0|1> [arguments...]\n", stderr);
        return 2;
    }
    const QString dir = args.at(1);
    const bool dex = args.at(2) == u"1"_s;
    QStringList programArgs{args.at(0)};
    programArgs += args.mid(3);

    TzqInstanceLock lock(dir);
    const bool first = lock.Acquire();
    Say(first ? "first" : "not first");
    if (!first)
        Say(SignalRunningInstance(dir) ? "woke the other" : "woke nobody");

    const TStartDecision decision = DecideStart(first, dex, programArgs);
    if (decision == TStartDecision::End) {
        Say("ended");
        return 0;
    }
    if (decision == TStartDecision::RunFurther)
        Say("further instance");
    if (IsFurtherInstanceArgument(programArgs))
        Say("offset window");

    TzqInstanceServer server(dir);
    // Like a window coming out of the tray, the wake-up takes a moment; the caller must wait
    // for all of it.
    QObject::connect(&server, &TzqInstanceServer::WakeRequested, &app, [] {
        ::usleep(200 * 1000);
        Say("woken");
    });
    if (!server.Listen()) {
        Say("cannot listen");
        return 1;
    }
    TMappedHwnd(dir).Set(server.ServerName());
    Say("running");

    QByteArray input;
    QSocketNotifier stdinNotifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinNotifier, &QSocketNotifier::activated, &app, [&] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            stdinNotifier.setEnabled(false);
            app.quit();
            return;
        }
        input.append(buf, n);
        qsizetype eol;
        while ((eol = input.indexOf('\n')) >= 0) {
            const QByteArray line = input.left(eol).trimmed();
            input.remove(0, eol + 1);
            if (line == "quit")
                app.quit();
        }
    });
    return app.exec();
}
