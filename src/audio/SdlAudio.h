#pragma once
// The sound output on SDL2_mixer: the multimedia command interpreter of the
// sound slots and the speech voice, mixed into one audio device.
//
// Each alias opened by "open" is one mixer channel holding one decoded sound
// (WAV, MP3 and MIDI all decode into memory; MIDI through FluidSynth with a
// General MIDI soundfont). "play ... wait" returns when the channel has
// fallen silent; "close" halts the channel and frees the sound. The speech
// voice streams on top of the channels, so a chime never cuts an
// announcement short.
//
// The device is opened at the first command or utterance. Without a sound
// card (a headless machine) SDL's dummy driver takes its place, which keeps
// the timing of a real device (a "wait" still lasts as long as the sound)
// without making a noise. SDL's own variables (SDL_AUDIODRIVER=disk with
// SDL_DISKAUDIOFILE) are honoured, which records what the program plays.
//
// One instance at a time: SDL's mixer belongs to the whole process. A second
// instance opened while the first is open has no device.

#include "platform/Audio.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <mutex>

namespace audio {

struct SdlAudioOptions {
    // SDL audio driver ("disk", "dummy", "pulseaudio", ...); empty: SDL's
    // choice, falling back to "dummy" when it cannot open a device.
    QByteArray driver;
    // The device to open; for the disk driver, the file the samples go to
    // (signed 16-bit little-endian stereo at kSampleRate). Empty: the default.
    QByteArray device;
    // General MIDI soundfont for MIDI files; empty: the system's.
    QString soundFont;
};

class SdlAudio final : public platform::Audio, public platform::VoiceOutput {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    explicit SdlAudio(SdlAudioOptions options = {});
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // ---- Audio ----
    int sendString(const QString& command) override;
    VoiceOutput* voice() override { return this; }

    // ---- VoiceOutput ----
    std::uint64_t begin(int sampleRate) override;
    bool write(std::uint64_t ticket, const std::int16_t* samples, std::size_t count) override;
    void finish(std::uint64_t ticket) override;
    void stop() override;
    bool busy() const override;

    // Opens the device now rather than at the first sound. True when a device
    // (perhaps the dummy one) is open.
    bool open();
    // The driver in use ("pulseaudio", "alsa", "dummy", "disk"), empty while
    // no device is open.
    QString driverName() const;

private:
    struct Voice;
    struct Slot {
        void* chunk = nullptr; // Mix_Chunk
        int channel = -1;
    };

    int openSlot(const QString& alias, const QString& path, int type);
    int play(const QString& alias, bool wait);
    int stopSlot(const QString& alias);
    int closeSlot(const QString& alias);
    int freeChannel();
    void closeDevice();
    static void mixVoice(void* self, unsigned char* stream, int length);

    SdlAudioOptions options_;
    bool tried_ = false;
    bool open_ = false;
    bool ownsMixer_ = false;
    QString driver_;
    QHash<QString, Slot> slots_; // by alias, lower case
    int allocatedChannels_ = 0;

    mutable std::mutex voiceMutex_; // guards voice_, taken by the mixing thread
    std::unique_ptr<Voice> voice_;
};

} // namespace audio
