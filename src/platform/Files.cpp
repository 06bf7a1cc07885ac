#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// A path from a Windows settings file as this system writes it: "\" is a
// folder separator there, and only "/" is here.
QString localSeparators(const QString& path) {
#ifdef Q_OS_WIN
    return path;
#else
    QString local = path;
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
#endif
}

bool hasWildcards(const QString& name) { return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')); }

#ifndef Q_OS_WIN
// `path` with each part that is not there replaced by the entry of its folder
// whose name differs only in letter case; the last part is looked for among
// the entries of `lastKind`, the others among folders. `path` itself when a
// part has no such entry.
QString resolveIgnoringCase(const QString& path, QDir::Filters lastKind) {
    if (QFileInfo::exists(path)) return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString found;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const bool last = i == parts.size() - 1;
        const QString prefix = i == 0 ? QString() : found + QLatin1Char('/');
        QString next = prefix + part;
        const bool special = part.isEmpty() || part == u"." || part == u"..";
        if (!special && !QFileInfo::exists(next)) {
            const QDir folder(i == 0 ? QStringLiteral(".") : (found.isEmpty() ? QStringLiteral("/") : found));
            const QStringList entries = folder.entryList(
                (last ? lastKind : QDir::Dirs) | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            const auto match = std::find_if(entries.cbegin(), entries.cend(), [&](const QString& entry) {
                return entry.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (match == entries.cend()) return path;
            next = prefix + *match;
        }
        found = next;
    }
    return found;
}
#endif

// The device's own error, or `otherwise` when it names none (a write that
// took fewer bytes than it was given is a write error all the same).
FileFailure failureOf(const QSaveFile& file, QFileDevice::FileError otherwise) {
    FileFailure f;
    f.error = file.error() == QFileDevice::NoError ? otherwise : file.error();
    f.reason = file.errorString();
    return f;
}
} // namespace

std::optional<FileFailure> replaceWith(QSaveFile& file, const QByteArray& bytes) {
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly)) return failureOf(file, QFileDevice::OpenError);
    if (file.write(bytes) != bytes.size()) {
        const FileFailure f = failureOf(file, QFileDevice::WriteError);
        file.cancelWriting();
        file.commit(); // discards the temporary file
        return f;
    }
    if (!file.commit()) return failureOf(file, QFileDevice::WriteError);
    return std::nullopt;
}

std::optional<FileFailure> replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return replaceWith(file, bytes);
}

bool FileExist(const QString& path) { return !findUserFile(path).isEmpty(); }

QString findUserFile(const QString& path) {
    if (path.trimmed().isEmpty()) return {};
    const QString local = localSeparators(path);
    const qsizetype slash = local.lastIndexOf(QLatin1Char('/'));
    const QString name = local.mid(slash + 1);
    if (name.isEmpty()) return {};
    if (!hasWildcards(name)) {
        const QString found = findFileIgnoringCase(local);
        const QFileInfo info(found);
        return info.exists() && !info.isDir() ? found : QString();
    }
    const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : local.left(slash));
#ifdef Q_OS_WIN
    QDir dir(folder);
#else
    QDir dir(resolveIgnoringCase(folder, QDir::Dirs));
#endif
    dir.setNameFilters({name});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    return dir.entryList().isEmpty() ? QString() : path;
}

QString dataFilePath(const QString& folder, const QString& fileName) { return dataFolder(folder) + fileName; }

QString dataFolder(const QString& folder) {
    if (folder.isEmpty()) return folder;
#ifdef Q_OS_WIN
    const QChar separator = QLatin1Char('\\');
    QString path = folder;
#else
    const QChar separator = QLatin1Char('/');
    QString path = folder;
    path.replace(QLatin1Char('\\'), separator);
#endif
    if (!path.endsWith(QLatin1Char('\\')) && !path.endsWith(QLatin1Char('/'))) path += separator;
    return path;
}

QString findFileIgnoringCase(const QString& path) {
#ifdef Q_OS_WIN
    return path;
#else
    if (QFileInfo(path).fileName().isEmpty()) return path;
    return resolveIgnoringCase(path, QDir::Files);
#endif
}

// ---- reading a file a user named ------------------------------------------------

QString ReadFailure::reason() const {
    switch (kind) {
    case Kind::Missing: return QStringLiteral("does not exist");
    case Kind::Folder: return QStringLiteral("is a folder");
    case Kind::NotRegular: return QStringLiteral("is not a regular file");
    case Kind::TooLarge: return QStringLiteral("is larger than %1 bytes").arg(limit);
    case Kind::Unreadable: break;
    }
    return QStringLiteral("cannot be read: ") + systemError;
}

QString ReadFailure::message(const QString& path) const { return path + QLatin1Char(' ') + reason(); }

namespace {

using Kind = ReadFailure::Kind;

ReadFailure failure(Kind kind, const QString& systemError = {}, qint64 limit = 0) {
    ReadFailure f;
    f.kind = kind;
    f.systemError = systemError;
    f.limit = limit;
    return f;
}
ReadFailure unreadable(const QString& why) { return failure(Kind::Unreadable, why); }

// Reads the regular file at `path`: at most `maxBytes` of it, or, with
// `whole`, all of it when that is no more than `maxBytes`.
std::variant<QByteArray, ReadFailure> readAtMost(const QString& path, qint64 maxBytes, bool whole) {
    if (auto refused = checkRegularFile(path)) return *refused;
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting: a name that became a named pipe since the check
    // opens at once, and the descriptor's own type is what is trusted.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return unreadable(qt_error_string(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return failure(Kind::NotRegular);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return unreadable(file.errorString());
#endif
    const ReadFailure tooLarge = failure(Kind::TooLarge, {}, maxBytes);
    if (whole && file.size() > maxBytes) return tooLarge;
    // Room for the size the file gives and one byte more, which finds its end
    // in the same read; a file that grows meanwhile is read on up to the
    // limit, and one byte past it tells that it became too large.
    const qint64 limit = whole ? maxBytes + 1 : maxBytes;
    QByteArray bytes(qsizetype(std::min(file.size() + 1, limit)), Qt::Uninitialized);
    qint64 got = 0;
    while (got < limit) {
        if (got == bytes.size()) bytes.resize(qsizetype(std::min(limit, qint64(bytes.size()) * 2 + 1)));
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0) return unreadable(file.errorString());
        if (n == 0) break;
        got += n;
    }
    if (whole && got > maxBytes) return tooLarge;
    bytes.truncate(qsizetype(got));
    return bytes;
}

} // namespace

std::optional<ReadFailure> checkRegularFile(const QString& path) {
    const QFileInfo info(path); // follows links: a link to /dev/zero is a device
    if (path.isEmpty() || !info.exists()) return failure(Kind::Missing);
    if (info.isDir()) return failure(Kind::Folder);
    if (!info.isFile()) return failure(Kind::NotRegular);
    return std::nullopt;
}

std::variant<QByteArray, ReadFailure> readRegularFile(const QString& path, qint64 maxBytes) {
    return readAtMost(path, maxBytes, true);
}

std::variant<QByteArray, ReadFailure> readRegularFileStart(const QString& path, qint64 maxBytes) {
    return readAtMost(path, maxBytes, false);
}

} // namespace platform
