#pragma once
// Showing a folder in the desktop's file manager, as the shell's "Open" does.
// Like the other seams it goes through one small interface: the program uses
// the desktop services, tests install a recording fake (tests/support/
// FakeShell.h) so that no test opens a window of another program. No command
// line is ever built from the path.

#include <QString>
#include <memory>

namespace platform_ui {

class Shell {
public:
    virtual ~Shell() = default;
    // Asks the desktop to open the folder; false when it could not.
    virtual bool openFolder(const QString& path) = 0;
};

Shell& shell();
// Replaces the implementation (null puts the desktop one back); returns the
// one replaced.
std::unique_ptr<Shell> install(std::unique_ptr<Shell> impl);

// "Open" on a folder. An empty path asks nothing; every failure is the
// caller's to ignore.
bool ShellOpen(const QString& path);

} // namespace platform_ui
