#pragma once
// A recording stand-in for the desktop shell: the folders asked to be opened,
// and the answer to give. ScopedShell installs it and puts the previous one
// back.

#include "platform_ui/Shell.h"
#include "tests/support/ScopedSeam.h"

#include <QStringList>
#include <memory>

namespace platform_ui::testing {

struct ShellLog {
    QStringList opened;
    bool answer = true;
};

class RecordingShell final : public Shell {
public:
    using Seam = Shell;
    explicit RecordingShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}
    bool openFolder(const QString& path) override {
        log_->opened << path;
        return log_->answer;
    }

private:
    std::shared_ptr<ShellLog> log_;
};

using ScopedShell = testing_support::ScopedSeam<ShellLog, RecordingShell>;

} // namespace platform_ui::testing
