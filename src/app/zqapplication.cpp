#include "app/zqapplication.h"

#include "app/zqprjinfo.h"
#include "platform/zqerror.h"

#include <QMessageBox>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
int SignalPipe[2] = {-1, -1};

#ifdef Q_OS_UNIX
void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(SignalPipe[1], &byte, 1);
}
#endif
} // namespace

TzqApplication::TzqApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TzqApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EzqError& e) {
        QMessageBox::critical(activeWindow(), TzqPrjInfo::TitleText(), e.Message());
    } catch (const std::exception& e) {
        qWarning("zqQuillet: %s", e.what());
    } catch (...) {
        qWarning("zqQuillet: unknown error while handling an event");
    }
    return true;
}

void TzqApplication::CloseOnTerminationSignals()
{
#ifdef Q_OS_UNIX
    if (SignalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [] {
        char byte;
        [[maybe_unused]] const auto got = ::read(SignalPipe[0], &byte, 1);
        closeAllWindows();
        quit();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
#endif
}
