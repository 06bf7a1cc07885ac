#include "app/Startup.h"

#include "platform/ProgramIdentity.h"
#include "audio/SdlAudio.h"
#include "platform_ui/QtSeams.h"
#include "sound/EspeakEngine.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

void identifyProgram(const char* argv0) {
    // The device's model is the name the program was started under.
    platform::setProgramIdentity(platform::identityFromArgv0(argv0 ? QString::fromLocal8Bit(argv0) : QString(),
                                                             QCoreApplication::applicationFilePath()));
}

void prepareApplication(QApplication& application, const char* argv0) {
    QApplication::setApplicationName(QStringLiteral("Ferrotab"));

    identifyProgram(argv0);

    // The whole interface is Japanese, Qt's own buttons and choosers included.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    auto* qtTranslator = new QTranslator(&application);
    if (qtTranslator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTranslator);

    platform_ui::installQtMessageBoxes();

    // The sound slots and the announcements' voice on the sound card (or,
    // without one, on SDL's silent dummy device); the speech engine speaks
    // on that voice. The device opens at the first sound.
    platform::install(std::make_unique<audio::SdlAudio>());
    sound::installEspeakEngine();
}

} // namespace app
