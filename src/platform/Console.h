#pragma once
// The process as seen from the terminal and the session it runs in: whether
// its output goes to a terminal, and the requests to quit that reach it from
// outside its windows.
//
// Ctrl+C in the terminal the program was started from (SIGINT), `kill` and
// the end of a session (SIGTERM), and a closed terminal (SIGHUP) all mean
// "quit": the program runs its confirmed quit (the shut-down steps in their
// order, the settings saved) rather than dying with the settings unsaved.
// On Windows a session's end reaches the program as a close of its windows,
// which asks the quit question as every close does; there is nothing to
// catch there.

#include <functional>

namespace platform {

// True when the standard output is a terminal (not a file or a pipe).
bool standardOutputIsTerminal();

// From now on a quit request no longer ends the process: it is held, and
// nothing at all is done with it until actOnQuitRequests. The program holds
// them while it starts, when half of its settings are in the windows.
void holdQuitRequests();

// From now on a quit request, one held before included, runs `quit` on the
// calling (user-interface) thread as soon as that handles events, inside a
// nested event loop too. A second request while the first is handled ends
// the process at once, as the signal would have. Needs the application
// object.
void actOnQuitRequests(std::function<void()> quit);

} // namespace platform
