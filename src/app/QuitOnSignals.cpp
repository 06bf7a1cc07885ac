#include "app/QuitOnSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <array>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app {

#ifdef Q_OS_UNIX

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// The handler may do next to nothing: it hands the signal to the event loop
// through a socket.
int signalSocket[2] = {-1, -1};

void onSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(signalSocket[0], &byte, 1);
}

void handleWith(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

} // namespace

void quitOnSignals(std::function<void()> quit) {
    if (signalSocket[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalSocket[1], &byte, 1);
        notifier->setEnabled(false);
        // Should the quit itself hang, the next signal ends the program.
        handleWith(SIG_DFL);
        if (quit) quit();
    });
    handleWith(onSignal);
}

#else

void quitOnSignals(std::function<void()>) {}

#endif

} // namespace app
