#include "ride/RidePlan.h"

#include <algorithm>
#include <cmath>

namespace ride {

RidePlan::RidePlan(std::optional<route::Timetable> timetable, int rows, RidePace pace)
    : timetable_(std::move(timetable)), rows_(rows), pace_(pace) {
    if (timetable_ && int(timetable_->Rows.size()) < rows_) rows_ = int(timetable_->Rows.size());
    arrivals_.assign(size_t(std::max(rows_, 1)), 0);
    for (int row = 1; row < rows_; ++row)
        arrivals_[size_t(row)] = arrivals_[size_t(row - 1)] + dwellMs(row) + legMs(row);
}

qint64 RidePlan::arrivalMs(int from, int row) const {
    const auto at = [&](int r) { return arrivals_[size_t(std::clamp(r, 1, int(arrivals_.size())) - 1)]; };
    return at(row) - at(from);
}

qint64 RidePlan::scaled(double seconds) const {
    const double real = std::max(0.0, seconds) / std::max(pace_.speed, 1e-6);
    return qint64(std::llround(1000.0 * std::min(real, std::max(pace_.maxGapSeconds, 0.0))));
}

qint64 RidePlan::dwellMs(int row) const {
    if (!timetable_ || row < 1 || row > rows_) return 0;
    const route::TimetableStop& stop = timetable_->Rows[size_t(row - 1)];
    if (!stop.Arrive || !stop.Depart) return 0;
    return scaled(*stop.Depart - *stop.Arrive);
}

qint64 RidePlan::legMs(int row) const {
    if (row < 1 || row >= rows_) return 0;
    if (!timetable_) return scaled(pace_.intervalSeconds);
    const route::TimetableStop& from = timetable_->Rows[size_t(row - 1)];
    const route::TimetableStop& to = timetable_->Rows[size_t(row)];
    const std::optional<int> leaves = from.Depart ? from.Depart : from.Arrive;
    const std::optional<int> arrives = to.Arrive ? to.Arrive : to.Depart;
    if (!leaves || !arrives) return 0;
    return scaled(*arrives - *leaves);
}

std::optional<int> RidePlan::timeAt(int row) const {
    if (!timetable_ || row < 1 || row > rows_) return std::nullopt;
    const route::TimetableStop& stop = timetable_->Rows[size_t(row - 1)];
    return stop.Arrive ? stop.Arrive : stop.Depart;
}

} // namespace ride
