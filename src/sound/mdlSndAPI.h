#pragma once
// Sound playback: four sound slots, "S1" to "S4", each holding at most one
// open sound. A new sound in a slot closes the old one first, so sounds in
// different slots overlap while a sound never overlaps itself.
//
//   S1  route setting, keypad keys and the digit lists   always asynchronous
//   S2  data forward / back, announcement back            as the options say
//   S3  announcement next                                  as the options say
//   S4  never opened; closed at the end like the others
//
// Every sound file is optional: an empty path is silence, and a missing or
// unplayable file fails silently. The callers hand over the settings as they
// stand at each event, so a change takes effect at the next one.

#include "settings/LiveSettings.h"

#include <QString>
#include <cstdint>

namespace route {
struct FareRow;
}

namespace mdlSndAPI {

// The slot names.
inline const QString kSlotS1 = QStringLiteral("S1");
inline const QString kSlotS2 = QStringLiteral("S2");
inline const QString kSlotS3 = QStringLiteral("S3");
inline const QString kSlotS4 = QStringLiteral("S4");

// The device alias of a slot: the model number followed by the slot name.
QString SlotAlias(const QString& slot);

// Plays `path` in `slot`. `waitFlag` non-zero: returns when the sound has
// ended, then pauses `pauseMs` milliseconds; zero: returns at once while it
// plays. Only files ending in WAV, MP3 or MID (any case) are played; a file
// with another ending still closes the slot's previous sound.
void SndPlay(const QString& path, const QString& slot, std::int16_t waitFlag, std::int16_t pauseMs);

// Closes all four slots (at the end of the program).
void SndCloseAll();

// ---- which sound: the two selection rules -------------------------------------------

using settings::AdvanceSoundSettings;
using settings::AnnounceSoundSettings;

enum class TapeStep { Next, Back };

// The advance sound for the row that has just become current: `file` when
// always; otherwise the file for the value (1, 2 or 3) in the chosen column
// of that row. Empty when the rule selects nothing (any other value, a
// column outside 1..150).
QString AdvanceSoundFile(const AdvanceSoundSettings& settings, const route::FareRow& currentRow);

// The pre-broadcast sound of an announcement with sound flag `soundFlag`.
// Next: `file` when always, else by flag. Back: by flag alone, whatever
// "always" says. Empty when nothing is selected.
QString PreBroadcastSoundFile(const AnnounceSoundSettings& settings, TapeStep step, std::int16_t soundFlag);

// Next plays in S3, back in S2.
QString PreBroadcastSlot(TapeStep step);

// ---- what the operation panel plays ----------------------------------------------

// Route setting ("リセット") and a click in a section digit list: the
// route-setting sound in S1, asynchronous.
void PlayRouteSetSound(const settings::KeySounds& sounds);
// A keypad key or a click in a route digit list: the key sound in S1,
// asynchronous.
void PlayKeySound(const settings::KeySounds& sounds);
// Data forward / back, after the current row has moved: the advance sound
// rule in S2, synchronous when so set (then this returns only once the sound
// has ended, and the caller changes the fares after it).
void PlayAdvanceSound(const AdvanceSoundSettings& settings, const route::FareRow& currentRow);
// Before an announcement: the pre-broadcast rule in its slot, synchronous
// when so set.
void PlayPreBroadcastSound(const AnnounceSoundSettings& settings, TapeStep step, std::int16_t soundFlag);

} // namespace mdlSndAPI
