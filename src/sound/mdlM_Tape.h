#pragma once
// The announcement "tape": a route bus plays recorded stop announcements,
// stepped on by the driver. Here the speech engine reads them from the
// route's broadcast data file (<route>tp.csv, route/TapeData.h), one
// announcement per line. "送り" steps to the next announcement, "戻し" to the
// previous one; each step plays the pre-broadcast sound and then speaks, and
// an announcement whose advance flag is 1 also moves the fare display one
// stop the same way. "■" silences the voice, "調整" adjusts it.
//
// The position in the announcements is the module's own and never follows
// data forward and back on the panel: only the advance flag couples the two.
//
// Nothing here shows a message: a missing speech engine or broadcast file
// only disables the announcement group.

#include "settings/LiveSettings.h"

#include <QString>
#include <cstdint>
#include <functional>

class QGroupBox;
class QPushButton;
class QWidget;

namespace mdlM_Tape {

// The group's captions: speech synthesis available / not available.
inline const QString kCaptionAvailable = QStringLiteral("音合使用可");
inline const QString kCaptionUnavailable = QStringLiteral("音合使用不可");
// The title of the voice adjustment dialog.
inline const QString kAdjustTitle = QStringLiteral("音声の調節");

// What the module reaches on the operation panel, and where it asks for the
// pre-broadcast sound settings as they stand at each announcement.
struct TapeWiring {
    QWidget* panel = nullptr;            // owner of the adjustment dialog
    QGroupBox* grpM_Tape = nullptr;      // the announcement group
    QPushButton* cmdTapeNext = nullptr;  // "送り"
    QPushButton* cmdTapeBack = nullptr;  // "戻し"
    QPushButton* cmdTapeSet = nullptr;   // "調整"
    QPushButton* cmdTapeStop = nullptr;  // "■"
    std::function<settings::AnnounceSoundSettings()> announceSound;
};

// Once, in the operation panel's load step: makes the speech engine and
// sets the group's caption and enabled state. Starts the module afresh.
void TapeInit(const TapeWiring& wiring);

// Told of each announcement the engine is given to speak: its number, and
// whether "送り" (true) or "戻し" reached it. Until the next TapeInit.
void TapeOnSpoken(std::function<void(std::int32_t index, bool next)> spoken);

// At every route setting, before the fare data file is read: loads
// folder + route + "tp.csv" (`folder` already ending in a separator unless
// empty; the name is found whatever its letter case). On success the group
// and its buttons are enabled (when the engine exists) and the position goes
// back before the first announcement; any failure disables the group.
void TapeLoad(const QString& folder, const QString& route);

void TapeNext();   // the next announcement: pre-broadcast sound in S3, then speech
void TapeBack();   // the previous one: pre-broadcast sound in S2, then speech
void TapeStop();   // silences the voice
void TapeAdjust(); // the voice adjustment dialog, owned by the panel
void TapeSpeak(std::int32_t n);
std::int32_t TapeCount();
std::int32_t TapeIndex(); // 0 before the first announcement, else 1..TapeCount
std::int16_t TapeAdvanceFlag(std::int32_t n); // 0 outside 1..TapeCount
std::int16_t TapeSoundFlag(std::int32_t n);   // 0 outside 1..TapeCount
QString TapeText(std::int32_t n);             // empty outside 1..TapeCount
bool TapeEngineOK();
// Puts the position at `n` (clamped to 0..TapeCount) without a sound and
// without moving the display: a ride by the timetable cues the announcements
// to the stop ahead after a hand moved the bus, so 送り speaks the one that
// belongs there.
void TapeCue(std::int32_t n);
// How long speaking announcement n takes (ms, exact once it was spoken,
// estimated before); 0 without an engine or outside 1..TapeCount.
qint64 TapeSpeakingMs(std::int32_t n);
// True while the engine is preparing or speaking an announcement.
bool TapeSpeaking();
// At the end of the program, after the sound slots are closed: the engine
// goes.
void TapeRelease();

// ---- the operation panel's four buttons --------------------------------------------

// "送り": the next announcement; then, when the announcement now current has
// advance flag 1, `dataForward` (the panel's data forward, as its button
// does it). At the last announcement nothing is spoken, but its flag is
// still looked at.
void cmdTapeNext_Click(const std::function<void()>& dataForward);
// "戻し": the same backwards with `dataBack`.
void cmdTapeBack_Click(const std::function<void()>& dataBack);
inline void cmdTapeStop_Click() { TapeStop(); }
inline void cmdTapeSet_Click() { TapeAdjust(); }

} // namespace mdlM_Tape
