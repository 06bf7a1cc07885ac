#include "platform/SettingsPlace.h"

#include "platform/ProgramIdentity.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace platform {

namespace {

// An installation: <prefix>/bin/ferrotab beside <prefix>/share/ferrotab.
bool isInstallation(const QString& prefix) {
    return QFileInfo(prefix + QStringLiteral("/share/ferrotab")).isDir() &&
           QFileInfo::exists(prefix + QStringLiteral("/bin/ferrotab"));
}

bool isInstalledFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath()));
    // Its <prefix>/bin.
    if (clean.endsWith(QStringLiteral("/bin")) && isInstallation(clean.chopped(4))) return true;
    // Inside its <prefix>/share/ferrotab: the installed sample device.
    const QString share = QStringLiteral("/share/ferrotab");
    const qsizetype at = clean.indexOf(share);
    return at >= 0 && (clean.size() == at + share.size() || clean.at(at + share.size()) == u'/') &&
           isInstallation(clean.left(at));
}

} // namespace

SettingsPlace settingsPlace(const QString& programFolder, const QString& model, bool programMayWrite,
                            const QString& userConfigFolder) {
    SettingsPlace place;
    place.folder = programMayWrite ? programFolder : userConfigFolder;
    place.settingsFile = settingsFilePath(place.folder, model);
    place.settingsFileToRead = place.settingsFile;
    if (!programMayWrite && !QFileInfo::exists(place.settingsFile)) {
        const QString beside = settingsFilePath(programFolder, model);
        if (QFileInfo::exists(beside)) place.settingsFileToRead = beside;
    }
    return place;
}

SettingsPlace settingsPlace(const QString& programFolder, const QString& model) {
    return settingsPlace(programFolder, model, programMayWriteIn(programFolder), userConfigFolder());
}

SettingsPlace settingsPlace() {
    const ProgramIdentity& id = programIdentity();
    return settingsPlace(id.folder, id.model);
}

QString settingsFileNote(const SettingsPlace& place) {
    QString note = QStringLiteral("設定ファイル: ") + QDir::toNativeSeparators(place.settingsFile);
    if (place.settingsFileToRead != place.settingsFile)
        note +=
            QStringLiteral("\n読み込む設定ファイル: ") + QDir::toNativeSeparators(place.settingsFileToRead);
    return note;
}

QString settingsFilePath(const QString& folder, const QString& model) {
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\'))) path += QLatin1Char('/');
    return path + model + QStringLiteral(".in4");
}

QString userConfigFolder() {
    // Linux: $XDG_CONFIG_HOME or ~/.config; Windows: %LOCALAPPDATA%.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ferrotab");
}

bool programMayWriteIn(const QString& folder) {
    if (isInstalledFolder(folder)) return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".ferrotab-write-test-XXXXXX")));
    return probe.open(); // removed again when it goes
}

} // namespace platform
