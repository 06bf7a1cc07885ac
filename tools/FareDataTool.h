#pragma once
// ferrotab-data: make, inspect and convert a route's fare data and broadcast
// data files. The command line is parsed and run here, apart from main(), so
// the tests drive exactly what a user runs.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace faretool {

struct ToolOutput {
    int ExitCode = 0;
    QByteArray Out; // standard output, UTF-8
    QString Err;    // standard error
};

// args without the program name, e.g. {"check", "12.hy3"}.
ToolOutput runFareDataTool(const QStringList& args);

QString usageText();

} // namespace faretool
