#pragma once
// The fields of a settings record that the options dialog exchanges (the
// first 61), with every other field as a fresh record has it, so that two
// records compare on the dialog's fields alone.
#include "settings/SettingsRecord.h"

namespace settings::testing {

inline SettingsRecord dialogFieldsOf(SettingsRecord r) {
    const SettingsRecord fresh;
    r.CtlPageBack = fresh.CtlPageBack;
    r.ScrollSpeed = fresh.ScrollSpeed;
    r.ScrollStartWait = fresh.ScrollStartWait;
    r.LateNightFare = fresh.LateNightFare;
    r.TicketPreviewShown = fresh.TicketPreviewShown;
    r.CtlLeft = fresh.CtlLeft;
    r.CtlTop = fresh.CtlTop;
    r.DisplayLeft = fresh.DisplayLeft;
    r.DisplayTop = fresh.DisplayTop;
    r.CustomColors = fresh.CustomColors;
    r.CellFormat = fresh.CellFormat;
    return r;
}

} // namespace settings::testing
