// What the sample device sounds like, and how quickly it speaks:
//
//   sound_tour SAMPLE_FOLDER OUT.raw
//
// Runs the sample device's sound events on the real sound output with the
// sample settings (SAMPLE_FOLDER/ferrotab-sample.in4) and records them with
// SDL's disk driver into OUT.raw (signed 16-bit little-endian stereo, 44.1
// kHz, in real time): three key presses, route setting, a data forward onto
// a stop whose column 90 holds 2 (a synchronous sound), the first
// announcement with its chime, and a one-line announcement without one.
// Then prints:
//   - each sounding stretch of the recording: start, length, peak and RMS
//   - the delay from "送り" to the first speech samples handed to the mixer
//     (they are heard within one more mixing buffer, 23 ms)
//   - the CPU used by the whole process while an announcement is spoken
//
// bench/sound_tour.sh runs it and checks the recording with sox.
#include "options/frmOption.h"
#include "platform/ProgramIdentity.h"
#include "audio/SdlAudio.h"
#include "platform/Seams.h"
#include "route/DataIo.h"
#include "route/FareDataFile.h"
#include "route/mdlOrv_000.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"
#include "sound/EspeakEngine.h"
#include "sound/mdlM_Tape.h"
#include "sound/mdlSndAPI.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The sound output's voice, noting when the first samples of each utterance
// arrive.
class TimedVoice final : public platform::VoiceOutput {
public:
    explicit TimedVoice(platform::VoiceOutput& inner) : inner_(inner) {}
    std::uint64_t begin(int rate) override {
        firstSamples = Clock::time_point{};
        return inner_.begin(rate);
    }
    bool write(std::uint64_t ticket, const std::int16_t* s, std::size_t n) override {
        const bool ok = inner_.write(ticket, s, n);
        if (ok && n > 0 && firstSamples.load() == Clock::time_point{}) firstSamples = Clock::now();
        return ok;
    }
    void finish(std::uint64_t ticket) override { inner_.finish(ticket); }
    void stop() override { inner_.stop(); }
    bool busy() const override { return inner_.busy(); }
    std::atomic<Clock::time_point> firstSamples{};

private:
    platform::VoiceOutput& inner_;
};

void waitWhile(const std::function<bool()>& condition, int limitMs = 30000) {
    QElapsedTimer t;
    t.start();
    while (condition() && t.elapsed() < limitMs) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

void pause(int ms) { waitWhile([] { return true; }, ms); }

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void printStretches(const QString& raw) {
    QFile f(raw);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = f.readAll();
    const auto* samples = reinterpret_cast<const std::int16_t*>(bytes.constData());
    const size_t frames = size_t(bytes.size()) / 4;
    const double rate = audio::SdlAudio::kSampleRate;
    const int threshold = 100; // -50 dBFS
    const size_t gap = size_t(0.15 * rate);
    std::printf("recording: %.2f s\n", double(frames) / rate);
    size_t k = 0;
    while (k < frames) {
        while (k < frames && std::abs(samples[2 * k]) <= threshold) ++k;
        if (k >= frames) break;
        const size_t start = k;
        size_t last = k, quiet = 0;
        double sum = 0;
        int peak = 0;
        for (; k < frames && quiet < gap; ++k) {
            const int v = std::abs(int(samples[2 * k]));
            sum += double(v) * v;
            peak = std::max(peak, v);
            if (v > threshold) {
                last = k;
                quiet = 0;
            } else {
                ++quiet;
            }
        }
        const double length = double(last - start + 1) / rate;
        std::printf("  sound at %6.2f s  length %5.2f s  peak %6.1f dBFS  RMS %6.1f dBFS\n", double(start) / rate,
                    length, 20 * std::log10(peak / 32768.0),
                    10 * std::log10(sum / double(last - start + 1) / (32768.0 * 32768.0)));
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: sound_tour SAMPLE_FOLDER OUT.raw\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString raw = QString::fromLocal8Bit(argv[2]);
    const QString model = QStringLiteral("ferrotab-sample");
    platform::setProgramIdentity({folder, model});

    // The sample settings in the options dialog, the sample route in the fare table.
    QFile in4(mdlIniIo::settingsPath(folder, model));
    if (!in4.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no %s: build the sample first\n", qPrintable(in4.fileName()));
        return 1;
    }
    frmOption options;
    options.SetOptionInfo(settings::decodeSettings(in4.readAll()));
    const auto fares = route::readFareDataFile(folder + QStringLiteral("/1.hy3"));
    DataIo::StoreFareData(std::get<route::FareData>(fares));
    auto& run = mdlOrv_000::state();

    auto* audio = new audio::SdlAudio(audio::SdlAudioOptions{"disk", QFile::encodeName(raw), {}});
    platform::install(std::unique_ptr<platform::Audio>(audio));
    const auto openStart = Clock::now();
    audio->open();
    const double openMs = ms(Clock::now() - openStart);
    TimedVoice voice(*audio);
    sound::installSpeechEngineMaker(
        [&voice]() -> std::unique_ptr<sound::SpeechEngine> { return sound::EspeakEngine::create(std::shared_ptr<platform::VoiceOutput>(std::shared_ptr<void>(), &voice)); });
    QWidget panel;
    QGroupBox group(&panel);
    QPushButton next(&group), back(&group), adjust(&group), stop(&group);
    mdlM_Tape::TapeInit({&panel, &group, &next, &back, &adjust, &stop, [&options] { return options.announceSound(); }});
    const auto recordStart = Clock::now();
    auto at = [&] { return ms(Clock::now() - recordStart) / 1000.0; };
    pause(300);

    std::printf("events (wall clock from the start of the recording):\n");
    for (int k = 0; k < 3; ++k) {
        std::printf("  %5.2f s  key press\n", at());
        mdlSndAPI::PlayKeySound(options.keySounds());
        pause(350);
    }
    std::printf("  %5.2f s  route setting\n", at());
    mdlSndAPI::PlayRouteSetSound(options.keySounds());
    mdlM_Tape::TapeLoad(folder + u'/', QStringLiteral("1"));
    pause(2000);

    // Data forward from 県立桜川病院's previous stop onto it: column 90 holds 2.
    run.CurrentRow = 5;
    std::printf("  %5.2f s  data forward (synchronous sound)\n", at());
    auto t0 = Clock::now();
    mdlSndAPI::PlayAdvanceSound(options.advanceSound(), run.FareTable[size_t(run.CurrentRow)]);
    std::printf("           the fares change %.0f ms later, when the sound has ended\n", ms(Clock::now() - t0));
    pause(600);

    // "送り": the chime, then the welcome announcement.
    std::printf("  %5.2f s  送り (chime, then announcement 1)\n", at());
    t0 = Clock::now();
    const double cpuAtPress = cpuSeconds();
    mdlM_Tape::cmdTapeNext_Click({});
    const double chimeHandler = ms(Clock::now() - t0);
    waitWhile([&] { return voice.firstSamples.load() == Clock::time_point{}; });
    const double withChime = ms(voice.firstSamples.load() - t0);
    const double cpuAtSpeech = cpuSeconds();
    const auto speechStart = Clock::now();
    waitWhile([&] { return voice.busy(); });
    const double speaking = ms(Clock::now() - speechStart);
    const double cpuSpeaking = cpuSeconds() - cpuAtSpeech;
    const double cpuChime = cpuAtSpeech - cpuAtPress;
    pause(500);

    // "送り" again, without a chime: the speech delay alone.
    options.Option2[3]->setChecked(true); // by flag: announcement 2 has flag 0
    std::printf("  %5.2f s  送り (announcement 2, no chime)\n", at());
    t0 = Clock::now();
    mdlM_Tape::cmdTapeNext_Click({});
    const double handlerOnly = ms(Clock::now() - t0);
    waitWhile([&] { return voice.firstSamples.load() == Clock::time_point{}; });
    const double oneLine = ms(voice.firstSamples.load() - t0);
    waitWhile([&] { return voice.busy(); });
    pause(300);

    mdlSndAPI::SndCloseAll();
    mdlM_Tape::TapeRelease();
    platform::install(std::unique_ptr<platform::Audio>()); // closes the device: the recording is complete
    std::printf("\n");
    printStretches(raw);
    std::printf("\n送り to the first speech samples (+ up to 23 ms to the loudspeaker):\n");
    std::printf("  one line, no chime: %.1f ms (the button handler returned after %.2f ms)\n", oneLine, handlerOnly);
    std::printf("  with the sample's synchronous chime: %.0f ms (the handler returned after %.0f ms)\n", withChime,
                chimeHandler);
    std::printf("opening the sound device (once, at the first sound of a run): %.0f ms\n", openMs);
    std::printf("CPU of the whole process, in %% of one core:\n");
    std::printf("  while the chime played (synchronous wait): %.1f %%\n", 100.0 * cpuChime / (withChime / 1000.0));
    std::printf("  while announcement 1 was spoken (%.2f s, synthesis included): %.1f %%\n", speaking / 1000.0,
                100.0 * cpuSpeaking / (speaking / 1000.0));
    std::fflush(nullptr);
    std::_Exit(0);
}
