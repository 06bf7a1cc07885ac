// Ferrotab: a simulator of a Japanese route bus's fare display and of the
// driver's operation panel that drives it.

#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/Startup.h"
#include "remote/ControlService.h"
#include "platform/Console.h"
#include "platform/ControlFile.h"
#include "platform/ProgramIdentity.h"
#include "platform/SettingsPlace.h"
#include "platform/Seams.h"

#include <QApplication>
#include <cstdio>
#include <optional>

namespace {

// The command line, or nothing when it was refused (said on the terminal) or
// only asked for --help or --version (answered).
std::optional<app::CommandLine> readCommandLine(int& exitCode) {
    auto commandLine = app::parseCommandLine(QCoreApplication::arguments());
    if (const auto* why = std::get_if<QString>(&commandLine)) {
        std::fprintf(stderr, "ferrotab: %s\n", why->toLocal8Bit().constData());
        exitCode = 2;
        return std::nullopt;
    }
    exitCode = 0;
    auto* line = std::get_if<app::CommandLine>(&commandLine);
    if (!line || line->helpShown) return std::nullopt;
    return std::move(*line);
}

} // namespace

int main(int argc, char* argv[]) {
    int exitCode = 0;
    // --help and --version need no window system.
    if (app::asksOnlyForText(argc, argv)) {
        const QCoreApplication application(argc, argv);
        app::identifyProgram(argc > 0 ? argv[0] : nullptr);
        readCommandLine(exitCode);
        return exitCode;
    }

    QApplication application(argc, argv);
    app::prepareApplication(application, argc > 0 ? argv[0] : nullptr);
    const auto line = readCommandLine(exitCode);
    if (!line) return exitCode;
    // The sample device, as if started as <sample folder>/ferrotab-sample.
    if (line->sampleFolder) platform::setProgramIdentity({*line->sampleFolder, app::kSampleModel});

    const platform::SettingsPlace place = platform::settingsPlace();
    Program program(place);
    program.fareDataFolderForThisRun = line->fareDataFolder;
    program.broadcastDataFolderForThisRun = line->broadcastDataFolder;
    // A quit from outside the windows is a confirmed quit. One that comes
    // while the program starts (a message box of the start waits on the
    // user) is held until it has started: the windows hold half of the
    // settings until then, and saving them would lose the rest.
    platform::holdQuitRequests();
    program.start();
    // The control interface beside the settings file, <model>.control.json.
    const platform::ProgramIdentity& id = platform::programIdentity();
    remote::ControlService control(program.panel(), program.display(),
                                    platform::control::controlFilePath(place.folder, id.model));
    program.beforeShutDown = [&control] { control.shutDown(); };
    control.start(line->control);
    platform::actOnQuitRequests([&program] { program.shutDown(); });
    if (line->ride) {
        if (const auto refusal = control.ride().command(*line->ride)) {
            std::fprintf(stderr, "ferrotab: %s\n", refusal->message.toLocal8Bit().constData());
            platform::MsgBox(refusal->message, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
        }
    }
    return QApplication::exec();
}
