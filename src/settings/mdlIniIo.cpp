#include "settings/mdlIniIo.h"

#include "platform/Files.h"
#include "platform/SettingsPlace.h"
#include "platform/Seams.h"
#include "settings/SettingsCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace mdlIniIo {

namespace {

int codeFor(QFileDevice::FileError error, const QString& path) {
    switch (error) {
    case QFileDevice::PermissionsError: return errors::PermissionDenied;
    case QFileDevice::OpenError:
        return QFileInfo(QFileInfo(path).absolutePath()).isDir() ? errors::PathFileAccess : errors::PathNotFound;
    case QFileDevice::ReadError:
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError: return errors::DeviceIo;
    default: return errors::PathFileAccess;
    }
}

QString describe(QString reason, const QString& path) {
    if (reason.isEmpty()) reason = QStringLiteral("Unknown error");
    return QStringLiteral("%1 (%2)").arg(reason, QDir::toNativeSeparators(path));
}

} // namespace

QString settingsPath(const QString& programFolder, const QString& model) {
    return platform::settingsFilePath(programFolder, model);
}

QString settingsPath() { return platform::settingsPlace().settingsFile; }

settings::SettingsRecord& record() {
    static settings::SettingsRecord r;
    return r;
}

QString loadFailureText(int code, const QString& description) {
    return QStringLiteral("エラー Code:%1\r\n内容:%2\r\nモジュール:mdlIniIo.LoadIni()").arg(code).arg(description);
}

QString damagedFileText(const QString& path, const QString& keptAs, int fieldsRead) {
    QString text = fieldsRead > 0
                       ? QStringLiteral("設定ファイルが途中で切れています。全%1項目のうち読めた%2項目を使い、"
                                        "残りは初期設定で起動します。\r\n")
                             .arg(settings::kFieldCount)
                             .arg(fieldsRead)
                       : QStringLiteral("設定ファイルが壊れているため、初期設定で起動します。\r\n");
    text += QDir::toNativeSeparators(path);
    if (keptAs.isEmpty()) return text + QStringLiteral("\r\n壊れたファイルの写しを残せませんでした。");
    return text + QStringLiteral("\r\n壊れたファイルは次の名前で残しました：\r\n") + QDir::toNativeSeparators(keptAs);
}

QString saveFailureText(int code, const QString& description) {
    return QStringLiteral("エラー Code:%1\r\n内容:%2").arg(code).arg(description);
}

bool LoadIni(Exchange& exchange, const QString& path) {
    // The existence test: a missing file (or a name that is no file at all)
    // ends loading silently and changes nothing.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return false;

    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw SettingsError(codeFor(file.error(), path), describe(file.errorString(), path));
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw SettingsError(codeFor(file.error(), path), describe(file.errorString(), path));
        file.close();

        settings::SettingsRecord read = record();
        const int fieldsRead = settings::decodeSettings(bytes, read);
        if (fieldsRead < settings::kFieldCount) {
            // Cut short: never a file this program wrote whole, but one a
            // power cut caught while it was being written. What it holds is
            // the user's; the fields it does not reach keep what the windows
            // hold now (the factory settings at start), never 0, so no
            // colour turns black and no window goes to the corner. The file
            // is kept as it was found, and told once.
            read = record();
            exchange.gather(read);
            settings::decodeSettings(bytes, read);
            const QString keptAs = path + QStringLiteral(".bad");
            const bool kept = !platform::replaceFile(keptAs, bytes).has_value();
            platform::MsgBox(damagedFileText(path, kept ? keptAs : QString(), fieldsRead),
                             platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
        }
        record() = read;
        exchange.apply(record());
        return fieldsRead == settings::kFieldCount;
    } catch (const SettingsError& e) {
        platform::MsgBox(loadFailureText(e.code, e.description));
    } catch (const std::exception& e) {
        platform::MsgBox(loadFailureText(errors::DeviceIo, QString::fromLocal8Bit(e.what())));
    }
    return false;
}

bool SaveIni(Exchange& exchange, const QString& path) {
    // Written beside the old file and renamed over it at the end, so a failure
    // half-way never costs the settings already saved. A folder that cannot
    // take the temporary file still gets its settings, written in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    return SaveIni(exchange, file);
}

bool SaveIni(Exchange& exchange, QSaveFile& file) {
    const QString path = file.fileName();
    try {
        exchange.gather(record());
        const QByteArray bytes = settings::encodeSettings(record());
        if (auto failure = platform::replaceWith(file, bytes))
            throw SettingsError(codeFor(failure->error, path), describe(failure->reason, path));
        return true;
    } catch (const SettingsError& e) {
        platform::MsgBox(saveFailureText(e.code, e.description));
    } catch (const std::exception& e) {
        platform::MsgBox(saveFailureText(errors::DeviceIo, QString::fromLocal8Bit(e.what())));
    }
    return false;
}

} // namespace mdlIniIo
