#include "remote/PhonePanelWindow.h"

#include "qrcode/QrCode.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace remote {

namespace {

// Black modules on white with the quiet zone, each module a square of
// whole pixels: a scaled QR code with blurred edges reads badly.
QImage qrPicture(const qrcode::QrCode& code, int modulePixels) {
    const int side = (code.size + 2 * qrcode::kQrQuietZone) * modulePixels;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < side; ++y) {
        const int my = y / modulePixels - qrcode::kQrQuietZone;
        for (int x = 0; x < side; ++x) {
            const int mx = x / modulePixels - qrcode::kQrQuietZone;
            if (mx >= 0 && my >= 0 && mx < code.size && my < code.size && code.at(mx, my))
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

} // namespace

PhonePanelWindow::PhonePanelWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("スマートフォンで操作"));
    auto* column = new QVBoxLayout(this);
    auto* lead = new QLabel(QStringLiteral("同じネットワークのスマートフォンやタブレットのカメラで読み取ると、"
                                           "操作盤のページが開きます。"),
                            this);
    lead->setWordWrap(true);
    column->addWidget(lead);
    code_ = new QLabel(this);
    code_->setAlignment(Qt::AlignCenter);
    code_->setAccessibleName(QStringLiteral("操作盤のページのQRコード"));
    column->addWidget(code_);
    text_ = new QLabel(this);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setWordWrap(true);
    text_->setAccessibleName(QStringLiteral("操作盤のページのアドレス"));
    column->addWidget(text_);
    auto* warning = new QLabel(QStringLiteral("通信は暗号化されません。信頼できるネットワークでだけ使い、"
                                              "使い終わったら ferrotab-ctl token --renew でトークンを作り直してください。"),
                               this);
    warning->setWordWrap(true);
    column->addWidget(warning);
}

void PhonePanelWindow::setAddress(const QString& url) {
    url_ = url;
    text_->setText(url);
    text_->setAccessibleDescription(url);
    const std::optional<qrcode::QrCode> code = qrcode::encodeQr(url.toUtf8());
    code_->setPixmap(code ? QPixmap::fromImage(qrPicture(*code, kModulePixels)) : QPixmap());
    // The address is the text a sighted user scans; a screen reader's user
    // gets it as the picture's description.
    code_->setAccessibleDescription(url);
    adjustSize();
}

} // namespace remote
