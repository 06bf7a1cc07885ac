#pragma once
// What each index of the options dialog's control arrays stands for, named
// once. The arrays keep the classic dialog's numbering, holes and odd orders
// included, because the settings file's fields are documented by it.

#include <array>
#include <cstddef>

namespace options::index {

// Text2, Command3, Command10: the data folders.
inline constexpr std::size_t kFareFolder = 0;
inline constexpr std::size_t kBroadcastFolder = 1;

// Command5, txtSelectPanel, Frame6, Command6: the backlight modes.
inline constexpr std::size_t kModeOff = 0;
inline constexpr std::size_t kModeOn1 = 1;
inline constexpr std::size_t kModeOn2 = 2;
inline constexpr std::size_t kModeCount = 3;

// Option3: the panel pictures. Built-in for every mode (0) or chosen per
// mode (1); then per mode the built-in and the user picture buttons, as
// numbered: OFF 7 / 6, ON1 3 / 2, ON2 4 / 5.
inline constexpr std::size_t kPanelAuto = 0;
inline constexpr std::size_t kPanelIndividual = 1;
inline constexpr std::array<std::size_t, kModeCount> kPanelBuiltIn = {7, 3, 4};
inline constexpr std::array<std::size_t, kModeCount> kPanelUser = {6, 2, 5};

// Command8: the digit cells' colours.
inline constexpr std::size_t kCellBack = 0;
inline constexpr std::size_t kCellBase = 1; // unlit segments
inline constexpr std::size_t kCellLit = 2;

// Check3 and Combo4: the information digits. Check3 switches and Combo4
// cells share the indices 0..3; Check3[4] counts the stop order from 0 and
// Combo4[4] is the data column of the column digit.
inline constexpr std::size_t kInfoStopOrder = 0;
inline constexpr std::size_t kInfoTicketNum = 1;
inline constexpr std::size_t kInfoRouteNum = 2;
inline constexpr std::size_t kInfoColumn = 3;
inline constexpr std::size_t kInfoFromZero = 4; // Check3
inline constexpr std::size_t kInfoColumnIndex = 4; // Combo4

// Command9: the stop-name strip's colours.
inline constexpr std::size_t kStripBack = 0;
inline constexpr std::size_t kStripFore = 1;

// txtSelectSound and cmdSelectSound. There is no element 2.
inline constexpr std::size_t kSoundRouteSet = 0;
inline constexpr std::size_t kSoundKey = 1;
inline constexpr std::size_t kSoundAnnounceAlways = 3;
inline constexpr std::size_t kSoundAnnounceByFlag = 4; // 4..6: flags 1..3
inline constexpr std::size_t kSoundAdvanceAlways = 7;
inline constexpr std::size_t kSoundAdvanceByValue = 8; // 8..10: values 1..3
inline constexpr std::size_t kSoundBoxCount = 11;

// Option2: which rule picks a sound.
inline constexpr std::size_t kAdvanceAlways = 0;
inline constexpr std::size_t kAdvanceByColumn = 1;
inline constexpr std::size_t kAnnounceAlways = 2;
inline constexpr std::size_t kAnnounceByFlag = 3;

// Option6 (forward / back) and Option7 (before announcements): how it plays.
inline constexpr std::size_t kSync = 0;
inline constexpr std::size_t kAsync = 1;

// Option5 and Frame2: the sound sub-pages.
inline constexpr std::size_t kSoundsBeforeAnnouncements = 0;
inline constexpr std::size_t kSoundsForwardBack = 1;

// Option4: the ticket date.
inline constexpr std::size_t kDatePerPrint = 0;
inline constexpr std::size_t kDateAtRouteSet = 1;
inline constexpr std::size_t kDateFixed = 2;

} // namespace options::index
