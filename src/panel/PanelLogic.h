#pragma once
// The operation panel's rules that need no window: the keypad entry, the
// route and section taken from an entry, what route setting does with the
// route's fare data file, the values the fare cells get for a stop, and the
// ticket date. The panel's widgets call these and only draw and wire.

#include "platform/Device.h"
#include "route/FareDataFile.h"
#include "route/FareTable.h"
#include "settings/LiveSettings.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

namespace panel {

// ---- entry ---------------------------------------------------------------------------

inline constexpr int kRouteDigits = device::kRouteDigits;
inline constexpr int kSectionDigits = device::kSectionDigits;
inline constexpr int kKeyRoute = 10;     // "系統": digits go to the route display
inline constexpr int kKeySection = 11;   // "区間": digits go to the section display
inline constexpr std::int16_t kFirstSection = 1;
inline constexpr std::int16_t kLastSection = 300;

// The keypad page's two small displays and where the digits go.
struct KeypadEntry {
    QString route;        // the route display
    QString section;      // the section display
    bool toRoute = false; // EntryToRoute: digits typed before a target key go to the section

    // Key 0..9 appends its digit to the target display while it has room;
    // "系統" and "区間" choose the target and empty it. There is no delete key:
    // pressing the target key again starts the entry afresh.
    void press(int key);
};

// The numeric value of an entry text: its leading decimal number, 0 when it
// starts with none (leading blanks are skipped). Never overflows.
qint64 leadingNumber(const QString& text);

// The section a run starts at: 0 is taken as 1, 301 or more as 300.
std::int16_t clampSection(qint64 section);

// The route number that names the route's files: the entry's numeric value
// without leading zeros ("00012" gives "12"; an empty entry "0").
QString routeNumberText(const QString& routeText);

// The digits a row of digit wheels stands for, most significant first. A
// wheel on which nothing was chosen shows its first digit, 0, and counts as 0.
QString wheelDigits(const std::vector<int>& selectedRows);

// ---- route setting -------------------------------------------------------------------

// What route setting does with the route's fare data file once it was read
// (or found missing). The run state (RouteText, StartSection, RowCount,
// CurrentRow and the fare table) changes only as below:
// - a missing file, a count of 0 rows, or a section the file cannot start at
//   (N - 1 below the section, also any negative count) give their message;
//   the entry is taken (RouteText, StartSection) and, once the count was
//   read, RowCount; CurrentRow and the fare table stay;
// - a file the fare data reader refuses (damaged, cut off, more rows than the
//   table holds, unreadable) gives its own description and changes nothing;
// - a good file replaces the fare table and puts the bus at the section.
struct RouteSetOutcome {
    bool loaded = false;
    QString message; // shown in a plain box when not loaded
};
RouteSetOutcome takeFareData(const QString& routeText, std::int16_t startSection, const route::FareDataResult& file);

// The messages of route setting.
QString missingRouteMessage();
QString sectionTooLargeMessage();

// ---- the fares on the device ---------------------------------------------------------

using settings::InfoDigits;

struct CellWrite {
    int cell = 0; // 1..84
    QVariant value;
    bool operator==(const CellWrite&) const = default;
};

// What the fare cells get, in order, for row n of the fare table (the bus at
// stop n): the fares of cells `startSection`..84 (cells before the start
// section keep what they show), doubled at late night except -1 (no fare);
// then the information digits in their fixed order, each over whatever the
// cell got before, so a later one wins a shared cell. The doubling is worked
// in a wider type, so a fare above 16383 shows its true double (a four-digit
// cell shows its last four digits). An information digit whose cell or
// column lies outside the lists writes nothing.
std::vector<CellWrite> fareCellWrites(const route::FareRow& row, int n, int startSection, bool lateNight,
                                      const InfoDigits& info, const QString& routeText);

// ---- the ticket date -------------------------------------------------------------------

using settings::TicketDateMode;

// A date as the ticket plug-in takes it: "mm-dd-yyyy".
QString pluginTicketDateText(const QDate& date);

// The ticket date route setting keeps: today for the first two modes, the
// fixed date for Fixed; with no mode chosen the previous one stays.
QString routeSetTicketDate(TicketDateMode mode, const QDate& today, const QString& fixedDate, const QString& previous);

// The ticket date of one print: today, the date kept at route setting, or
// otherwise the fixed date.
QString printTicketDate(TicketDateMode mode, const QDate& today, const QString& keptAtRouteSet,
                        const QString& fixedDate);

} // namespace panel
