#pragma once
// The program's command line: the control interface switched on for this
// run, its port and the address it listens on. Anything else is refused
// with a reason.

#include "control/ControlService.h"

#include <QStringList>
#include <variant>

namespace app {

struct CommandLine {
    control::ControlChoice control;
    bool helpShown = false; // --help or --version answered: nothing more to do
};

// `arguments` as QCoreApplication gives them (the program first). The
// reason for a command line that is not ours.
std::variant<CommandLine, QString> parseCommandLine(const QStringList& arguments);

} // namespace app
