#include "audio/SdlAudio.h"

#include "platform/Files.h"
#include "platform/MciCommand.h"

#include <QFile>
#include <QFileInfo>
#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <atomic>

namespace audio {

namespace mci = platform::mci;

namespace {

// Frames per mixing round: about 23 ms at 44.1 kHz, short enough that a key
// click follows the key and a stopped announcement falls silent at once.
constexpr int kChunkFrames = 1024;

// Debian's small General MIDI soundfont (timgm6mb-soundfont).
constexpr const char* kSystemSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// SDL's mixer is one per process.
std::atomic<bool> mixerInUse{false};

bool isMidi(const QByteArray& bytes) {
    return bytes.startsWith("MThd") || (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "RMID");
}

// Whether a file's first bytes suit the device it is opened as: the wave
// device takes only RIFF WAVE files and the sequencer only MIDI files, as the
// classic drivers do; the general media device takes whatever decodes.
bool fitsDevice(const QByteArray& bytes, mci::DeviceType type) {
    switch (type) {
    case mci::DeviceType::WaveAudio: return bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE";
    case mci::DeviceType::Sequencer: return isMidi(bytes);
    case mci::DeviceType::MpegVideo: return true;
    }
    return false;
}

Mix_Chunk* chunkOf(void* p) { return static_cast<Mix_Chunk*>(p); }

// How long a synchronous play may wait beyond the sound's own length.
constexpr Uint64 kWaitGraceMs = 1000;

// A decoded sound's length: chunks hold the device's own sample format.
Uint64 lengthMs(const Mix_Chunk* chunk) {
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (!chunk || Mix_QuerySpec(&rate, &format, &channels) == 0 || rate <= 0 || channels <= 0) return 0;
    const Uint64 frameBytes = Uint64(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
    return frameBytes == 0 ? 0 : Uint64(chunk->alen) * 1000 / (frameBytes * Uint64(rate));
}

// The mixer renders a MIDI file with FluidSynth at its default gain of 0.2,
// a fifth of what the same file gets when played as music at full volume;
// a sequencer is not meant to sound five times softer than a wave file.
// Brought up to unity gain, saturating rather than wrapping.
void raiseMidiLevel(Mix_Chunk& chunk) {
    constexpr int kGain = 5;
    auto* samples = reinterpret_cast<Sint16*>(chunk.abuf);
    const size_t count = chunk.alen / sizeof(Sint16);
    for (size_t i = 0; i < count; ++i) samples[i] = Sint16(std::clamp(int(samples[i]) * kGain, -32768, 32767));
}

} // namespace

struct SdlAudio::Voice {
    std::uint64_t lastTicket = 0;
    std::uint64_t ticket = 0; // the utterance sounding or being written; 0: none
    SDL_AudioStream* stream = nullptr;
    bool finished = false;

    void drop() {
        if (stream) SDL_FreeAudioStream(stream);
        stream = nullptr;
        ticket = 0;
        finished = false;
    }
};

SdlAudio::SdlAudio(SdlAudioOptions options) : options_(std::move(options)), voice_(std::make_unique<Voice>()) {}

SdlAudio::~SdlAudio() { closeDevice(); }

bool SdlAudio::open() {
    if (tried_) return open_;
    tried_ = true;
    if (mixerInUse.exchange(true)) return false;
    ownsMixer_ = true;

    // SDL would otherwise take SIGINT and SIGTERM for a quit event nobody
    // reads, and the program could no longer be ended from a terminal or by
    // a logout: the program handles those signals itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    auto tryDriver = [](const char* driver, const char* device) {
        if (driver) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
        bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (ok) ok = Mix_OpenAudioDevice(kSampleRate, AUDIO_S16SYS, kChannels, kChunkFrames, device, 0) == 0;
        if (!ok) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (driver) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        return ok;
    };
    const char* driver = options_.driver.isEmpty() ? nullptr : options_.driver.constData();
    const char* device = options_.device.isEmpty() ? nullptr : options_.device.constData();
    open_ = tryDriver(driver, device);
    // No sound card: the dummy driver keeps the timing without a sound.
    if (!open_ && !driver) open_ = tryDriver("dummy", nullptr);
    if (!open_) {
        ownsMixer_ = false;
        mixerInUse = false;
        return false;
    }

    if (const char* name = SDL_GetCurrentAudioDriver()) driver_ = QString::fromUtf8(name);
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    const QString font = options_.soundFont.isEmpty() ? QString::fromUtf8(kSystemSoundFont) : options_.soundFont;
    if (QFileInfo::exists(font)) Mix_SetSoundFonts(QFile::encodeName(font).constData());
    Mix_HookMusic(&SdlAudio::mixVoice, this);
    return true;
}

QString SdlAudio::driverName() const { return open_ ? driver_ : QString(); }

void SdlAudio::closeDevice() {
    if (!open_) return;
    stop();
    const auto aliases = slots_.keys();
    for (const QString& alias : aliases) closeSlot(alias);
    Mix_HookMusic(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
    if (ownsMixer_) mixerInUse = false;
    ownsMixer_ = false;
}

// ---- the command interpreter ----------------------------------------------------

int SdlAudio::sendString(const QString& command) {
    const auto c = mci::parseCommand(command);
    if (!c) return mci::kUnrecognizedCommand;
    const QString alias = c->alias.trimmed().toLower();
    using Verb = mci::Command::Verb;
    switch (c->verb) {
    case Verb::Open: return openSlot(alias, c->path, int(c->type));
    case Verb::Play: return play(alias, c->wait);
    case Verb::Stop: return stopSlot(alias);
    case Verb::Close: return closeSlot(alias);
    }
    return mci::kUnrecognizedCommand;
}

int SdlAudio::openSlot(const QString& alias, const QString& path, int type) {
    if (slots_.contains(alias)) return mci::kDuplicateAlias;
    const auto read = platform::readRegularFile(path, platform::kMaxSoundFileBytes); // no pipe, no device
    if (!std::holds_alternative<QByteArray>(read)) return mci::kFileNotFound;
    const QByteArray bytes = std::get<QByteArray>(read);
    if (!fitsDevice(bytes, mci::DeviceType(type))) return mci::kInvalidFile;
    if (!open()) return mci::kHardware;

    // Decoded from memory: no file name crosses into SDL, whatever its
    // characters.
    SDL_RWops* source = SDL_RWFromConstMem(bytes.constData(), int(bytes.size()));
    Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    if (!chunk) return mci::kInvalidFile;
    if (isMidi(bytes)) raiseMidiLevel(*chunk);
    slots_.insert(alias, Slot{chunk, freeChannel()});
    return 0;
}

int SdlAudio::freeChannel() {
    auto taken = [this](int channel) {
        for (const Slot& s : std::as_const(slots_))
            if (s.channel == channel) return true;
        return false;
    };
    int channel = 0;
    while (taken(channel)) ++channel;
    if (channel >= allocatedChannels_) {
        allocatedChannels_ = channel + 1;
        Mix_AllocateChannels(allocatedChannels_);
    }
    return channel;
}

int SdlAudio::play(const QString& alias, bool wait) {
    const auto it = slots_.constFind(alias);
    if (it == slots_.cend()) return mci::kInvalidDeviceName;
    const int channel = it->channel;
    // "from 0": from the start, whatever was playing.
    Mix_HaltChannel(channel);
    if (Mix_PlayChannel(channel, chunkOf(it->chunk), 0) < 0) return mci::kHardware;
    if (wait) {
        // Blocks the caller until the sound has ended, as the classic "wait"
        // does; but an output that stops taking samples (a sound server that
        // suspends the stream, a vanished sink) must not freeze the panel
        // for good: after the sound's own length and a second more, the
        // sound is given up like one that failed to play.
        const Uint64 limit = SDL_GetTicks64() + lengthMs(chunkOf(it->chunk)) + kWaitGraceMs;
        while (Mix_Playing(channel)) {
            if (SDL_GetTicks64() >= limit) {
                Mix_HaltChannel(channel);
                return mci::kHardware;
            }
            SDL_Delay(5);
        }
    }
    return 0;
}

int SdlAudio::stopSlot(const QString& alias) {
    const auto it = slots_.constFind(alias);
    if (it == slots_.cend()) return mci::kInvalidDeviceName;
    Mix_HaltChannel(it->channel);
    return 0;
}

int SdlAudio::closeSlot(const QString& alias) {
    const auto it = slots_.find(alias);
    if (it == slots_.end()) return mci::kInvalidDeviceName;
    Mix_HaltChannel(it->channel);
    Mix_FreeChunk(chunkOf(it->chunk));
    slots_.erase(it);
    return 0;
}

// ---- the speech voice ------------------------------------------------------------------

std::uint64_t SdlAudio::begin(int sampleRate) {
    if (sampleRate <= 0 || !open()) return 0;
    std::lock_guard lock(voiceMutex_);
    voice_->drop();
    voice_->stream = SDL_NewAudioStream(AUDIO_S16SYS, 1, sampleRate, AUDIO_S16SYS, kChannels, kSampleRate);
    if (!voice_->stream) return 0;
    voice_->ticket = ++voice_->lastTicket;
    return voice_->ticket;
}

bool SdlAudio::write(std::uint64_t ticket, const std::int16_t* samples, std::size_t count) {
    std::lock_guard lock(voiceMutex_);
    if (ticket == 0 || ticket != voice_->ticket || !voice_->stream || voice_->finished) return false;
    if (count > 0) SDL_AudioStreamPut(voice_->stream, samples, int(count * sizeof(std::int16_t)));
    return true;
}

void SdlAudio::finish(std::uint64_t ticket) {
    std::lock_guard lock(voiceMutex_);
    if (ticket == 0 || ticket != voice_->ticket || !voice_->stream) return;
    SDL_AudioStreamFlush(voice_->stream);
    voice_->finished = true;
}

void SdlAudio::stop() {
    std::lock_guard lock(voiceMutex_);
    voice_->drop();
}

bool SdlAudio::busy() const {
    std::lock_guard lock(voiceMutex_);
    return voice_->ticket != 0;
}

// Runs on SDL's mixing thread before the channels are added; the buffer
// holds silence.
void SdlAudio::mixVoice(void* self, unsigned char* stream, int length) {
    auto* audio = static_cast<SdlAudio*>(self);
    std::lock_guard lock(audio->voiceMutex_);
    Voice& v = *audio->voice_;
    if (!v.stream) return;
    const int got = SDL_AudioStreamGet(v.stream, stream, length);
    if (got < length && v.finished && SDL_AudioStreamAvailable(v.stream) == 0) v.drop();
}

} // namespace audio
