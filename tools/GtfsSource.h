#pragma once
// A GTFS feed on disk: the zip an operator publishes, or a folder it was
// unpacked into. Feeds zipped with their files in one folder inside the zip
// (or unpacked into one folder more) are found there too.

#include "tools/GtfsFeed.h"

#include <QString>
#include <variant>

namespace gtfs {

// Files larger than this are refused rather than read into memory (a real
// stop_times.txt of a large operator is some hundred megabytes).
inline constexpr qint64 kMaxFeedFileBytes = qint64(1) << 30;

// A source over the zip or folder at `path`, or why there is none.
std::variant<FeedSource, GtfsError> openFeed(const QString& path);

} // namespace gtfs
