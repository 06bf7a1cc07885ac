// The timetable ride at length, with the real program (offscreen) in this
// process: SDL's output (set SDL_AUDIODRIVER=dummy for a silent one that
// keeps real time), the real speech engine, and the real waits.
//
//   build/bench/ride_soak [STOPS]     (default 10,000)
//     rides a route of 300 stops (every tenth name long enough to scroll)
//     with an announcement before every stop, a chime before it and the
//     route-setting chime, at a speed where the legs take a millisecond and
//     the announcements set the pace, looping at the terminal, until STOPS
//     stop changes; prints the time, the stop changes a second, and resident
//     memory after the first 100 and at the end. Run under a sanitizer build
//     to look for leaks: it ends the way a program ends, so the leak checker
//     has its say.
//   build/bench/ride_soak --cpu SECONDS
//     rides the sample route at real speed for SECONDS and prints the share
//     of one core the process used: the time between stops, when only the
//     stop name scrolls and the ride waits.
#include "app/Program.h"
#include "app/Startup.h"
#include "remote/ControlService.h"
#include "panel/frmCtl.h"
#include "platform/ControlFile.h"
#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"
#include "route/FareDataFile.h"
#include "route/TapeData.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"
#include "ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A short chime: 16-bit mono PCM at 22,050 Hz.
QByteArray chime(int ms) {
    const int samples = 22050 * ms / 1000;
    QByteArray wav(44 + 2 * samples, '\0');
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, wav.data() + at); };
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, wav.data() + at); };
    std::memcpy(wav.data(), "RIFF", 4);
    put32(4, quint32(36 + 2 * samples));
    std::memcpy(wav.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, 22050);
    put32(28, 44100);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(wav.data() + 36, "data", 4);
    put32(40, quint32(2 * samples));
    for (int i = 0; i < samples; ++i)
        put16(44 + 2 * i, quint16(qint16(6000 * std::sin(2 * M_PI * 880 * i / 22050.0))));
    return wav;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

// Route 9: 300 stops, an announcement before each that moves the bus on.
void writeSoakRoute(const QString& folder) {
    route::FareData fares;
    QByteArray tape;
    for (int n = 1; n <= 300; ++n) {
        route::FareRecord rec;
        const QString name = n % 10 == 0 ? QStringLiteral("中央病院前駅北口%1").arg(n) : QStringLiteral("停%1").arg(n);
        rec.NameBytes = cp932::encode(name);
        rec.TicketNo = std::int16_t(n);
        rec.Cols.fill(-1);
        for (int c = 0; c < n && c < 84; ++c) rec.Cols[size_t(c)] = std::int16_t(170 + 10 * (n - c));
        fares.Rows.push_back(rec);
        if (n > 1) tape += cp932::encode(QStringLiteral("あ")) + ",1,0\r\n";
    }
    (void)route::writeFareDataFile(folder + QStringLiteral("/9.hy3"), fares);
    write(folder + QStringLiteral("/9tp.csv"), tape);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    app::prepareApplication(application, argv[0]);
    const bool cpu = argc > 2 && QByteArray(argv[1]) == "--cpu";
    const long target = cpu ? 0 : (argc > 1 ? std::atol(argv[1]) : 10000);
    const double cpuWindow = cpu ? std::atof(argv[2]) : 0;

    QTemporaryDir home;
    platform::setProgramIdentity({home.path(), QStringLiteral("ride-soak")});
    settings::SettingsRecord r = settings::SettingsRecord::initial(QDate::currentDate());
    const QString sample = QStringLiteral(FERROTAB_BUILD_DIR "/data/sample/");
    r.FareDataDir = r.BroadcastDataDir = cpu ? sample : home.path();
    // The chimes play alongside (asynchronously): the voice sets the pace.
    write(home.filePath(QStringLiteral("chime.wav")), chime(150));
    r.SoundRouteSetFile = r.AnnounceSoundFile = home.filePath(QStringLiteral("chime.wav"));
    r.AnnounceSoundAlways = -1;
    r.AnnounceSoundByFlag = 0;
    r.AnnounceSoundSync = 0;
    r.AnnounceSoundAsync = -1;
    write(mdlIniIo::settingsPath(), settings::encodeSettings(r));
    if (!cpu) writeSoakRoute(home.path());

    Program program;
    program.endProcess = [] {};
    program.start();
    remote::ControlService control(program.panel(), program.display(),
                                    platform::control::controlFilePath(home.path(), QStringLiteral("ride-soak")));
    long stops = 0, residentAt100 = 0;
    QElapsedTimer clock;
    QObject::connect(&program.panel(), &frmCtl::stopShown, [&] {
        if (++stops == 100) residentAt100 = residentKiB();
        if (target > 0 && stops % 1000 == 0)
            std::fprintf(stderr, "%ld stop changes, %.0f s, resident %.1f MB\n", stops, double(clock.elapsed()) / 1000.0,
                         double(residentKiB()) / 1024.0);
        // exit, not quit: quit would close the panel, which asks the quit
        // question.
        if (target > 0 && stops >= target) QApplication::exit(0);
    });

    ride::Ride::Options options;
    options.route = cpu ? QStringLiteral("1") : QStringLiteral("9");
    // The soak at real speed without time between stops: every announcement
    // plays, and the bus goes on as each one ends.
    options.pace = {1.0, 30.0, cpu ? 1.0 : 0.0};
    options.loop = true;
    if (const auto refused = control.ride().start(options)) {
        std::fprintf(stderr, "ride_soak: %s\n", qPrintable(refused->message));
        return 1;
    }
    clock.start();
    double cpuAtStart = 0;
    if (cpu) {
        // From the first stop on: the lamp test and the route setting are
        // not "between stops".
        QTimer::singleShot(5000, [&] {
            cpuAtStart = cpuSeconds();
            clock.restart();
            QTimer::singleShot(int(cpuWindow * 1000), &application, [] { QApplication::exit(0); });
        });
    }
    QApplication::exec();
    const double seconds = double(clock.elapsed()) / 1000.0;
    if (cpu) {
        std::printf("riding the sample route at real speed for %.0f s: %d stop changes, %.2f %% of one core\n",
                    seconds, int(stops), 100.0 * (cpuSeconds() - cpuAtStart) / seconds);
    } else {
        const long residentAtEnd = residentKiB();
        std::printf("%ld stop changes in %.0f s (%.1f a second)\n", stops, seconds, double(stops) / seconds);
        std::printf("resident memory after 100: %.1f MB, at the end: %.1f MB (%+.1f MB)\n", residentAt100 / 1024.0,
                    residentAtEnd / 1024.0, (residentAtEnd - residentAt100) / 1024.0);
    }
    control.ride().stop();
    return 0;
}
