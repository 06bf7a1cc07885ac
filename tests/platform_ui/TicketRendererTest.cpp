// The plug-in bridge as the program calls it: tickets drawn from the sample
// plug-ins are read back from their pixels (the number in its box, the stop
// name in its line, the barcode decoded bar by bar); a file that is no
// plug-in gives nothing; a path stored on Windows and a changed file are
// followed.
#include "platform/Cp932.h"
#include "platform_ui/ResourceLibrary.h"

#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

const QString kSamples = QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/plugins/");
const QByteArray kPlain = cp932::encode(kSamples + QStringLiteral("sakuragawa_plain.4SP"));
const QByteArray kBarcode = cp932::encode(kSamples + QStringLiteral("minatodai_barcode.4SP"));

// NW-7 by its published table: each character is seven elements, bar and
// space by turns starting with a bar, 1 for a wide one; characters are
// parted by a narrow space.
const std::map<QString, char>& codabarTable() {
    static const std::map<QString, char> table = {
        {"0000011", '0'}, {"0000110", '1'}, {"0001001", '2'}, {"1100000", '3'}, {"0010010", '4'},
        {"1000010", '5'}, {"0100001", '6'}, {"0100100", '7'}, {"0110000", '8'}, {"1001000", '9'},
        {"0001100", '-'}, {"0011000", '$'}, {"0011010", 'A'}, {"0101001", 'B'}, {"0001011", 'C'},
        {"0001110", 'D'},
    };
    return table;
}

// Reads the characters from the widths of the dark and light runs along one
// row of pixels; "?" for a character the table does not know.
QByteArray decodeCodabar(const std::vector<int>& runs) {
    QByteArray text;
    if (runs.empty()) return text;
    const int narrow = *std::min_element(runs.begin(), runs.end());
    for (size_t i = 0; i + 7 <= runs.size(); i += 8) {
        QString pattern;
        for (size_t k = i; k < i + 7; ++k) pattern += runs[k] > narrow * 3 / 2 ? QLatin1Char('1') : QLatin1Char('0');
        const auto it = codabarTable().find(pattern);
        text += it == codabarTable().end() ? '?' : it->second;
    }
    return text;
}

// The widths of the runs from the first dark pixel to the last along row y
// between x0 and x1.
std::vector<int> runsAlong(const QImage& image, int y, int x0, int x1) {
    auto dark = [&](int x) { return qGray(image.pixel(x, y)) < 128; };
    while (x0 < x1 && !dark(x0)) ++x0;
    while (x1 > x0 && !dark(x1 - 1)) --x1;
    std::vector<int> runs;
    for (int x = x0; x < x1;) {
        int end = x;
        while (end < x1 && dark(end) == dark(x)) ++end;
        runs.push_back(end - x);
        x = end;
    }
    return runs;
}

// The ink of a rectangle: pixels clearly darker than the paper, and where
// they lie.
struct Ink {
    int count = 0;
    QRect bounds;
};
Ink inkIn(const QImage& image, const QRect& box, QRgb paper, int tolerance = 60) {
    Ink ink;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qGray(paper) - qGray(c) > tolerance) {
                ++ink.count;
                ink.bounds |= QRect(x, y, 1, 1);
            }
        }
    return ink;
}

struct Ticket {
    QImage image;
    QByteArray stopName;
    std::int32_t result = 0;
};

Ticket draw(const QByteArray& plugin, const QString& stop, std::int16_t ticketNo, std::int32_t route = 1,
            std::int16_t order = 1, std::int32_t company = -1) {
    Ticket t;
    t.image = QImage(180, 288, QImage::Format_RGB32);
    t.image.fill(Qt::white);
    t.stopName = cp932::encode(stop);
    t.result = ZelP4Res::ZEL4_DrawSeiriken(plugin, &t.image, t.stopName, "12-06-2026", "09:05:00", route, ticketNo,
                                           order, company);
    return t;
}

// The plain sample's boxes, as its file places them.
const QRect kNumberBox(10, 50, 160, 106);
const QRect kStopBox(12, 165, 156, 24);
const QRgb kPlainPaper = qRgb(0xFD, 0xF1, 0xF2);

} // namespace

TEST(TicketBridge, ThePlainTicketShowsItsNumberAndItsStopName) {
    const Ticket one = draw(kPlain, QStringLiteral("東"), 1);
    const Ticket twelve = draw(kPlain, QStringLiteral("東"), 12);
    const Ticket eightyEight = draw(kPlain, QStringLiteral("県立桜川病院（正面玄関）前バスターミナル"), 88);
    ASSERT_EQ(one.result, 1);
    EXPECT_EQ(one.image.pixel(2, 2), kPlainPaper) << "the slip is the plug-in's paper colour";

    const Ink a = inkIn(one.image, kNumberBox, kPlainPaper);
    const Ink b = inkIn(twelve.image, kNumberBox, kPlainPaper);
    const Ink c = inkIn(eightyEight.image, kNumberBox, kPlainPaper);
    // Large digits: most of the box's height, centred in it.
    for (const Ink* ink : {&a, &b, &c}) {
        EXPECT_GT(ink->bounds.height(), kNumberBox.height() * 6 / 10);
        EXPECT_NEAR(ink->bounds.center().x(), kNumberBox.center().x(), 3);
        EXPECT_NEAR(ink->bounds.center().y(), kNumberBox.center().y(), 4);
    }
    // Two digits are wider and darker than one; "88" carries the most ink.
    EXPECT_GT(b.bounds.width(), a.bounds.width() * 3 / 2);
    EXPECT_GT(c.count, b.count);
    EXPECT_GT(b.count, a.count);
    // Heavy: a large share of the digits' own rectangle is ink.
    EXPECT_GT(c.count, c.bounds.width() * c.bounds.height() / 3);

    // The stop name centred on its line; a long one narrowed to fill the
    // line and nothing beside it.
    const Ink s = inkIn(one.image, kStopBox, kPlainPaper);
    const Ink l = inkIn(eightyEight.image, kStopBox, kPlainPaper);
    EXPECT_GT(s.count, 40);
    EXPECT_NEAR(s.bounds.center().x(), kStopBox.center().x(), 2);
    EXPECT_LT(s.bounds.width(), 20);
    EXPECT_GT(l.bounds.width(), kStopBox.width() * 9 / 10);
    EXPECT_EQ(inkIn(eightyEight.image, QRect(6, 165, 5, 24), kPlainPaper).count, 0);
    EXPECT_EQ(inkIn(eightyEight.image, QRect(169, 165, 5, 24), kPlainPaper).count, 0);
    // Nothing replaces the name: the buffer comes back as it went.
    EXPECT_EQ(eightyEight.stopName, cp932::encode(QStringLiteral("県立桜川病院（正面玄関）前バスターミナル")));
}

TEST(TicketBridge, TheBarcodeReadsAsTheRouteStopAndTicket) {
    const Ticket t = draw(kBarcode, QStringLiteral("東"), 7, 12, 7);
    ASSERT_EQ(t.result, 1);
    // The bars: from y 195, 40 high with the digits under them.
    const std::vector<int> runs = runsAlong(t.image, 205, 10, 170);
    EXPECT_EQ(decodeCodabar(runs), QByteArray("A01207007A"));
    EXPECT_EQ(runs.size() % 8, 7u) << "whole characters";

    // Route 1000 is past the plug-in's RouteMax: the ticket has no barcode.
    const Ticket outside = draw(kBarcode, QStringLiteral("東"), 7, 1000, 7);
    EXPECT_EQ(inkIn(outside.image, QRect(10, 195, 160, 30), qRgb(255, 255, 255)).count, 0);
    EXPECT_GT(inkIn(outside.image, QRect(28, 55, 124, 78), qRgb(255, 255, 255)).count, 500) << "the rest is printed";
}

TEST(TicketBridge, AFileThatIsNoPluginGivesNoRecordAndNoTicket) {
    QTemporaryDir dir;
    const QByteArray bad = cp932::encode(dir.filePath(QStringLiteral("bad.4SP")));
    const char program[] = "MZ\x90\x00 not a plug-in";
    testing_files::writeFile(cp932::decode(bad), QByteArray(program, sizeof program - 1));
    ZelP4Res::PlgInfo untouched;
    untouched.PreviewWidth = 77;
    EXPECT_EQ(ZelP4Res::ZEL4_GetPlgInfo(bad, untouched), 0);
    EXPECT_EQ(untouched.PreviewWidth, 77);
    const Ticket nothing = draw(bad, QStringLiteral("東"), 7);
    EXPECT_EQ(nothing.result, 0);
    EXPECT_EQ(inkIn(nothing.image, nothing.image.rect(), qRgb(255, 255, 255), 1).count, 0);
}

TEST(TicketBridge, APathFromWindowsAndAChangedFileAreFollowed) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("plugins"))));
    const QString path = dir.filePath(QStringLiteral("plugins/Ticket.4SP"));
    auto write = [&](int width) {
        testing_files::writeFile(path, QStringLiteral(R"({"FormatVersion": 1, "PreviewWidth": %1, "PreviewHeight": 60,
            "Elements": [{"Type": "TicketNumber", "X": 0, "Y": 0, "Width": 50, "Height": 60, "Size": 40}]})")
                                           .arg(width)
                                           .toUtf8());
    };
    write(50);
    // Separators and letter case as a settings file from Windows has them.
    const QByteArray asStored = cp932::encode(dir.path() + QStringLiteral("\\plugins\\ticket.4sp"));
    ZelP4Res::PlgInfo info;
    ASSERT_EQ(ZelP4Res::ZEL4_GetPlgInfo(asStored, info), 1);
    EXPECT_EQ(info.PreviewWidth, 50);
    write(64);
    // The file changed since it was read: read again.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(ZelP4Res::ZEL4_GetPlgInfo(asStored, info), 1);
    EXPECT_EQ(info.PreviewWidth, 64);
}
