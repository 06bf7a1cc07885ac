#pragma once
// The settings file (beside the executable, or in the user's configuration
// folder: platform/SettingsPlace.h): read once at start, written once at the
// end. The record moves between the file and the windows through an
// Exchange that the program supplies (the windows own the live values).

#include "settings/SettingsRecord.h"

#include <QString>

class QSaveFile;
#include <stdexcept>

namespace mdlIniIo {

// Raised by an Exchange when a control refuses a stored value, and used
// internally for file failures. `code` is the number shown after
// "エラー Code:", `description` the text after "内容:".
struct SettingsError : std::runtime_error {
    SettingsError(int code, const QString& description)
        : std::runtime_error(description.toStdString()), code(code), description(description) {}
    int code;
    QString description;
};

// Error numbers in the classic run-time's numbering, the ones the message
// boxes show.
namespace errors {
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIo = 57;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPropertyValue = 380;
} // namespace errors

class Exchange {
public:
    virtual ~Exchange() = default;
    // Fill the record from the windows (before writing).
    virtual void gather(settings::SettingsRecord& record) = 0;
    // Put the record into the windows (after reading), in the program's
    // order. May throw SettingsError; what was applied before stays.
    virtual void apply(const settings::SettingsRecord& record) = 0;
};

// Program folder, a separator, the model and ".in4".
QString settingsPath(const QString& programFolder, const QString& model);
// Where this process writes its settings (platform::settingsPlace(): beside
// the program, or in the user's configuration folder).
QString settingsPath();

// The module's record: the transfer buffer between file and windows. Fields
// that no window holds keep what the file gave them (or their initial
// values), so a save never loses a setting it did not touch.
settings::SettingsRecord& record();

// Reads the settings file at `path` into the record and applies it through
// `exchange`. A missing file is skipped silently. A file too short to hold
// the whole record (empty, or cut off: never one this program wrote, as it
// replaces the file whole) is kept beside as "<name>.bad" and said so once;
// every field it holds is applied, and the fields it does not reach take
// the values the windows hold (gathered through `exchange`: the factory
// settings at start). Any other failure shows the load failure message and
// ends loading. Returns true when the whole file was read and applied.
bool LoadIni(Exchange& exchange, const QString& path);

// Gathers the record through `exchange` and writes it to `path`, replacing the
// old file only once the new one is complete. A failure shows the save failure
// message; the previous file stays whole. A folder that cannot take the
// temporary file beside a writable settings file still gets the settings,
// written in place. Returns true on success.
bool SaveIni(Exchange& exchange, const QString& path);
// The same through a save file that is not yet open, named for the settings
// file (the path form makes one that may write in place).
bool SaveIni(Exchange& exchange, QSaveFile& file);

// The message texts, exposed for the tests.
QString loadFailureText(int code, const QString& description);
// The notice for a file cut short after `fieldsRead` whole fields (0: empty,
// or cut in the first); `keptAs` is the copy kept, empty when none could be
// made.
QString damagedFileText(const QString& path, const QString& keptAs, int fieldsRead);
QString saveFailureText(int code, const QString& description);

} // namespace mdlIniIo
