#pragma once
// The numbered-ticket labels above the fare cells. Twelve numbering schemes
// decide what label 1 shows (a number, a word for "no ticket", or nothing) and
// whether the rest count from 1 or from 2; numbers are written in full-width
// digits, optionally with a leading zero for one-digit numbers.

#include "platform/Color.h"
#include "platform/Device.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

class Form1;

namespace options {

inline constexpr int kNumberingSchemeCount = 12;

// The entries of the numbering scheme list, in index order: the pattern, a
// half-width space and the last number shown (entry 0 also " （既定の表示）").
QStringList numberingSchemeItems();

// Half-width letters, digits and signs to their full-width forms.
QString toFullWidth(const QString& text);

// The text of ticket number n: full-width digits; with `zeroPad` at least two
// of them ("００", "０７", "１２").
QString ticketNumberText(int n, bool zeroPad);

// Label 1's type size: with a number, and with a word or nothing.
inline constexpr double kNumberPoints = 11.0;
inline constexpr double kWordPoints = 10.0;

// What the labels get under a scheme. texts[k] is label k's new text (1..84);
// an empty optional leaves the label's text as it is. Schemes outside 0..11
// number no label: below 0 only label 1's size is set (as for a number),
// above 11 label 1 becomes empty at the word size.
struct TicketLabelPlan {
    double firstPoints = kNumberPoints;
    std::array<std::optional<QString>, device::kFareCellCount + 1> texts{};
};
// `zeroPad` is the check state of "数字が1桁の番号は頭に0を付け足す": only a
// checked box (1) pads; a grey one does not.
TicketLabelPlan ticketLabelPlan(int scheme, int zeroPad);

// The message shown when writing the labels fails.
QString ticketLabelErrorText(int code, const QString& description);

} // namespace options

namespace mdlOrv_000 {

// Writes the ticket-number labels of the fare display by the numbering scheme
// (a position in the scheme list) and the zero-pad check state. A failure
// stops it with a critical message box; labels written before keep their
// new text.
void SeirikenNumSet(Form1& display, std::int16_t& scheme, std::int16_t& zeroPad);

} // namespace mdlOrv_000
