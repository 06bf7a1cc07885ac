// Selecting a backlight mode: the display's panel picture and the label colour.
#include "tests/options/OptionFixture.h"
#include "options/OptionWidgets.h"
#include "tests/support/NonRegularFiles.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtEndian>

using options::applyBacklightMode;
using options::loadPanelPicture;

namespace {

QString writePicture(const QString& path, QSize size, QColor colour, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

QString writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

std::uint32_t crc32(const QByteArray& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= std::uint8_t(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A picture whose header promises 30000 x 30000 pixels: more than any one
// picture may take.
QByteArray hugePicture() {
    auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray c(4, '\0');
        qToBigEndian(std::uint32_t(data.size()), c.data());
        const QByteArray body = QByteArray(type) + data;
        QByteArray crc(4, '\0');
        qToBigEndian(crc32(body), crc.data());
        return c + body + crc;
    };
    QByteArray header(13, '\0');
    qToBigEndian(std::uint32_t(30000), header.data());
    qToBigEndian(std::uint32_t(30000), header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", qCompress(QByteArray(10, '\0')).mid(4)) +
           chunk("IEND", {});
}

} // namespace

TEST(PanelPictureFile, LoadsAnyPictureByItsContentAndNamesEachFailure) {
    QTemporaryDir dir;
    const QString d = dir.path();
    auto loaded = loadPanelPicture(writePicture(d + QStringLiteral("/a.bmp"), {40, 30}, Qt::red, "BMP"));
    EXPECT_EQ(loaded.error, 0);
    EXPECT_EQ(loaded.image.size(), QSize(40, 30));
    // A PNG under a bitmap's name is still a picture.
    loaded = loadPanelPicture(writePicture(d + QStringLiteral("/b.bmp"), {10, 10}, Qt::blue, "PNG"));
    EXPECT_EQ(loaded.error, 0);
    EXPECT_EQ(loaded.image.pixel(0, 0), qRgb(0, 0, 255));

    EXPECT_EQ(loadPanelPicture(d + QStringLiteral("/gone.bmp")).error, 53);
    EXPECT_EQ(loadPanelPicture(d + QStringLiteral("/no-folder/gone.bmp")).error, 76);
    QDir(d).mkdir(QStringLiteral("folder.bmp"));
    EXPECT_EQ(loadPanelPicture(d + QStringLiteral("/folder.bmp")).error, 75);
    EXPECT_EQ(loadPanelPicture(writeBytes(d + QStringLiteral("/text.bmp"), "not a picture at all")).error, 481);
    EXPECT_EQ(loadPanelPicture(writeBytes(d + QStringLiteral("/empty.jpg"), QByteArray())).error, 481);
    EXPECT_EQ(loadPanelPicture(writeBytes(d + QStringLiteral("/huge.bmp"), hugePicture())).error, 7);
    EXPECT_TRUE(loadPanelPicture(d + QStringLiteral("/text.bmp")).image.isNull());
    // A pipe or a device is never opened, a file too large never read.
    for (const auto& f : testing_files::makeNonRegularFiles(d, QStringLiteral("p.bmp"), options::kMaxPictureFileBytes + 1))
        EXPECT_EQ(loadPanelPicture(f.path).error, f.kind == platform::ReadFailure::Kind::TooLarge ? 7 : 75) << f.what;
}

class Backlight : public OptionTest {
protected:
    void SetUp() override {
        dialog->Command5[0]->setBackColor(0x0000FF);
        dialog->Command5[1]->setBackColor(0x00FF00);
        dialog->Command5[2]->setBackColor(0xFF0000);
        display.imgRes[1] = display.imgRes[0];
        display.imgRes[2] = display.imgRes[0];
        builtIn = display.imgRes[0];
    }
    void useIndividualPictures() {
        dialog->Option3[1]->click();
        dialog->Option3[6]->click(); // OFF: user picture
        dialog->Option3[2]->click(); // ON1: user picture
        dialog->Option3[5]->click(); // ON2: user picture
    }
    QTemporaryDir dir;
    QImage builtIn;
};

TEST_F(Backlight, BuiltInPanelsChangeOnlyTheLabelColour) {
    const QColor expected[3] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    for (std::int16_t mode : {1, 2, 0, 0}) {
        applyBacklightMode(dialog->backlightLook(mode), display, mode);
        EXPECT_EQ(display.picture(), builtIn);
        for (int k : {1, 42, 84}) EXPECT_EQ(labelColour(k), expected[mode]) << k;
    }
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Backlight, UserPicturesAreDrawnAtTheirOwnSizeFromTheTopLeft) {
    useIndividualPictures();
    dialog->txtSelectPanel[1]->setText(writePicture(dir.path() + QStringLiteral("/on1.bmp"), {600, 220}, QColor(10, 200, 30), "BMP"));
    applyBacklightMode(dialog->backlightLook(1), display, 1);
    EXPECT_EQ(display.picture().size(), QSize(600, 220));
    const QImage face = display.grab().toImage();
    EXPECT_EQ(face.pixel(5, 5), qRgb(10, 200, 30));
    // Beyond a smaller picture the window's ground shows.
    EXPECT_EQ(QColor(face.pixel(700, 296)), display.palette().color(QPalette::Window));
    EXPECT_EQ(labelColour(7), QColor(0, 255, 0));

    // Built-in for one mode while individual: that mode's holder.
    dialog->Option3[4]->click();
    applyBacklightMode(dialog->backlightLook(2), display, 2);
    EXPECT_EQ(display.picture(), builtIn);
}

TEST_F(Backlight, APictureNamedInAWindowsSettingsFileIsFound) {
    useIndividualPictures();
    QDir(dir.path()).mkdir(QStringLiteral("panels"));
    writePicture(dir.path() + QStringLiteral("/panels/on1.bmp"), {60, 20}, Qt::green, "BMP");
    dialog->txtSelectPanel[1]->setText(QStringLiteral("Panels\\ON1.BMP"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    applyBacklightMode(dialog->backlightLook(1), display, 1);
    QDir::setCurrent(previous);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(display.picture().size(), QSize(60, 20));
}

TEST_F(Backlight, AGoneUserPictureKeepsTheFaceSilentlyAndStillRecolours) {
    useIndividualPictures();
    const QString path = writePicture(dir.path() + QStringLiteral("/on1.jpg"), {50, 50}, Qt::white, "JPG");
    dialog->txtSelectPanel[1]->setText(path);
    QFile::remove(path);
    applyBacklightMode(dialog->backlightLook(1), display, 1);
    EXPECT_EQ(display.picture(), builtIn);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(labelColour(1), QColor(0, 255, 0));
    // An empty box names no picture either.
    dialog->txtSelectPanel[2]->clear();
    applyBacklightMode(dialog->backlightLook(2), display, 2);
    EXPECT_EQ(display.picture(), builtIn);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(labelColour(1), QColor(0, 0, 255));
}

TEST_F(Backlight, AUserFileThatIsNoPictureIsReportedAndStillRecolours) {
    useIndividualPictures();
    dialog->txtSelectPanel[0]->setText(writeBytes(dir.path() + QStringLiteral("/off.bmp"), "BM but no bitmap"));
    applyBacklightMode(dialog->backlightLook(0), display, 0, dialog.get());
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.title, QStringLiteral("エラー"));
    EXPECT_EQ(box.icon, platform::MsgIcon::Critical);
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(box.owner, dialog.get());
    EXPECT_EQ(box.text, QStringLiteral("エラーです。\r\n\r\nエラーコード：481　指定した画像の内容が不正です。この部分では扱えません。"));
    EXPECT_EQ(display.picture(), builtIn);
    EXPECT_EQ(labelColour(84), QColor(255, 0, 0));
}
