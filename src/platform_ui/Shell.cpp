#include "platform_ui/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform_ui {

namespace {

class DesktopShell final : public Shell {
public:
    bool openFolder(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }
};

std::unique_ptr<Shell>& current() {
    static std::unique_ptr<Shell> impl = std::make_unique<DesktopShell>();
    return impl;
}

} // namespace

Shell& shell() { return *current(); }

std::unique_ptr<Shell> install(std::unique_ptr<Shell> impl) {
    auto previous = std::move(current());
    current() = impl ? std::move(impl) : std::make_unique<DesktopShell>();
    return previous;
}

bool ShellOpen(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    return shell().openFolder(path);
}

} // namespace platform_ui
