// Makes the sample device's sounds and settings in a folder:
//
//   make_sample_device FOLDER MODEL [NAMED]
//
// The settings name the files in NAMED, by default FOLDER itself: an
// installed sample names the folder it is installed in.
//
// The sounds are synthesised here, note by note: a bell-like tone is a few
// harmonics of a pitch, each dying away at its own rate.
//
//   route_set.wav   two-note chime on route setting ("ピンポーン")
//   key_click.wav   a short click for the keypad keys and digit lists
//   advance_1.wav   one soft chime at the next stop      (fare column 90 = 1)
//   advance_2.wav   two chimes: a stop to look out for    (column 90 = 2)
//   advance_3.wav   three rising chimes: a change point   (column 90 = 3)
//   announce.wav    rising three-note chime before an announcement
//   announce_2.wav  two-note chime (announcement flag 2)
//   announce_3.wav  a longer falling phrase for the terminus (flag 3)
//
// The settings file <MODEL>.in4 is the factory settings with the data
// folders and these sounds filled in (absolute paths, so the device finds
// them from any current folder), the data forward/back sound chosen by fare
// column 90 and played to its end before the fares change, and the
// pre-broadcast chime before every announcement, and the plain sample ticket
// plug-in (plugins/sakuragawa_plain.4SP, copied there by the build) drawing
// the ticket preview.

#include "platform/Files.h"
#include "platform/Twips.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsRecord.h"
#include "settings/mdlIniIo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100; // the mixer's own rate: played without resampling

struct Note {
    double start;     // seconds
    double frequency; // Hz
    double decay;     // seconds for the fundamental to fall to 1/e
    double level = 1.0;
};

// A bell-like note: the fundamental and two harmonics, the higher ones dying
// sooner, with a 4 ms attack so it does not click.
void addNote(std::vector<double>& out, const Note& n) {
    const struct {
        double ratio, level, decayFactor;
    } partials[] = {{1.0, 1.0, 1.0}, {2.0, 0.35, 0.5}, {3.0, 0.12, 0.3}};
    const size_t first = size_t(n.start * kRate);
    for (size_t i = first; i < out.size(); ++i) {
        const double t = double(i - first) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        double v = 0;
        for (const auto& p : partials)
            v += p.level * std::exp(-t / (n.decay * p.decayFactor)) * std::sin(2 * M_PI * n.frequency * p.ratio * t);
        out[i] += n.level * attack * v;
    }
}

QByteArray wav(const std::vector<double>& signal, double peak) {
    double loudest = 1e-9;
    for (double v : signal) loudest = std::max(loudest, std::abs(v));
    QByteArray data;
    for (double v : signal) {
        const auto s = std::int16_t(std::lround(v / loudest * peak * 32767.0));
        data.append(char(s & 0xFF)).append(char((s >> 8) & 0xFF));
    }
    auto le = [](std::uint32_t v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xFF));
        return b;
    };
    return "RIFF" + le(std::uint32_t(36 + data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(kRate, 4) + le(kRate * 2, 4) + le(2, 2) + le(16, 2) + "data" + le(std::uint32_t(data.size()), 4) + data;
}

QByteArray chime(double seconds, const std::vector<Note>& notes, double peak = 0.7) {
    std::vector<double> signal(size_t(seconds * kRate));
    for (const Note& n : notes) addNote(signal, n);
    // The last 30 ms fade out, so the file never ends on a step.
    const size_t fade = kRate * 30 / 1000;
    for (size_t k = 0; k < fade && k < signal.size(); ++k) signal[signal.size() - 1 - k] *= double(k) / fade;
    return wav(signal, peak);
}

// Note frequencies (equal temperament, A4 = 440 Hz).
double pitch(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }
constexpr int C5 = 3, E5 = 7, F5 = 8, G5 = 10, A5 = 12, C6 = 15, E6 = 19;

QByteArray keyClick() {
    // A very short, high, fast-dying tick.
    std::vector<double> signal(size_t(kRate * 0.04));
    for (size_t i = 0; i < signal.size(); ++i) {
        const double t = double(i) / kRate;
        signal[i] = std::exp(-t / 0.006) * std::sin(2 * M_PI * 2200 * t) * std::min(1.0, t / 0.0005);
    }
    return wav(signal, 0.5);
}

bool write(const QString& path, const QByteArray& bytes) {
    if (const auto failure = platform::replaceFile(path, bytes)) {
        std::fprintf(stderr, "make_sample_device: %s: %s\n", qPrintable(path), qPrintable(failure->reason));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_sample_device FOLDER MODEL [NAMED]\n");
        return 2;
    }
    const QDir folder(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
    const QString model = QString::fromLocal8Bit(argv[2]);
    const QDir named = argc == 4 ? QDir(QString::fromLocal8Bit(argv[3])) : folder;
    auto path = [&folder](const char* name) { return folder.filePath(QString::fromLatin1(name)); };
    auto namedPath = [&named](const char* name) { return named.filePath(QString::fromLatin1(name)); };

    const struct {
        const char* name;
        QByteArray bytes;
    } sounds[] = {
        {"route_set.wav", chime(1.6, {{0.0, pitch(A5), 0.45}, {0.42, pitch(F5), 0.6}})},
        {"key_click.wav", keyClick()},
        {"advance_1.wav", chime(0.9, {{0.0, pitch(C6), 0.3}})},
        {"advance_2.wav", chime(1.0, {{0.0, pitch(C6), 0.25}, {0.3, pitch(C6), 0.3}})},
        {"advance_3.wav", chime(1.2, {{0.0, pitch(C5), 0.25}, {0.22, pitch(E5), 0.25}, {0.44, pitch(G5), 0.35}})},
        {"announce.wav", chime(1.5, {{0.0, pitch(C5), 0.35}, {0.28, pitch(E5), 0.35}, {0.56, pitch(G5), 0.5}})},
        {"announce_2.wav", chime(1.2, {{0.0, pitch(G5), 0.35}, {0.35, pitch(C6), 0.5}})},
        {"announce_3.wav",
         chime(2.2, {{0.0, pitch(E6), 0.3}, {0.3, pitch(C6), 0.3}, {0.6, pitch(G5), 0.3}, {0.9, pitch(C6), 0.7}})},
    };
    for (const auto& s : sounds)
        if (!write(path(s.name), s.bytes)) return 1;

    settings::SettingsRecord r = settings::SettingsRecord::initial(QDate::currentDate());
    const QString data = named.absolutePath() + u'/';
    r.FareDataDir = data;
    r.BroadcastDataDir = data;
    r.SoundRouteSetFile = namedPath("route_set.wav");
    r.SoundResetFile = namedPath("key_click.wav");
    // Data forward / back: the sound chosen by fare column 90, heard to its
    // end before the fares change.
    r.AdvanceSoundAlways = 0;
    r.AdvanceSoundByColumn = -1;
    r.AdvanceSoundSync = -1;
    r.AdvanceSoundAsync = 0;
    r.AdvanceSoundColumn = 89;
    r.AdvanceSoundFile = namedPath("advance_1.wav");
    r.AdvanceSoundFile1 = namedPath("advance_1.wav");
    r.AdvanceSoundFile2 = namedPath("advance_2.wav");
    r.AdvanceSoundFile3 = namedPath("advance_3.wav");
    // Before every announcement the chime, and the voice after it.
    r.AnnounceSoundAlways = -1;
    r.AnnounceSoundByFlag = 0;
    r.AnnounceSoundSync = -1;
    r.AnnounceSoundAsync = 0;
    r.AnnounceSoundFile = namedPath("announce.wav");
    r.AnnounceSoundFile1 = namedPath("announce.wav");
    r.AnnounceSoundFile2 = namedPath("announce_2.wav");
    r.AnnounceSoundFile3 = namedPath("announce_3.wav");
    // The ticket preview on, with the plain sample ticket; ">>" opens its pane.
    r.TicketPreviewOn = 1;
    r.TicketPluginFile = namedPath("plugins/sakuragawa_plain.4SP");
    // No saved place for either window: a place off every screen, so both
    // open where a first start puts them (the display top-left, the panel
    // bottom-right) until the device is closed and saves where they are.
    const std::int32_t nowhere = platform::pixelsToTwips(-100000);
    r.DisplayLeft = r.DisplayTop = nowhere;
    r.CtlLeft = r.CtlTop = nowhere;

    return write(mdlIniIo::settingsPath(folder.absolutePath(), model), settings::encodeSettings(r)) ? 0 : 1;
}
