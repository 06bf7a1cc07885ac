// Any bytes as a settings file: the reader must give a record for every
// input, and that record must write and read back as itself wherever its texts
// can be written in the code page (a text the reader could not decode holds
// U+FFFD, which is written as "?").
#include "platform/Cp932.h"
#include "settings/SettingsCodec.h"

#include <array>
#include <cstdlib>

namespace {

std::array<const QString*, 17> textsOf(const settings::SettingsRecord& r) {
    return {&r.FareDataDir,        &r.BroadcastDataDir,   &r.PanelOffUserFile,   &r.PanelOn1UserFile,
            &r.PanelOn2UserFile,   &r.SoundRouteSetFile,  &r.SoundResetFile,     &r.AdvanceSoundFile,
            &r.AdvanceSoundFile1,  &r.AdvanceSoundFile2,  &r.AdvanceSoundFile3,  &r.AnnounceSoundFile,
            &r.AnnounceSoundFile1, &r.AnnounceSoundFile2, &r.AnnounceSoundFile3, &r.TicketPluginFile,
            &r.TicketFixedDate};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const settings::SettingsRecord record = settings::decodeSettings(bytes);
    if (record.CellCount != 84) std::abort();

    // The written form: the fixed part plus each text's bytes, no more.
    const QByteArray written = settings::encodeSettings(record);
    qsizetype expected = settings::kEmptyRecordSize;
    bool encodable = true;
    for (const QString* text : textsOf(record)) {
        expected += cp932::encode(*text).size();
        encodable = encodable && cp932::canEncode(*text);
    }
    if (written.size() != expected) std::abort();

    const settings::SettingsRecord again = settings::decodeSettings(written);
    if (encodable && !(again == record)) std::abort();
    // Numbers survive whatever the texts held.
    if (again.CellFormat != record.CellFormat || again.CustomColors != record.CustomColors ||
        again.TicketNumScheme != record.TicketNumScheme || again.DisplayTop != record.DisplayTop)
        std::abort();
    // Writing is stable: the second write is the first.
    if (settings::encodeSettings(again) != written) std::abort();
    return 0;
}
