#pragma once
// Where a device keeps the files it writes: its settings (<model>.in4) and its
// control interface's file (<model>.control.json).
//
// Beside the program, as on Windows, wherever the program may write there: a
// build tree, a device folder the user copied, an install in the user's own
// folder. An installed program's folders (<prefix>/bin beside
// <prefix>/share/ferrotab, and the installed sample device in the latter)
// belong to the package manager, which would leave behind any file written
// there, so they are never written, not even by an administrator; those
// devices, and any whose folder the user may not write, keep their files in
// the user's configuration folder for Ferrotab. A settings file already
// beside the program (an administrator's prepared device, the installed
// sample's settings) is read from there until the device has one of its own;
// it is never moved, changed or deleted.

#include <QString>

namespace platform {

struct SettingsPlace {
    QString folder;             // where <model>.in4 and <model>.control.json are written
    QString settingsFile;       // <folder>/<model>.in4, written at the end
    QString settingsFileToRead; // read at start: settingsFile, or the one beside the program
};

// The decision itself, for a device `model` in `programFolder`. Where the
// program may write in its folder, that is the place; otherwise
// `userConfigFolder`, and the settings file beside the program is read while
// that folder has none.
SettingsPlace settingsPlace(const QString& programFolder, const QString& model, bool programMayWrite,
                            const QString& userConfigFolder);
// The same on this machine: programMayWriteIn(programFolder) and
// userConfigFolder(). ferrotab-ctl finds a device's control file in its
// `folder` too.
SettingsPlace settingsPlace(const QString& programFolder, const QString& model);
// This process's device (programIdentity()).
SettingsPlace settingsPlace();

// Which settings file is in use, for the user: "設定ファイル: PATH", and the
// file read at start on a line of its own when it is another.
QString settingsFileNote(const SettingsPlace& place);

// <folder>/<model>.in4
QString settingsFilePath(const QString& folder, const QString& model);

// $XDG_CONFIG_HOME/ferrotab, by default ~/.config/ferrotab (on Windows the
// user's local application data folder, ...\Ferrotab). Made when the first
// file is written there.
QString userConfigFolder();

// False for an installed program's folder (see above); otherwise whether a
// file can be made in `folder` now (tried, not guessed from the permission
// bits, which neither Windows' access lists nor a read-only mount show).
bool programMayWriteIn(const QString& folder);

} // namespace platform
