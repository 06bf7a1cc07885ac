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
    QString name = hasFolder || argv0.isEmpty() ? info.fileName() : QFileInfo(argv0).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) name.chop(4);
    id.model = name.isEmpty() ? QStringLiteral("ferrotab") : name;
    return id;
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
