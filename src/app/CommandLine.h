#pragma once
// The program's command line: the control interface switched on for this
// run, its port and the address it listens on, a ride by the timetable to
// start, the sample device, and data folders for this run. Anything else is
// refused with a reason.

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
    // --sample: the sample device (model "ferrotab-sample") in this folder,
    // the installed one or the build's.
    std::optional<QString> sampleFolder;
    // --fare-data, --broadcast-data: data folders for this run only.
    std::optional<QString> fareDataFolder;
    std::optional<QString> broadcastDataFolder;
};

// The sample device's model.
inline const QString kSampleModel = QStringLiteral("ferrotab-sample");

// True when the command line asks only for --help or --version, answered
// without a window system (from a terminal without a display, by a package's
// check, by help2man).
bool asksOnlyForText(int argc, const char* const* argv);

// `arguments` as QCoreApplication gives them (the program first). The
// reason for a command line that is not ours.
std::variant<CommandLine, QString> parseCommandLine(const QStringList& arguments);

} // namespace app
