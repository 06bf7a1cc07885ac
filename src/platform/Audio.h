#pragma once
// The sound output, as a seam: the multimedia command strings of the sound
// slots (the stand-in for the classic mciSendString) and the voice the speech
// engine speaks on. The program installs the SDL back end at start
// (audio/SdlAudio.h); until then, and in tests that install nothing, there
// is no audio device: every command fails with an error code and there is no
// voice, so nothing ever sounds by accident. Tests install the recording fake
// of tests/support/FakeAudio.h.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// The largest sound file a slot opens. A chime, a key click or a recorded
// announcement of a few minutes at CD quality fits; the whole file is decoded
// into memory, and a compressed one grows about tenfold there, so a larger
// file (a mistaken choice, a film) is not opened at all.
inline constexpr qint64 kMaxSoundFileBytes = qint64(32) << 20;

// A channel of its own for synthesised speech, mixed over the sound slots so
// an announcement and a chime can sound together. Mono 16-bit samples at the
// rate the utterance names. All members may be called from any thread: the
// speech engine synthesises on a thread of its own.
class VoiceOutput {
public:
    virtual ~VoiceOutput() = default;
    // Starts a new utterance; whatever the voice was saying stops at once.
    // Returns the utterance's ticket (never 0), or 0 when the voice cannot
    // sound at all.
    virtual std::uint64_t begin(int sampleRate) = 0;
    // Appends samples to the utterance. False when the ticket is no longer
    // the current one (stopped, or replaced by a newer utterance): the
    // producer should give up.
    virtual bool write(std::uint64_t ticket, const std::int16_t* samples, std::size_t count) = 0;
    // No more samples will come; the utterance ends when what was written has
    // sounded.
    virtual void finish(std::uint64_t ticket) = 0;
    // Silences the voice at once; every ticket becomes stale.
    virtual void stop() = 0;
    // True from begin until the utterance has sounded to its end or stopped.
    virtual bool busy() const = 0;
};

class Audio {
public:
    virtual ~Audio() = default;
    // Carries out one command string (platform/MciCommand.h); 0 on success,
    // else an error code.
    virtual int sendString(const QString& command) = 0;
    // The speech voice, or null when there is none.
    virtual VoiceOutput* voice() = 0;
};

// The implementation in use, and replacing it (null puts back the silent
// one without a device); returns the one replaced.
Audio& audio();
std::shared_ptr<Audio> install(std::shared_ptr<Audio> impl);
// The installed output's voice, holding a share of that output: the speech
// engine writes from a thread of its own, so an output replaced meanwhile
// lives on until the engine lets go of it. Null when there is no voice.
std::shared_ptr<VoiceOutput> sharedVoice();

// The classic call, under its own name: the command text, nothing returned
// in a buffer, no notification window.
inline int mciSendString(const QString& command) { return audio().sendString(command); }

} // namespace platform
