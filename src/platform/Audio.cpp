#include "platform/Audio.h"

#include "platform/MciCommand.h"

namespace platform {

namespace {

// No audio device: the state of a machine without a multimedia driver.
// Understood commands fail as they would there; others are refused as not
// understood.
class NoAudio final : public Audio {
public:
    int sendString(const QString& command) override {
        return mci::parseCommand(command) ? mci::kCannotLoadDriver : mci::kUnrecognizedCommand;
    }
    VoiceOutput* voice() override { return nullptr; }
};

// Held by a shared pointer, unlike the other seams: the speech engine's
// thread may still be writing to the voice of an output being replaced.
std::shared_ptr<Audio>& slot() {
    static std::shared_ptr<Audio> s = std::make_shared<NoAudio>();
    return s;
}

} // namespace

Audio& audio() { return *slot(); }

std::shared_ptr<Audio> install(std::shared_ptr<Audio> impl) {
    if (!impl) impl = std::make_shared<NoAudio>();
    std::swap(slot(), impl);
    return impl;
}

std::shared_ptr<VoiceOutput> sharedVoice() {
    const std::shared_ptr<Audio>& output = slot();
    VoiceOutput* voice = output->voice();
    return voice ? std::shared_ptr<VoiceOutput>(output, voice) : nullptr;
}

} // namespace platform
