#include "platform_ui/Shell.h"

#include "platform/SeamSlot.h"

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

platform::SeamSlot<Shell, DesktopShell>& current() {
    static platform::SeamSlot<Shell, DesktopShell> s;
    return s;
}

} // namespace

Shell& shell() { return *current().impl; }

std::unique_ptr<Shell> install(std::unique_ptr<Shell> impl) { return current().replace(std::move(impl)); }

bool ShellOpen(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    return shell().openFolder(path);
}

} // namespace platform_ui
