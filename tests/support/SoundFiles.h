#pragma once
// Small sound files made on the spot for tests: a sine tone as a WAV file, a
// one-note MIDI file, the same tone as an MP3 (through sox), and a reader of
// the raw samples SDL's disk driver writes.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace testing_sound {

inline void putLe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
}
inline void putBe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.append(char((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit WAV file of a sine tone.
inline QByteArray sineWav(int milliseconds, int frequency = 880, int rate = 22050, double amplitude = 0.5) {
    const int frames = rate * milliseconds / 1000;
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * 32767.0 * std::sin(2.0 * M_PI * frequency * i / rate);
        putLe(data, std::uint32_t(std::int16_t(std::lround(v))) & 0xFFFF, 2);
    }
    QByteArray out("RIFF");
    putLe(out, std::uint32_t(36 + data.size()), 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, 1, 2); // mono
    putLe(out, std::uint32_t(rate), 4);
    putLe(out, std::uint32_t(rate * 2), 4);
    putLe(out, 2, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, std::uint32_t(data.size()), 4);
    return out + data;
}

// A format-0 MIDI file: one piano note (middle A) held for `milliseconds`.
inline QByteArray oneNoteMidi(int milliseconds) {
    constexpr int kDivision = 480;      // ticks per quarter note
    constexpr int kTempo = 500000;      // microseconds per quarter note: 1 tick = 1/960 s
    const int ticks = milliseconds * kDivision * 1000 / kTempo;
    QByteArray track;
    auto varLen = [&track](std::uint32_t v) {
        QByteArray bytes;
        bytes.prepend(char(v & 0x7F));
        while (v >>= 7) bytes.prepend(char((v & 0x7F) | 0x80));
        track += bytes;
    };
    varLen(0);
    track += QByteArray("\xFF\x51\x03", 3);
    putBe(track, kTempo, 3);
    varLen(0);
    track += QByteArray("\xC0\x00", 2);         // program: acoustic grand piano
    varLen(0);
    track += QByteArray("\x90\x45\x70", 3);     // note on
    varLen(std::uint32_t(ticks));
    track += QByteArray("\x80\x45\x40", 3);     // note off
    varLen(0);
    track += QByteArray("\xFF\x2F\x00", 3);     // end of track
    QByteArray out("MThd");
    putBe(out, 6, 4);
    putBe(out, 0, 2);
    putBe(out, 1, 2);
    putBe(out, kDivision, 2);
    out += "MTrk";
    putBe(out, std::uint32_t(track.size()), 4);
    return out + track;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The tone as an MP3 through sox (with its MP3 format, libsox-fmt-mp3);
// false when sox cannot make one.
inline bool makeMp3(const QString& path, int milliseconds, int frequency = 660) {
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty()) return false;
    QProcess p;
    p.start(sox, {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                  QStringLiteral("1"), path, QStringLiteral("synth"), QString::number(milliseconds / 1000.0),
                  QStringLiteral("sine"), QString::number(frequency), QStringLiteral("vol"), QStringLiteral("0.5")});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 &&
           QFile::exists(path);
}

// What SDL's disk driver wrote: signed 16-bit little-endian stereo frames.
struct Recording {
    std::vector<std::int16_t> samples; // interleaved left, right
    int rate = 44100;

    static Recording read(const QString& path) {
        Recording r;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return r;
        const QByteArray bytes = f.readAll();
        r.samples.resize(size_t(bytes.size() / 2));
        for (size_t i = 0; i < r.samples.size(); ++i)
            r.samples[i] = std::int16_t(std::uint8_t(bytes[qsizetype(2 * i)]) |
                                        (std::uint8_t(bytes[qsizetype(2 * i + 1)]) << 8));
        return r;
    }
    // Seconds from the first to the last sample louder than `threshold`; 0
    // when all is quiet.
    double soundingSeconds(int threshold = 1000) const {
        std::ptrdiff_t first = -1, last = -1;
        for (size_t i = 0; i < samples.size(); ++i)
            if (std::abs(samples[i]) > threshold) {
                if (first < 0) first = std::ptrdiff_t(i);
                last = std::ptrdiff_t(i);
            }
        return first < 0 ? 0.0 : double(last - first) / 2.0 / rate;
    }
    double peak() const {
        int p = 0;
        for (std::int16_t s : samples) p = std::max(p, std::abs(int(s)));
        return p / 32768.0;
    }
};

} // namespace testing_sound
