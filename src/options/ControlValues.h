#pragma once
// How the stored values of the settings file map onto the options dialog's
// controls and back. The file keeps a check box as 0 (unchecked), 1 (checked)
// or 2 (grey), an option button as -1 (selected) or 0, and a drop-down list
// as the zero-based position of its entry, -1 for none. A control refuses what
// it cannot show; the caller then stops there with an error.

#include <QString>
#include <cstdint>
#include <optional>

#include <Qt>

namespace options {

// The error a control raises for a value it refuses, in the classic run-time's
// numbering, with its description.
inline constexpr int kInvalidPropertyValue = 380;
QString invalidValueDescription(const QString& control, int value);

// Check boxes: 0, 1 and 2 only.
std::optional<Qt::CheckState> checkStateFor(std::int16_t value);
std::int16_t checkValueOf(Qt::CheckState state);
// Whether the box shows a mark (checked or grey): what the controls that
// depend on a check box follow.
constexpr bool isMarked(Qt::CheckState state) { return state != Qt::Unchecked; }

// Option buttons: any value other than 0 selects (the file writes -1).
constexpr bool optionSelected(std::int16_t value) { return value != 0; }
constexpr std::int16_t optionValueOf(bool selected) { return selected ? -1 : 0; }

// Lists: -1 (nothing chosen) and the positions of the entries only.
constexpr bool listPositionAccepted(std::int16_t position, int count) {
    return position >= -1 && position < count;
}

// The fixed ticket date as the date chooser's answer gives it: the year, then
// month and day with two digits each ("2009/03/05").
QString fixedDateText(int year, int month, int day);

} // namespace options
