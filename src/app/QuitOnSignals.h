#pragma once
// Ending the program from outside its windows. Ctrl+C in the terminal it was
// started from, `kill`, a closed terminal, and the end of a session that
// reaches the program as SIGTERM all mean "quit": the program runs its
// confirmed quit (the shut-down steps in their order, the settings saved)
// rather than dying with the settings unsaved. A second signal while the
// first is being handled ends the program at once, as the signal would have.
//
// A close of the panel by the window system still asks the quit question, as
// every close does. On Windows a session's end reaches the program as such a
// close, so there is nothing to catch there.

#include <functional>

namespace app {

// From now on SIGINT, SIGTERM and SIGHUP run `quit` on the user-interface
// thread as soon as it handles events (inside a nested loop too).
void quitOnSignals(std::function<void()> quit);

} // namespace app
