#include "platform/Cp932.h"
#include "tests/support/QtPrinters.h"
#include "settings/SettingsCodec.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

using settings::decodeSettings;
using settings::encodeSettings;
using settings::SettingsRecord;

namespace {

const QDate kDay(2026, 12, 6);

// Offsets of fields in a file whose texts before them are all empty.
constexpr int kFontModeOffset = 2 + 2 + 2 + 4 * 3 + 2 * 10 + 2 * 3 + 32 + 4 + 4; // StopNameFontMode
constexpr int kTail = 68 + 2 + 504; // custom colours, cell count, cell formats

std::int16_t i16At(const QByteArray& b, qsizetype pos) { return qFromLittleEndian<std::int16_t>(b.constData() + pos); }

} // namespace

TEST(SettingsLayout, SizesAndTextEncoding) {
    SettingsRecord r; // every text empty
    EXPECT_EQ(encodeSettings(r).size(), 742);

    r = SettingsRecord::initial(kDay);
    EXPECT_EQ(r.TicketFixedDate, QStringLiteral("2026/12/06"));
    EXPECT_EQ(encodeSettings(r).size(), 752);

    // 300 Japanese characters: the count says 600, then 600 bytes of CP932.
    SettingsRecord j;
    j.FareDataDir = QString(300, QChar(0x904B)); // 運
    const QByteArray bytes = encodeSettings(j);
    ASSERT_EQ(bytes.size(), 742 + 600);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(bytes.constData()), 600);
    EXPECT_EQ(bytes.mid(2, 2), cp932::encode(QStringLiteral("運")));
    EXPECT_EQ(bytes.mid(2, 600), cp932::encode(j.FareDataDir));
}

TEST(SettingsLayout, FieldsSitBackToBackLittleEndian) {
    SettingsRecord r = SettingsRecord::initial(kDay);
    r.TicketFixedDate.clear();
    r.TicketNumColorOff = 0x00112233;
    r.CtlLeft = -15;
    r.CellFormat[83] = {1, 2, 3};
    const QByteArray b = encodeSettings(r);
    ASSERT_EQ(b.size(), 742);
    // StopNameFontMode -1 until a font is chosen: FF FF.
    EXPECT_EQ(b.mid(kFontModeOffset, 2), QByteArray("\xFF\xFF", 2));
    // The colour right after the first two empty texts and the check box,
    // no gap before the 4-byte field.
    EXPECT_EQ(b.mid(6, 4), QByteArray("\x33\x22\x11\x00", 4));
    // Cell count 84, then the 84 entries; the last one holds Shift, ZeroMode, FillZero.
    EXPECT_EQ(i16At(b, b.size() - 504 - 2), 84);
    EXPECT_EQ(i16At(b, b.size() - 6), 1);
    EXPECT_EQ(i16At(b, b.size() - 4), 2);
    EXPECT_EQ(i16At(b, b.size() - 2), 3);
    // CtlLeft as a signed 32-bit value: block 8 (8 bytes) and the tail follow
    // block 7's last field CtlTop (4 bytes).
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(b.constData() + b.size() - kTail - 8 - 4 - 4), -15);
}

TEST(SettingsLayout, RoundTripsAreByteIdentical) {
    SettingsRecord r = SettingsRecord::initial(kDay);
    r.FareDataDir = QStringLiteral("C:\\バス\\運賃～①");
    r.BroadcastDataDir = QStringLiteral("ｱｲｳ");
    r.AnnounceSoundFile3 = QStringLiteral("chime.wav");
    r.ScrollSpeed = 2000;
    r.ScrollStartWait = 3000;
    r.DisplayTop = 123456;
    r.CustomColors[16] = 0x00ABCDEF;
    for (int i = 0; i < device::kFareCellCount; ++i)
        r.CellFormat[size_t(i)] = {std::int16_t(i % 4), std::int16_t(i % 3), std::int16_t(i % 5)};

    const QByteArray first = encodeSettings(r);
    const SettingsRecord back = decodeSettings(first);
    EXPECT_EQ(back, r);
    EXPECT_EQ(encodeSettings(back), first);
    EXPECT_EQ(back.StopNameFontMode, -1);
}

TEST(SettingsLayout, CellCountIsReadAndIgnored) {
    SettingsRecord r;
    r.CellFormat[0] = {7, 8, 9};
    r.CellFormat[83] = {4, 5, 6};
    QByteArray b = encodeSettings(r);
    const qsizetype countAt = b.size() - 504 - 2;
    for (std::int16_t count : {std::int16_t(0), std::int16_t(3), std::int16_t(-1), std::int16_t(500)}) {
        qToLittleEndian(count, b.data() + countAt);
        const SettingsRecord back = decodeSettings(b);
        EXPECT_EQ(back.CellCount, 84);
        EXPECT_EQ(back.CellFormat[0], (settings::CellFormatEntry{7, 8, 9})) << count;
        EXPECT_EQ(back.CellFormat[83], (settings::CellFormatEntry{4, 5, 6})) << count;
        // Written back, the count is 84 again.
        EXPECT_EQ(i16At(encodeSettings(back), countAt), 84);
    }
}

TEST(SettingsLayout, ShortDamagedAndEmptyFilesReadAsZeros) {
    // A 0-byte file read from nothing: every number 0, every text empty.
    EXPECT_EQ(decodeSettings(QByteArray()), SettingsRecord{});

    SettingsRecord full = SettingsRecord::initial(kDay);
    full.FareDataDir = QStringLiteral("データ");
    full.DisplayLeft = 300;
    const QByteArray bytes = encodeSettings(full);
    SettingsRecord longer;
    EXPECT_EQ(decodeSettings(bytes + "trailing", longer), settings::kFieldCount) << "bytes after the record are not read";
    EXPECT_EQ(longer, full);
    // Cut in a text: the text is not read, nor anything after it.
    SettingsRecord cutInText = SettingsRecord::initial(kDay);
    EXPECT_EQ(decodeSettings(bytes.left(5), cutInText), 0);
    EXPECT_TRUE(cutInText.FareDataDir.isEmpty());
    EXPECT_EQ(cutInText.TicketNumAutoShow, 1);
    EXPECT_EQ(decodeSettings(bytes.left(bytes.size() - 1)).TicketNumColorOff, 0xFFFFFFu);

    // A text length of 65535 running past the end: the text is empty and
    // nothing after it is read.
    QByteArray huge("\xFF\xFF" "abc", 5);
    const SettingsRecord h = decodeSettings(huge);
    EXPECT_TRUE(h.FareDataDir.isEmpty());
    EXPECT_TRUE(h.BroadcastDataDir.isEmpty());

    // Random bytes never crash and always give 84 cells.
    std::mt19937 rng(4);
    for (int round = 0; round < 300; ++round) {
        QByteArray junk(int(rng() % 1600), '\0');
        for (auto& c : junk) c = char(rng() & 0xFF);
        EXPECT_EQ(decodeSettings(junk).CellCount, 84);
    }
}

TEST(SettingsLayout, OverlongTextIsCutAtACharacterBoundary) {
    SettingsRecord r;
    // Only double-byte characters: 32767 of them fit, half of the next would not.
    r.FareDataDir = QString(40000, QChar(0x904B));
    QByteArray b = encodeSettings(r);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(b.constData()), 65534);
    EXPECT_EQ(decodeSettings(b).FareDataDir, QString(32767, QChar(0x904B)));
    // One single-byte character first: exactly 65535 bytes fit.
    r.FareDataDir = QStringLiteral("a") + QString(40000, QChar(0x904B));
    b = encodeSettings(r);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(b.constData()), 65535);
    EXPECT_EQ(decodeSettings(b).FareDataDir.size(), 32768);
}
