#include "app/TerminationWatcher.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tarnwick {

#ifdef Q_OS_UNIX
namespace {
int g_signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe.
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}
} // namespace
#endif

void TerminationWatcher::CatchSignals() {
#ifdef Q_OS_UNIX
    if (g_signalPipe[0] >= 0) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    ::fcntl(g_signalPipe[0], F_SETFL, O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
#endif
}

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
#ifdef Q_OS_UNIX
    CatchSignals();
    if (g_signalPipe[1] < 0) return;
    notifier_ = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        [[maybe_unused]] const auto got = ::read(g_signalPipe[1], buffer, sizeof buffer);
        emit terminationRequested();
    });
#endif
}

TerminationWatcher::~TerminationWatcher() {
#ifdef Q_OS_UNIX
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
#endif
}

} // namespace tarnwick
