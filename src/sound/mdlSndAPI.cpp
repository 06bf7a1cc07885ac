#include "sound/mdlSndAPI.h"

#include "platform/Activity.h"
#include "platform/Audio.h"
#include "platform/Files.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "route/FareTable.h"

namespace mdlSndAPI {

namespace {

// The type clause of the open command for a file ending, or nothing for an
// ending no device plays.
QString typeClause(const QString& path) {
    const QString ending = path.right(3).toUpper().trimmed();
    if (ending == u"WAV") return QStringLiteral(" type waveaudio alias ");
    if (ending == u"MP3") return QStringLiteral(" type mpegvideo alias ");
    if (ending == u"MID") return QStringLiteral(" type sequencer alias ");
    return {};
}

} // namespace

QString SlotAlias(const QString& slot) { return platform::programIdentity().model + slot; }

void SndPlay(const QString& path, const QString& slot, std::int16_t waitFlag, std::int16_t pauseMs) {
    // A path from a Windows settings file ("Sounds\Chime.WAV") names the
    // file the directory search finds, and that is the file opened.
    const QString file = platform::findUserFile(path);
    if (file.isEmpty()) return;
    const QString alias = SlotAlias(slot);
    // Closing a slot that is not open is harmless; the result does not matter.
    platform::mciSendString(QStringLiteral("close ") + alias);

    const QString type = typeClause(file);
    if (type.isEmpty()) return;
    if (platform::mciSendString(QStringLiteral("open \"") + file + u'"' + type + alias + QStringLiteral(" wait")) != 0)
        return;

    if (waitFlag != 0) {
        // Played to its end: the device stands still meanwhile.
        const platform::ActivityScope sounding(platform::Activity::Sound);
        platform::mciSendString(QStringLiteral("play ") + alias + QStringLiteral(" from 0 wait"));
        platform::Sleep(pauseMs);
    } else {
        platform::mciSendString(QStringLiteral("stop ") + alias);
        platform::mciSendString(QStringLiteral("play ") + alias + QStringLiteral(" from 0"));
        platform::Sleep(0);
    }
}

void SndCloseAll() {
    for (const QString& slot : {kSlotS1, kSlotS2, kSlotS3, kSlotS4})
        platform::mciSendString(QStringLiteral("close ") + SlotAlias(slot));
}

// ---- the rules ------------------------------------------------------------------------

QString AdvanceSoundFile(const AdvanceSoundSettings& settings, const route::FareRow& currentRow) {
    if (settings.always) return settings.file;
    if (settings.columnIndex < 0 || settings.columnIndex >= route::kFareColumns) return {};
    const std::int16_t value = currentRow.Cols[size_t(settings.columnIndex)];
    if (value < 1 || value > 3) return {};
    return settings.byValue[size_t(value - 1)];
}

QString PreBroadcastSoundFile(const AnnounceSoundSettings& settings, TapeStep step, std::int16_t soundFlag) {
    if (step == TapeStep::Next && settings.always) return settings.file;
    if (soundFlag < 1 || soundFlag > 3) return {};
    return settings.byFlag[size_t(soundFlag - 1)];
}

QString PreBroadcastSlot(TapeStep step) { return step == TapeStep::Next ? kSlotS3 : kSlotS2; }

// ---- what the panel plays -----------------------------------------------------------------

void PlayRouteSetSound(const settings::KeySounds& sounds) { SndPlay(sounds.routeSet, kSlotS1, 0, 0); }

void PlayKeySound(const settings::KeySounds& sounds) { SndPlay(sounds.key, kSlotS1, 0, 0); }

void PlayAdvanceSound(const AdvanceSoundSettings& settings, const route::FareRow& currentRow) {
    const QString file = AdvanceSoundFile(settings, currentRow);
    if (!file.isEmpty()) SndPlay(file, kSlotS2, settings.sync ? 1 : 0, 0);
}

void PlayPreBroadcastSound(const AnnounceSoundSettings& settings, TapeStep step, std::int16_t soundFlag) {
    const QString file = PreBroadcastSoundFile(settings, step, soundFlag);
    if (!file.isEmpty()) SndPlay(file, PreBroadcastSlot(step), settings.sync ? 1 : 0, 0);
}

} // namespace mdlSndAPI
