#include "platform/Files.h"

#include <QSaveFile>

namespace platform {

namespace {
FileFailure failureOf(const QSaveFile& file) {
    FileFailure f;
    f.error = file.error() == QFileDevice::NoError ? QFileDevice::UnspecifiedError : file.error();
    f.reason = file.errorString();
    return f;
}
} // namespace

std::optional<FileFailure> replaceWith(QSaveFile& file, const QByteArray& bytes) {
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly)) return failureOf(file);
    if (file.write(bytes) != bytes.size()) {
        const FileFailure f = failureOf(file);
        file.cancelWriting();
        file.commit(); // discards the temporary file
        return f;
    }
    if (!file.commit()) return failureOf(file);
    return std::nullopt;
}

std::optional<FileFailure> replaceFile(const QString& path, const QByteArray& bytes, DirectWrite fallback) {
    QSaveFile file(path);
    file.setDirectWriteFallback(fallback == DirectWrite::WhenNoTempFile);
    return replaceWith(file, bytes);
}

} // namespace platform
