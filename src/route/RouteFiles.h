#pragma once
// The names of a route's files. Route setting looks for them by the route
// number as decimal text without leading zeros (route 00012 reads "12.hy3"),
// each in its own data folder:
//
//   <n>.hy3     the fare data
//   <n>tp.csv   the broadcast data (announcements)
//   <n>tt.csv   the timetable, beside the fare data
//
// Copied from Windows, a name may differ in case ("12TP.CSV"); the readers
// find it all the same (platform::findFileIgnoringCase).

#include "platform/Files.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace route {

enum class RouteFile { FareData, Broadcast, Timetable };

// What follows the route number in the file's name.
inline QString routeFileSuffix(RouteFile kind) {
    switch (kind) {
    case RouteFile::FareData:
        return QStringLiteral(".hy3");
    case RouteFile::Broadcast:
        return QStringLiteral("tp.csv");
    case RouteFile::Timetable:
        return QStringLiteral("tt.csv");
    }
    return {};
}

// "12" -> "12.hy3", "12tp.csv", "12tt.csv".
inline QString routeFileName(RouteFile kind, const QString& routeNumber) {
    return routeNumber + routeFileSuffix(kind);
}

// Where route setting finds a route's file in a data folder as the user typed
// it (empty: the current folder), whatever the letter case of its name; the
// timetable ride looks for the same files here.
inline QString routeFilePath(const QString& folder, RouteFile kind, const QString& routeNumber) {
    return platform::findFileIgnoringCase(platform::dataFilePath(folder, routeFileName(kind, routeNumber)));
}

// The kind a file's name says it is, by its ending in any letter case.
inline std::optional<RouteFile> routeFileKind(QStringView fileName) {
    for (RouteFile kind : {RouteFile::FareData, RouteFile::Broadcast, RouteFile::Timetable})
        if (fileName.endsWith(routeFileSuffix(kind), Qt::CaseInsensitive)) return kind;
    return std::nullopt;
}

// The same route's file of another kind beside `path` ("a/12tt.csv" ->
// "a/12.hy3"); nothing when `path` is not named as a route's file.
inline std::optional<QString> routeFileBeside(const QString& path, RouteFile other) {
    const auto kind = routeFileKind(path);
    if (!kind) return std::nullopt;
    return path.chopped(routeFileSuffix(*kind).size()) + routeFileSuffix(other);
}

} // namespace route
