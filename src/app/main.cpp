// Ferrotab: a simulator of a Japanese route bus's fare display and of the
// driver's operation panel that drives it.

#include "Program.h"
#include "ProgramIdentity.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ferrotab"));

    // The device's model is the name the program was started under.
    platform::setProgramIdentity(platform::identityFromArgv0(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString(),
                                                             QCoreApplication::applicationFilePath()));

    // The whole interface is Japanese, Qt's own buttons and choosers included.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    Program program;
    program.start();
    return QApplication::exec();
}
