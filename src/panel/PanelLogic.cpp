#include "panel/PanelLogic.h"

#include "platform/Device.h"
#include "route/DataIo.h"
#include "route/mdlOrv_000.h"

#include <limits>
#include <variant>

namespace panel {

// ---- entry ---------------------------------------------------------------------------

void KeypadEntry::press(int key) {
    if (key == kKeyRoute) {
        toRoute = true;
        route.clear();
        return;
    }
    if (key == kKeySection) {
        toRoute = false;
        section.clear();
        return;
    }
    if (key < 0 || key > 9) return;
    QString& target = toRoute ? route : section;
    const int room = toRoute ? kRouteDigits : kSectionDigits;
    if (target.size() < room) target += QChar(QLatin1Char('0' + key));
}

qint64 leadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
    constexpr qint64 kCeiling = std::numeric_limits<qint64>::max() / 10 - 9;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        // Entries hold at most five digits; a longer text stops growing
        // rather than wrapping.
        if (value < kCeiling) value = value * 10 + (text[i].unicode() - u'0');
    }
    return value;
}

std::int16_t clampSection(qint64 section) {
    if (section < kFirstSection) return kFirstSection;
    if (section > kLastSection) return kLastSection;
    return std::int16_t(section);
}

QString routeNumberText(const QString& routeText) { return QString::number(leadingNumber(routeText)); }

QString wheelDigits(const std::vector<int>& selectedRows) {
    QString digits;
    for (const int row : selectedRows) digits += QChar(QLatin1Char(row >= 0 && row <= 9 ? char('0' + row) : '0'));
    return digits;
}

// ---- route setting -------------------------------------------------------------------

QString missingRouteMessage() {
    route::FareDataError missing;
    missing.Problem = route::FareDataError::Kind::FileMissing;
    return missing.userMessage();
}

QString sectionTooLargeMessage() {
    return QStringLiteral("指定した区間はデータの数よりも多いです...\r\n  解決法：正しい区間を入力して下さい.");
}

RouteSetOutcome takeFareData(const QString& routeText, std::int16_t startSection, const route::FareDataResult& file) {
    using Kind = route::FareDataError::Kind;
    mdlOrv_000::RunState& s = mdlOrv_000::state();
    auto takeEntry = [&] {
        s.RouteText = routeText;
        s.StartSection = startSection;
    };
    // The run cannot start at the last stop: sections 1 .. N - 1.
    auto sectionFits = [&](int rowCount) { return rowCount - 1 >= startSection; };

    if (const auto* e = std::get_if<route::FareDataError>(&file)) {
        switch (e->Problem) {
        case Kind::FileMissing:
            takeEntry();
            return {false, missingRouteMessage()};
        case Kind::NoRows:
            takeEntry();
            s.RowCount = 0;
            return {false, e->userMessage()};
        case Kind::NegativeRowCount:
        case Kind::TooManyRows:
        case Kind::RowCutOff:
        case Kind::NameRunsPastEnd:
            // The count is read before the rows: a section the count cannot
            // hold is the user's to mend first, whatever the rows hold.
            if (!sectionFits(e->RowCount)) {
                takeEntry();
                s.RowCount = std::int16_t(e->RowCount);
                return {false, sectionTooLargeMessage()};
            }
            break;
        case Kind::FileUnreadable:
        case Kind::NoRowCount: break;
        }
        // Refused whole: the route shown, its table and the position stay.
        return {false, e->userMessage()};
    }

    const route::FareData& data = std::get<route::FareData>(file);
    const int rowCount = int(data.Rows.size());
    takeEntry();
    s.RowCount = std::int16_t(rowCount);
    if (!sectionFits(rowCount)) return {false, sectionTooLargeMessage()};
    s.CurrentRow = std::int16_t(startSection - 1);
    DataIo::StoreFareData(data);
    return {true, {}};
}

// ---- the fares on the device ---------------------------------------------------------

std::vector<CellWrite> fareCellWrites(const route::FareRow& row, int n, int startSection, bool lateNight,
                                      const InfoDigits& info, const QString& routeText) {
    constexpr int kCells = device::kFareCellCount;
    std::vector<CellWrite> writes;
    writes.reserve(kCells + 4);
    for (int i = std::max(startSection, 1); i <= kCells; ++i) {
        int v = row.Cols[size_t(i - 1)];
        if (lateNight && v != route::kNoFare) v *= 2;
        writes.push_back({i, v});
    }

    auto info1 = [&](bool on, int listPosition, const QVariant& value) {
        const int cell = listPosition + 1;
        if (on && cell >= 1 && cell <= kCells) writes.push_back({cell, value});
    };
    info1(info.stopOrderOn, info.stopOrderCell, info.stopOrderFromZero ? n - 1 : n);
    info1(info.ticketNumOn, info.ticketNumCell, int(row.TicketNo));
    info1(info.routeNumOn, info.routeNumCell, routeText); // as entered, leading zeros kept
    const int column = info.columnIndex + 1;
    if (column >= 1 && column <= route::kFareColumns)
        info1(info.columnOn, info.columnCell, int(row.Cols[size_t(column - 1)]));
    return writes;
}

// ---- the ticket date -------------------------------------------------------------------

QString pluginTicketDateText(const QDate& date) { return date.toString(QStringLiteral("MM-dd-yyyy")); }

QString routeSetTicketDate(TicketDateMode mode, const QDate& today, const QString& fixedDate, const QString& previous) {
    switch (mode) {
    case TicketDateMode::PerPrint:
    case TicketDateMode::AtRouteSet: return pluginTicketDateText(today);
    case TicketDateMode::Fixed: return fixedDate;
    case TicketDateMode::None: break;
    }
    return previous;
}

QString printTicketDate(TicketDateMode mode, const QDate& today, const QString& keptAtRouteSet,
                        const QString& fixedDate) {
    switch (mode) {
    case TicketDateMode::PerPrint: return pluginTicketDateText(today);
    case TicketDateMode::AtRouteSet: return keptAtRouteSet;
    case TicketDateMode::Fixed:
    case TicketDateMode::None: break;
    }
    return fixedDate;
}

} // namespace panel
