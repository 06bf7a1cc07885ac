#pragma once
// The times of a ride by itself: how long the bus waits at each stop and how
// long it takes to the next, in real time. From the route's timetable (the
// stop's dwell is its departure less its arrival; a leg runs from one stop's
// departure to the next stop's arrival) or, without one, one interval for
// every leg. Time is scaled by the ride's speed (1 = real time, 60 = a minute
// a second), and no wait is longer than the cap, so a long rural leg does not
// look like a program that froze.

#include "protocol/Vocabulary.h"
#include "route/Timetable.h"

#include <QtGlobal>
#include <optional>
#include <vector>

namespace ride {

// A ride's pace; left alone, the "ride" command's defaults.
struct RidePace {
    double speed = protocol::defaultOf(QStringLiteral("ride"), QStringLiteral("speed")).toDouble(); // > 0
    // The longest real wait between two events, > 0.
    double maxGapSeconds = protocol::defaultOf(QStringLiteral("ride"), QStringLiteral("maxGap")).toDouble();
    // Each leg without a timetable (before scaling), >= 0.
    double intervalSeconds = protocol::defaultOf(QStringLiteral("ride"), QStringLiteral("interval")).toDouble();
};

class RidePlan {
public:
    // `rows`: the route's rows; a timetable, when given, has one per row.
    RidePlan(std::optional<route::Timetable> timetable, int rows, RidePace pace);

    int rows() const { return rows_; }
    bool hasTimetable() const { return timetable_.has_value(); }
    const std::optional<route::Timetable>& timetable() const { return timetable_; }
    const RidePace& pace() const { return pace_; }

    // Real milliseconds the bus waits at `row` (1-based) before it leaves.
    qint64 dwellMs(int row) const;
    // Real milliseconds from leaving `row` to arriving at `row` + 1.
    qint64 legMs(int row) const;
    // Real milliseconds from arriving at `from` to arriving at `row` (both
    // 1-based, `from` <= `row`): the waits and legs between, each scaled and
    // capped as above. Every event of a ride keeps this place on the clock,
    // so lateness at one stop is not carried to the next.
    qint64 arrivalMs(int from, int row) const;
    // The timetable's arrival at `row`, as seconds of the service day, when
    // it has one (for showing); the departure where the arrival is missing.
    std::optional<int> timeAt(int row) const;

private:
    qint64 scaled(double seconds) const;

    std::optional<route::Timetable> timetable_;
    int rows_;
    RidePace pace_;
    std::vector<qint64> arrivals_; // row n's arrival, counted from row 1's, at n - 1
};

} // namespace ride
