#include "sound/SpeechEngine.h"

namespace sound {

namespace {

SpeechEngineMaker& currentMaker() {
    static SpeechEngineMaker maker;
    return maker;
}

} // namespace

std::unique_ptr<SpeechEngine> CreateSpeechEngine() {
    const SpeechEngineMaker& maker = currentMaker();
    return maker ? maker() : nullptr;
}

SpeechEngineMaker installSpeechEngineMaker(SpeechEngineMaker maker) {
    std::swap(currentMaker(), maker);
    return maker;
}

} // namespace sound
