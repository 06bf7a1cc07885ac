#pragma once
// Who the program is: its folder and its model number (型番). The model is the
// executable's file name as it was started, without its extension: a copy or
// a link under another name is another device with its own settings file.

#include <QString>

namespace platform {

struct ProgramIdentity {
    QString folder; // absolute, without a trailing separator
    QString model;  // e.g. "ferrotab", "LED-84"
};

// From argv[0] as the program was started. A bare name (found through PATH)
// falls back to the folder of the running executable. The link itself is not
// resolved, so a link named LED-84 keeps its own name.
ProgramIdentity identityFromArgv0(const QString& argv0, const QString& runningExecutablePath);

// A file name without its extension, whatever the extension: "LED-9.bin" and
// "LED-9.exe" are "LED-9", "LED-9.v2.exe" is "LED-9.v2"; a name without a dot
// after its first character stays whole.
QString modelFromFileName(const QString& fileName);

// The program's release: major, minor and revision numbers.
struct ProgramVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int revision = 0;
};
ProgramVersion programVersion();

// The identity of this process; set once at start by main().
const ProgramIdentity& programIdentity();
void setProgramIdentity(ProgramIdentity identity);

} // namespace platform
