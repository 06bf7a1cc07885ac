#include "sound/mdlM_Tape.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform_ui/ResourceLibrary.h"
#include "route/RouteFiles.h"
#include "route/TapeData.h"
#include "sound/SpeechEngine.h"
#include "sound/mdlSndAPI.h"

#include <QGroupBox>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <vector>

namespace mdlM_Tape {

namespace {

struct State {
    TapeWiring wiring;
    std::vector<route::TapeEntry> table; // entry n at index n - 1
    std::int32_t count = 0;
    std::int32_t index = 0;
    bool engineOK = false;
    std::unique_ptr<sound::SpeechEngine> engine;
    std::function<void(std::int32_t, bool)> spoken;
};

State& state() {
    static State s;
    return s;
}

// The system on which the engine was never offered: the group stays
// unavailable there and broadcast files are never read.
bool speechRefusedBySystem() { return ZelP4Res::GetOsInfo() == QByteArrayLiteral("Windows Vista"); }

void setGroupEnabled(bool enabled) {
    if (QGroupBox* g = state().wiring.grpM_Tape) g->setEnabled(enabled);
}

void setAvailability(bool available) {
    if (QGroupBox* g = state().wiring.grpM_Tape) {
        g->setTitle(available ? kCaptionAvailable : kCaptionUnavailable);
        g->setEnabled(available);
    }
}

bool valid(std::int32_t n) { return n >= 1 && n <= state().count && size_t(n) <= state().table.size(); }

// The lines the file's announcements stand on, counted as the reader counts
// them (the end of the last line does not start another).
std::int32_t countLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last() == u"\r")) lines.removeLast();
    return std::int32_t(lines.size());
}

// The announcements before line `badLine`, which the load got through before
// it met the bad line.
std::vector<route::TapeEntry> entriesBefore(const QString& text, int badLine) {
    if (badLine <= 1) return {};
    const QStringList lines = text.split(u'\n').mid(0, badLine - 1);
    const route::TapeDataResult partial = route::parseTapeText(lines.join(u'\n'));
    if (const auto* entries = std::get_if<std::vector<route::TapeEntry>>(&partial)) return *entries;
    return {};
}

} // namespace

void TapeInit(const TapeWiring& wiring) {
    State& s = state();
    s = State{};
    s.wiring = wiring;
    if (speechRefusedBySystem()) {
        setAvailability(false);
        return;
    }
    s.engine = sound::CreateSpeechEngine();
    s.engineOK = s.engine != nullptr;
    setAvailability(s.engineOK);
}

void TapeOnSpoken(std::function<void(std::int32_t, bool)> spoken) { state().spoken = std::move(spoken); }

void TapeLoad(const QString& folder, const QString& route) {
    if (speechRefusedBySystem()) return;
    State& s = state();
    s.count = 0;

    // The broadcast file as Windows finds it: "\" separates folders as "/"
    // does (route setting ends the folder with one), and letter case does not
    // matter (12TP.CSV is 12tp.csv). Only a regular file of a broadcast file's
    // size is read: a pipe or a device by that name is no broadcast data.
    const QString path = platform::findUserFile(folder + ::route::routeFileName(::route::RouteFile::Broadcast, route));
    const auto read = platform::readRegularFile(path, ::route::kMaxTapeDataBytes);
    if (!std::holds_alternative<QByteArray>(read)) {
        // Nothing counted, the previous table kept but out of reach.
        setGroupEnabled(false);
        return;
    }
    const QByteArray& bytes = std::get<QByteArray>(read);

    route::TapeDataResult result = route::decodeTapeData(bytes);
    if (auto* entries = std::get_if<std::vector<route::TapeEntry>>(&result)) {
        s.table = std::move(*entries);
        s.count = std::int32_t(s.table.size());
        if (s.engineOK) {
            setGroupEnabled(true);
            for (QPushButton* b : {s.wiring.cmdTapeNext, s.wiring.cmdTapeBack, s.wiring.cmdTapeSet, s.wiring.cmdTapeStop})
                if (b) b->setEnabled(true);
        }
        s.index = 0;
        return;
    }

    // A bad line: the lines were counted and the table made anew, filled up
    // to the bad line; the position stays where it was.
    const auto& error = std::get<route::TapeDataError>(result);
    const QString text = cp932::decode(bytes);
    s.count = countLines(text);
    s.table = entriesBefore(text, error.Line);
    s.table.resize(size_t(s.count));
    setGroupEnabled(false);
}

void TapeNext() {
    State& s = state();
    ++s.index;
    if (s.index > s.count) {
        s.index = s.count;
        return;
    }
    if (s.wiring.announceSound)
        mdlSndAPI::PlayPreBroadcastSound(s.wiring.announceSound(), mdlSndAPI::TapeStep::Next, TapeSoundFlag(s.index));
    TapeSpeak(s.index);
    if (s.spoken) s.spoken(s.index, true);
}

void TapeBack() {
    State& s = state();
    --s.index;
    if (s.index < 1) {
        s.index = 1;
        return;
    }
    if (s.wiring.announceSound)
        mdlSndAPI::PlayPreBroadcastSound(s.wiring.announceSound(), mdlSndAPI::TapeStep::Back, TapeSoundFlag(s.index));
    TapeSpeak(s.index);
    if (s.spoken) s.spoken(s.index, false);
}

void TapeSpeak(std::int32_t n) {
    sound::SpeechEngine* engine = state().engine.get();
    if (!engine) return;
    engine->Stop();
    engine->Speak(TapeText(n));
    if (engine->Status() == -1) engine->Stop();
}

void TapeStop() {
    if (sound::SpeechEngine* engine = state().engine.get()) engine->Stop();
}

void TapeAdjust() {
    if (sound::SpeechEngine* engine = state().engine.get()) engine->AdjustDialog(state().wiring.panel, kAdjustTitle);
}

std::int32_t TapeCount() { return state().count; }
std::int32_t TapeIndex() { return state().index; }

std::int16_t TapeAdvanceFlag(std::int32_t n) { return valid(n) ? state().table[size_t(n - 1)].AdvanceFlag : 0; }
std::int16_t TapeSoundFlag(std::int32_t n) { return valid(n) ? state().table[size_t(n - 1)].SoundFlag : 0; }
QString TapeText(std::int32_t n) { return valid(n) ? state().table[size_t(n - 1)].Text : QString(); }
bool TapeEngineOK() { return state().engineOK; }

void TapeCue(std::int32_t n) { state().index = std::clamp(n, 0, state().count); }

qint64 TapeSpeakingMs(std::int32_t n) {
    sound::SpeechEngine* engine = state().engine.get();
    return engine && valid(n) ? engine->speakingMs(TapeText(n)) : 0;
}

bool TapeSpeaking() {
    sound::SpeechEngine* engine = state().engine.get();
    return engine && engine->Status() == 1;
}

void TapeRelease() { state().engine.reset(); }

void cmdTapeNext_Click(const std::function<void()>& dataForward) {
    TapeNext();
    if (TapeAdvanceFlag(TapeIndex()) == 1 && dataForward) dataForward();
}

void cmdTapeBack_Click(const std::function<void()>& dataBack) {
    TapeBack();
    if (TapeAdvanceFlag(TapeIndex()) == 1 && dataBack) dataBack();
}

} // namespace mdlM_Tape
