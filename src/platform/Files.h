#pragma once
// File helpers. Writing a file so that a failure never leaves it half
// written: the bytes go to a temporary file beside it, which replaces the old
// one only once it is complete. The existence test of user-chosen files, and
// reading a file a user named without ever waiting on it or reading without
// end.

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>
#include <variant>

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

// True when a search for `path` finds a file, as a directory search on
// Windows does: "\" and "/" both separate folders and letter case does not
// matter. The last part of the path may hold the wildcards "*" and "?", and
// the test is then whether any file matches. Folders are not files; an empty
// path finds nothing.
bool FileExist(const QString& path);

// The file that search finds, in the spelling it has here: a sound or picture
// path from a Windows settings file, "Sounds\Chime.WAV", opens
// sounds/chime.wav. Empty when FileExist is false; a path with wildcards is
// returned as it was written (nothing opens a pattern).
QString findUserFile(const QString& path);

// The path of a data file in a folder the user typed: an empty folder names
// the bare file name (relative to the current folder); a folder that does not
// end in a separator gets one. "\" and "/" both separate folders, so a folder
// written on Windows names the same file here.
QString dataFilePath(const QString& folder, const QString& fileName);
// The folder itself in that form: ending in a separator, or empty.
QString dataFolder(const QString& folder);

// The file at `path` as Windows finds it, where names do not depend on letter
// case: when no entry has exactly that name, each part of the path that is
// not there is looked up in its folder without regard to case (a user's
// "Fares/12.HY3" for "fares/12.hy3"); the last part names a file, the others
// folders. Returns `path` unchanged when nothing matches, and on Windows
// always.
QString findFileIgnoringCase(const QString& path);

// ---- reading a file a user named ------------------------------------------------

// Why a file is not read. A named pipe would hold the reader until someone
// writes to it, a device such as /dev/zero never ends, and a file far larger
// than its kind can be would take the memory; none of them is read.
struct ReadFailure {
    enum class Kind {
        Missing,    // nothing by that name (a link that leads nowhere too)
        Folder,     // a folder
        NotRegular, // a named pipe, a device or a socket, or a link to one
        TooLarge,   // larger than the reader takes for its kind
        Unreadable, // the system refused to open or read it
    };
    Kind kind = Kind::Missing;
    QString systemError; // Unreadable: the system's own words
    qint64 limit = 0;    // TooLarge: the most the reader takes

    // What the file is, to follow its name: "is a folder", "is larger than
    // 1048576 bytes", "cannot be read: Permission denied".
    QString reason() const;
    // The name and the reason: "/data/1.hy3 is a folder".
    QString message(const QString& path) const;
};

// Whether `path` names a regular file (following links), found out without
// opening it, so never waiting.
std::optional<ReadFailure> checkRegularFile(const QString& path);

// The whole of the regular file at `path`, when it holds at most `maxBytes`.
// The file is opened without waiting even when it became a pipe after the
// check, and no more than `maxBytes` + 1 bytes are ever read.
std::variant<QByteArray, ReadFailure> readRegularFile(const QString& path, qint64 maxBytes);

// The first `maxBytes` of the regular file at `path`, for a format whose
// reader ignores what follows its data: a larger file is read no further.
std::variant<QByteArray, ReadFailure> readRegularFileStart(const QString& path, qint64 maxBytes);

} // namespace platform
