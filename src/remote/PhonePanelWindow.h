#pragma once
// A small window beside the panel that offers the phone panel page: its
// address with the access token as a QR code for a phone's camera, and as
// text to type or copy. Opened by itself when the interface is opened to a
// network, and from the panel's right-click menu.

#include <QString>
#include <QWidget>

class QLabel;

namespace remote {

class PhonePanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit PhonePanelWindow(QWidget* parent = nullptr);

    // The page's address to offer (a new token makes a new one).
    void setAddress(const QString& url);
    const QString& address() const { return url_; }

    // Pixels a module of the QR code takes on the screen.
    static constexpr int kModulePixels = 5;

private:
    QString url_;
    QLabel* code_ = nullptr;
    QLabel* text_ = nullptr;
};

} // namespace remote
