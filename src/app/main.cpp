// Ferrotab: a simulator of a Japanese route bus's fare display and of the
// driver's operation panel that drives it.

#include "app/Program.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::prepareApplication(application, argc > 0 ? argv[0] : nullptr);

    Program program;
    program.start();
    return QApplication::exec();
}
