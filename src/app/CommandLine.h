#pragma once
// The program's command line: the control interface switched on for this
// run, its port and the address it listens on, and a ride by the timetable
// to start. Anything else is refused with a reason.

#include "remote/ControlService.h"

#include <QStringList>
#include <optional>
#include <variant>

namespace app {

struct CommandLine {
    remote::ControlChoice control;
    // A ride by the timetable to start once the program is up: the "ride"
    // command with its checked arguments.
    std::optional<protocol::CommandCall> ride;
    bool helpShown = false; // --help or --version answered: nothing more to do
};

// --help and --version answered before any window system is asked for, so
// they work where no display can be opened (a server, a login over ssh):
// when `argv` asks for one of them, prints the answer and returns the exit
// code. Called before the application object exists.
std::optional<int> answerWithoutWindows(int& argc, char* argv[]);

// `arguments` as QCoreApplication gives them (the program first). The
// reason for a command line that is not ours.
std::variant<CommandLine, QString> parseCommandLine(const QStringList& arguments);

} // namespace app
