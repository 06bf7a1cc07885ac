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

std::unique_ptr<Audio>& slot() {
    static std::unique_ptr<Audio> impl = std::make_unique<NoAudio>();
    return impl;
}

} // namespace

Audio& audio() { return *slot(); }

std::unique_ptr<Audio> install(std::unique_ptr<Audio> impl) {
    if (!impl) impl = std::make_unique<NoAudio>();
    std::swap(slot(), impl);
    return impl;
}

} // namespace platform
