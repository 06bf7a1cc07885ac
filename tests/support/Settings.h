#pragma once
// Settings changed in a test as a user would change them in the options
// dialog, by the names the settings file documents them by: the dialog's
// settings are edited as a record and written back through the dialog's one
// mapping, so a test cannot share a wrong control index with the code.
#include "options/frmOption.h"
#include "settings/SettingsRecord.h"

namespace testing_settings {

template <class Edit> void change(frmOption& dialog, Edit edit) {
    settings::SettingsRecord record;
    dialog.GetOptionInfo(record);
    edit(record);
    dialog.SetOptionInfo(record);
}

// Option buttons as the file stores them.
inline constexpr std::int16_t kSelected = -1;
inline constexpr std::int16_t kNotSelected = 0;

} // namespace testing_settings
