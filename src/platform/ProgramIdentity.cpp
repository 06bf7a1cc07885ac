#include "platform/ProgramIdentity.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

ProgramIdentity identityFromArgv0(const QString& argv0, const QString& runningExecutablePath) {
    const bool hasFolder = argv0.contains(QLatin1Char('/')) || argv0.contains(QLatin1Char('\\'));
    const QString path = hasFolder ? argv0 : runningExecutablePath;
    QString normalised = path;
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QFileInfo info(normalised);
    ProgramIdentity id;
    // absolutePath() does not follow links, unlike canonicalPath().
    id.folder = QDir::cleanPath(info.absolutePath());
    const QString name = hasFolder || argv0.isEmpty() ? info.fileName() : QFileInfo(argv0).fileName();
    const QString model = modelFromFileName(name);
    id.model = model.isEmpty() ? QStringLiteral("ferrotab") : model;
    return id;
}

QString modelFromFileName(const QString& fileName) {
    // The extension is what follows the last dot; a dot that starts the name
    // begins no extension (a hidden file on Unix).
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

ProgramVersion programVersion() {
    return {FERROTAB_VERSION_MAJOR, FERROTAB_VERSION_MINOR, FERROTAB_VERSION_PATCH};
}

namespace {
ProgramIdentity& current() {
    static ProgramIdentity id{QDir::currentPath(), QStringLiteral("ferrotab")};
    return id;
}
} // namespace

const ProgramIdentity& programIdentity() { return current(); }
void setProgramIdentity(ProgramIdentity identity) { current() = std::move(identity); }

} // namespace platform
