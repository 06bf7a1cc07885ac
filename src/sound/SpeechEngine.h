#pragma once
// The speech engine that reads the announcements, as a seam: the four
// operations the announcement module uses. The program installs the espeak-ng
// engine's maker at start (sound/EspeakEngine.h); until then, and in tests
// that install nothing, no engine can be made and the announcement group
// says so. Tests install the recording fake of tests/support/FakeSpeech.h.

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;

namespace sound {

class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Starts speaking `text` and returns at once; whatever was being spoken
    // stops.
    virtual void Speak(const QString& text) = 0;
    // Silences the engine at once; harmless when it is silent.
    virtual void Stop() = 0;
    // -1 when the last text could not be started at all (the caller then
    // stops the engine); otherwise 0 when silent and 1 while preparing or
    // speaking.
    virtual std::int32_t Status() = 0;
    // The engine's voice adjustment dialog, modal to `owner`.
    virtual void AdjustDialog(QWidget* owner, const QString& title) = 0;
    // How long speaking `text` takes, in milliseconds, with the voice as it
    // is set: for a ride that must know whether an announcement ends before
    // the next stop. An engine that has spoken the text knows; otherwise
    // (and here) an estimate from the text at the normal speed.
    virtual qint64 speakingMs(const QString& text);
};

// What speaking `text` takes at `rate` (words a minute, as the voice's
// adjustment sets it), estimated from its characters: a mora for each kana,
// nearly two for each kanji, a pause at each punctuation mark, and English
// words letter by letter. For a route's announcements it errs long, by
// less than a third.
qint64 estimatedSpeakingMs(const QString& text, int rate);

// Makes an engine, or null when none can be made.
using SpeechEngineMaker = std::function<std::unique_ptr<SpeechEngine>()>;

// An engine from the installed maker; null when there is none or it failed.
std::unique_ptr<SpeechEngine> CreateSpeechEngine();

// Installs a maker and returns the one it replaces (empty: none).
SpeechEngineMaker installSpeechEngineMaker(SpeechEngineMaker maker);

} // namespace sound
