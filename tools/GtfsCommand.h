#pragma once
// ferrotab-data gtfs: a route's fare data, broadcast data and timetable from
// a GTFS-JP feed (see docs/gtfs-jp.md).

#include "tools/FareDataTool.h"

#include <QString>
#include <QStringList>

namespace faretool {

// args after "gtfs", e.g. {"feed.zip", "--list"}.
ToolOutput runGtfsCommand(const QStringList& args);

// The lines of the tool's help text about the command.
QString gtfsUsageText();

} // namespace faretool
