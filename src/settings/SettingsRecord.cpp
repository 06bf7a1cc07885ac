#include "settings/SettingsRecord.h"

namespace settings {

QString fixedTicketDateText(const QDate& date) { return date.toString(QStringLiteral("yyyy/MM/dd")); }

SettingsRecord SettingsRecord::initial(const QDate& today) {
    SettingsRecord r;
    r.TicketNumAutoShow = 1;
    r.TicketNumColorOff = 0xFFFFFF;
    r.TicketNumColorOn1 = 0xC0FFC0;
    r.TicketNumColorOn2 = 0x80C0FF;
    r.PanelAutoBuiltIn = -1;
    r.PanelOffBuiltIn = -1;
    r.PanelOn1BuiltIn = -1;
    r.PanelOn2BuiltIn = -1;
    r.DigitBackColor = device::kDigitBackColor;
    r.DigitBaseColor = device::kDigitBaseColor;
    r.DigitLitColor = device::kDigitLitColor;
    r.StopNameBackColor = 0x808080;
    r.StopNameForeColor = 0x00FFFF;
    r.StopNameFontMode = -1;
    r.AdvanceSoundAlways = -1;
    r.AdvanceSoundAsync = -1;
    r.AnnounceSoundAlways = -1;
    r.AnnounceSoundSync = -1;
    r.TicketDatePerPrint = -1;
    r.TicketFixedDate = fixedTicketDateText(today);
    // The operation panel's sliders start at their design values.
    r.ScrollSpeed = 1;
    r.ScrollStartWait = 0;
    return r;
}

} // namespace settings
