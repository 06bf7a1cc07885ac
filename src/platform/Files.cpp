#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

namespace {
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

bool FileExist(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    // Either separator names a folder: users' settings may come from Windows.
    QString normalised = path;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qsizetype slash = normalised.lastIndexOf(QLatin1Char('/'));
    const QString name = normalised.mid(slash + 1);
    if (name.isEmpty()) return false;
    if (!name.contains(QLatin1Char('*')) && !name.contains(QLatin1Char('?'))) {
        const QFileInfo info(path);
        return info.exists() && !info.isDir();
    }
    const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : normalised.left(slash));
    QDir dir(folder);
    dir.setNameFilters({name});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    return !dir.entryList().isEmpty();
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
    const QFileInfo info(path);
    if (info.exists() || info.fileName().isEmpty()) return path;
    const QDir folder = info.dir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return path.left(path.size() - info.fileName().size()) + entry;
    return path;
#endif
}

} // namespace platform
