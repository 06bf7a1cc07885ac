#include "platform/Console.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

bool standardOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

void holdQuitRequests() {}
void actOnQuitRequests(std::function<void()>) {}

#else

bool standardOutputIsTerminal() {
    return isatty(fileno(stdout)) != 0;
}

namespace {

constexpr std::array<int, 3> kQuitSignals = {SIGINT, SIGTERM, SIGHUP};

// The handler may do next to nothing: it writes the signal into a socket,
// where it waits until the event loop reads it. The write end does not
// block, so a flood of signals cannot hang the handler.
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
    for (int signal : kQuitSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

void holdQuitRequests() {
    if (signalSocket[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSocket) != 0) return;
        ::fcntl(signalSocket[0], F_SETFL, ::fcntl(signalSocket[0], F_GETFL) | O_NONBLOCK);
    }
    handleWith(onSignal);
}

void actOnQuitRequests(std::function<void()> quit) {
    holdQuitRequests();
    if (signalSocket[1] < 0) return;
    // A request that came while they were held is in the socket already:
    // the notifier sees it at the first handling of events.
    auto* notifier =
        new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalSocket[1], &byte, 1);
        notifier->setEnabled(false);
        // Should the quit itself hang, the next signal ends the program.
        handleWith(SIG_DFL);
        if (quit) quit();
    });
}

#endif

} // namespace platform
