#pragma once
// ferrotab-data: make, inspect and convert a route's fare data, broadcast
// data and timetable files. The command line is parsed and run here, apart
// from main(), so the tests drive exactly what a user runs.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace faretool {

struct ToolOutput {
    int ExitCode = 0;
    QByteArray Out; // standard output, UTF-8
    QString Err;    // standard error
};

// The exit codes: success, bad data, and a command line that makes no sense.
enum Exit { kOk = 0, kBadData = 1, kUsage = 2 };

// A failure with its exit code; a usage error points to the help.
ToolOutput fail(int code, const QString& why);

// args without the program name, e.g. {"check", "12.hy3"}.
ToolOutput runFareDataTool(const QStringList& args);

QString usageText();

// A route number as the driver keys it in, 1..99999 (leading zeros allowed),
// for --number; nothing when `text` is not one.
std::optional<int> routeNumberArg(const QString& text);
QString routeNumberError(const QString& text);

} // namespace faretool
