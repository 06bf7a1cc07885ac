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

// A path as the settings and the route setting write it, where a folder may
// end in "\" and a path may come from Windows, in the form this system
// opens: where the separator is "/", every "\" becomes one.
QString localPath(const QString& path);

// The file `path` names, its name matched without regard to letter case as
// the data files' names are on Windows (12TP.CSV is 12tp.csv): the path of
// that file, the exact name first; empty when there is none. Folders are not
// files.
QString findFileIgnoringCase(const QString& path);

} // namespace platform
