#pragma once
// File helpers. Writing a file so that a failure never leaves it half
// written: the bytes go to a temporary file beside it, which replaces the old
// one only once it is complete. And the existence test of user-chosen files.

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

class QSaveFile;

namespace platform {

struct FileFailure {
    QFileDevice::FileError error = QFileDevice::UnspecifiedError;
    QString reason; // the system's own words
};

// Opens `file` (unless it is open already), writes `bytes` and commits. On any
// failure the writing is cancelled and the old file, if any, stays as it was
// (unless `file` was allowed to fall back to writing in place).
std::optional<FileFailure> replaceWith(QSaveFile& file, const QByteArray& bytes);

// The same for a path.
std::optional<FileFailure> replaceFile(const QString& path, const QByteArray& bytes);

// True when a search for `path` finds a file: the last part of the path may
// hold the wildcards "*" and "?" (matched without regard to case), and the
// test is then whether any file matches. Folders are not files; an empty path
// finds nothing.
bool FileExist(const QString& path);

} // namespace platform
