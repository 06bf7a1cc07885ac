#include "platform/Files.h"

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

} // namespace platform
