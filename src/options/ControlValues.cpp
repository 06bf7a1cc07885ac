#include "options/ControlValues.h"

namespace options {

QString invalidValueDescription(const QString& control, int value) {
    return QStringLiteral("プロパティの値が不正です。（%1 = %2）").arg(control).arg(value);
}

std::optional<Qt::CheckState> checkStateFor(std::int16_t value) {
    switch (value) {
    case 0: return Qt::Unchecked;
    case 1: return Qt::Checked;
    case 2: return Qt::PartiallyChecked;
    default: return std::nullopt;
    }
}

std::int16_t checkValueOf(Qt::CheckState state) {
    switch (state) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

QString fixedDateText(int year, int month, int day) {
    return QStringLiteral("%1/%2/%3").arg(year).arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
}

} // namespace options
