#pragma once
// A recording stand-in for the desktop shell: the folders asked to be opened,
// and the answer to give. ScopedShell installs it and puts the previous one
// back.

#include "platform_ui/Shell.h"

#include <QStringList>
#include <memory>

namespace platform_ui::testing {

struct ShellLog {
    QStringList opened;
    bool answer = true;
};

class RecordingShell final : public Shell {
public:
    explicit RecordingShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}
    bool openFolder(const QString& path) override {
        log_->opened << path;
        return log_->answer;
    }

private:
    std::shared_ptr<ShellLog> log_;
};

class ScopedShell {
public:
    ScopedShell() : log_(std::make_shared<ShellLog>()) { previous_ = install(std::make_unique<RecordingShell>(log_)); }
    ~ScopedShell() { install(std::move(previous_)); }
    ScopedShell(const ScopedShell&) = delete;
    ScopedShell& operator=(const ScopedShell&) = delete;

    ShellLog* operator->() { return log_.get(); }

private:
    std::shared_ptr<ShellLog> log_;
    std::unique_ptr<Shell> previous_;
};

} // namespace platform_ui::testing
