#include "options/Backlight.h"

#include "display/Form1.h"
#include "platform/Files.h"
#include "platform/Seams.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace options {

int pictureErrorNumber(PictureFault fault) {
    switch (fault) {
    case PictureFault::FileNotFound: return 53;
    case PictureFault::PathNotFound: return 76;
    case PictureFault::AccessDenied: return 75;
    case PictureFault::DeviceError: return 57;
    case PictureFault::DeviceMissing: return 68;
    case PictureFault::NotAPicture: return 481;
    case PictureFault::OutOfMemory: return 7;
    }
    return 51;
}

QString pictureErrorText(int code) {
    QString reason;
    switch (code) {
    case 7:
    case 28:
    case 51:
        reason = QStringLiteral("　内部的なエラーです。Olvaniへ報告してください。エラー場所：frmCtl.Option4_Click()");
        break;
    case 53:
    case 75:
    case 76: reason = QStringLiteral("　画像ファイルが見つからないか、指定している場所が不正です。"); break;
    case 57:
    case 68: reason = QStringLiteral("　デバイスエラーもしくは準備が出来ていません。"); break;
    case 481: reason = QStringLiteral("　指定した画像の内容が不正です。この部分では扱えません。"); break;
    default: break;
    }
    return QStringLiteral("エラーです。\r\n\r\nエラーコード：%1").arg(code) + reason;
}

PictureLoad loadPanelPicture(const QString& path) {
    auto failed = [](PictureFault fault) { return PictureLoad{QImage(), pictureErrorNumber(fault)}; };
    // Only a regular file of a picture's size is read: a named pipe would
    // hold the panel until something wrote to it, and a device never ends.
    const auto read = platform::readRegularFile(path, kMaxPictureFileBytes);
    if (const auto* failure = std::get_if<platform::ReadFailure>(&read)) {
        using Kind = platform::ReadFailure::Kind;
        switch (failure->kind) {
        case Kind::Missing:
            return failed(QFileInfo(path).absoluteDir().exists() ? PictureFault::FileNotFound
                                                                 : PictureFault::PathNotFound);
        case Kind::TooLarge: return failed(PictureFault::OutOfMemory);
        case Kind::Folder:
        case Kind::NotRegular:
        case Kind::Unreadable: break;
        }
        return failed(PictureFault::AccessDenied);
    }
    QBuffer buffer;
    buffer.setData(std::get<QByteArray>(read));
    buffer.open(QIODevice::ReadOnly);
    // The content decides the format, whatever the file is called.
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    QImage image;
    if (reader.read(&image) && !image.isNull()) return {image, 0};

    // A picture whose pixels do not fit in the memory allowed for one.
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    if (size.isValid() && limitBytes > 0 && qint64(size.width()) * size.height() * 4 > limitBytes)
        return failed(PictureFault::OutOfMemory);
    return failed(PictureFault::NotAPicture);
}

void applyBacklightMode(const BacklightLook& look, Form1& display, std::int16_t index, QWidget* owner) {
    if (index < 0 || index > 2) return;
    if (look.userPicture) {
        // A user picture that is gone leaves the face as it is, silently. A
        // path from a Windows settings file ("Panels\On1.BMP") opens the
        // file the directory search finds (panels/on1.bmp).
        if (const QString file = platform::findUserFile(*look.userPicture); !file.isEmpty()) {
            const PictureLoad load = loadPanelPicture(file);
            if (load.error == 0) display.setPicture(load.image);
            else
                platform::MsgBox(pictureErrorText(load.error), platform::MsgButtons::Ok, platform::MsgIcon::Critical,
                                 QStringLiteral("エラー"), owner);
        }
    } else {
        display.showBuiltInPicture(index);
    }
    display.setTicketLabelColour(look.labelColour);
}

} // namespace options
