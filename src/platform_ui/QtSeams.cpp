#include "platform_ui/QtSeams.h"

#include "platform/Seams.h"

#include <QMessageBox>

namespace platform_ui {

namespace {

class QtMessageBoxes final : public platform::MessageBoxes {
public:
    platform::MsgAnswer show(const platform::MessageRequest& r) override {
        QMessageBox box(r.owner);
        box.setWindowTitle(r.title.isEmpty() ? platform::kAppTitle : r.title);
        box.setText(r.text);
        switch (r.icon) {
        case platform::MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case platform::MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case platform::MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case platform::MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case platform::MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton escape = QMessageBox::NoButton;
        switch (r.buttons) {
        case platform::MsgButtons::Ok: buttons = QMessageBox::Ok; escape = QMessageBox::Ok; break;
        case platform::MsgButtons::OkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; escape = QMessageBox::Cancel; break;
        case platform::MsgButtons::YesNo: buttons = QMessageBox::Yes | QMessageBox::No; escape = QMessageBox::No; break;
        case platform::MsgButtons::YesNoCancel:
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        case platform::MsgButtons::RetryCancel:
            buttons = QMessageBox::Retry | QMessageBox::Cancel;
            escape = QMessageBox::Cancel;
            break;
        }
        box.setStandardButtons(buttons);
        if (escape != QMessageBox::NoButton) box.setEscapeButton(escape);
        switch (box.exec()) {
        case QMessageBox::Yes: return platform::MsgAnswer::Yes;
        case QMessageBox::No: return platform::MsgAnswer::No;
        case QMessageBox::Cancel: return platform::MsgAnswer::Cancel;
        case QMessageBox::Retry: return platform::MsgAnswer::Retry;
        default: break;
        }
        return platform::cancellingAnswer(r.buttons);
    }
};

} // namespace

void installQtMessageBoxes() { platform::install(std::make_unique<QtMessageBoxes>()); }

} // namespace platform_ui
