#include "platform/Audio.h"

#include "platform/MciCommand.h"
#include "platform/SeamSlot.h"

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

SeamSlot<Audio, NoAudio>& slot() {
    static SeamSlot<Audio, NoAudio> s;
    return s;
}

} // namespace

Audio& audio() { return *slot().impl; }

std::unique_ptr<Audio> install(std::unique_ptr<Audio> impl) { return slot().replace(std::move(impl)); }

} // namespace platform
