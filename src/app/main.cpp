// Ferrotab: a simulator of a Japanese route bus's fare display and of the
// driver's operation panel that drives it.

#include "app/Program.h"
#include "app/QuitOnSignals.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::prepareApplication(application, argc > 0 ? argv[0] : nullptr);

    Program program;
    // A quit from outside the windows is a confirmed quit; one that comes
    // while the program starts runs once it has started.
    app::quitOnSignals([&program] { program.shutDown(); });
    program.start();
    return QApplication::exec();
}
