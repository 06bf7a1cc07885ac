#include "platform/ByteText.h"
#include "platform/Cp932.h"

#include <QFile>
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

QByteArray bytesOf(std::initializer_list<unsigned char> list) {
    QByteArray b;
    for (unsigned char c : list) b.append(char(c));
    return b;
}

// Microsoft's published table: CP932 code -> Unicode.
std::vector<std::pair<unsigned, char16_t>> loadTable() {
    std::vector<std::pair<unsigned, char16_t>> rows;
    QFile f(QStringLiteral(FERROTAB_TEST_DATA "/cp932.txt"));
    if (!f.open(QIODevice::ReadOnly)) return rows;
    while (!f.atEnd()) {
        const QList<QByteArray> cols = f.readLine().trimmed().split('\t');
        if (cols.size() < 2 || cols[1].isEmpty()) continue;
        bool ok1 = false, ok2 = false;
        const unsigned code = cols[0].toUInt(&ok1, 16);
        const unsigned uni = cols[1].toUInt(&ok2, 16);
        if (ok1 && ok2) rows.emplace_back(code, char16_t(uni));
    }
    return rows;
}

QByteArray codeBytes(unsigned code) {
    return code > 0xFF ? bytesOf({static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF)})
                       : bytesOf({static_cast<unsigned char>(code)});
}

} // namespace

TEST(Cp932, WindowsSpecificMappingsBothWays) {
    // 運 賃 ～ ① ｱ ＼ : the wave dash and backslash are the Windows (full-width)
    // forms, ① is an NEC extension, ｱ a half-width katakana.
    const QString text = QStringLiteral("運賃～①ｱ＼");
    const QByteArray expected = bytesOf({0x89, 0x5E, 0x92, 0xC0, 0x81, 0x60, 0x87, 0x40, 0xB1, 0x81, 0x5F});
    EXPECT_EQ(cp932::encode(text), expected);
    EXPECT_EQ(cp932::decode(expected), text);

    // Look-alikes that other tables map elsewhere land on the same codes.
    EXPECT_EQ(cp932::encode(QString(QChar(0x301C))), bytesOf({0x81, 0x60})); // WAVE DASH
    EXPECT_EQ(cp932::encode(QString(QChar(0x2212))), bytesOf({0x81, 0x7C})); // MINUS SIGN
    // 0x5C is the ASCII backslash, not the yen sign.
    EXPECT_EQ(cp932::decode(QByteArray("\\")), QStringLiteral("\\"));
    // IBM extensions and NEC-selected rows.
    EXPECT_EQ(cp932::decode(bytesOf({0xFA, 0x40})), QStringLiteral("ⅰ"));
    EXPECT_EQ(cp932::encode(QStringLiteral("㈱")), bytesOf({0x87, 0x8A}));
}

TEST(Cp932, AgreesWithThePublishedTable) {
    const auto table = loadTable();
    ASSERT_GT(table.size(), 7000u);
    std::map<char16_t, int> seen;
    for (const auto& [code, uni] : table) ++seen[uni];
    int checked = 0;
    for (const auto& [code, uni] : table) {
        if (code == 0) continue;
        const QByteArray bytes = codeBytes(code);
        ASSERT_EQ(cp932::decode(bytes), QString(QChar(uni))) << std::hex << code;
        // Where several codes share a character (the NEC and IBM duplicates)
        // encoding picks one of them; it must decode back to the character.
        const QByteArray encoded = cp932::encode(QString(QChar(uni)));
        if (seen[uni] == 1) {
            ASSERT_EQ(encoded, bytes) << std::hex << code;
        } else {
            ASSERT_EQ(cp932::decode(encoded), QString(QChar(uni))) << std::hex << code;
        }
        ++checked;
    }
    EXPECT_GT(checked, 7000);
}

TEST(Cp932, UnmappableAndInvalidNeverFail) {
    // Characters the code page lacks become "?", each one.
    EXPECT_EQ(cp932::encode(QStringLiteral("A😀B")), QByteArray("A?B"));
    EXPECT_EQ(cp932::encode(QStringLiteral("駅é")), bytesOf({0x89, 0x77, '?'}));
    // Several in a row, at both ends, a lone surrogate: a "?" each, in place.
    const QString mixed = QStringLiteral("😀駅é😀😀前") + QChar(0xD800) + QStringLiteral("①é");
    EXPECT_EQ(cp932::encode(mixed), bytesOf({'?', 0x89, 0x77, '?', '?', '?', 0x91, 0x4F, '?', 0x87, 0x40, '?'}));
    EXPECT_FALSE(cp932::canEncode(QStringLiteral("é")));
    EXPECT_TRUE(cp932::canEncode(QStringLiteral("駅前①")));

    // A lone lead byte at the end, a lead byte with a bad trail byte, an
    // undefined code: U+FFFD, and decoding continues.
    EXPECT_EQ(cp932::decode(bytesOf({'A', 0x89})), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(cp932::decode(bytesOf({0x89, 0x20, 'B'})), QStringLiteral("\uFFFD B"));
    EXPECT_EQ(cp932::decode(bytesOf({0x85, 0x40, 'C'})).back(), QChar('C'));
    EXPECT_TRUE(cp932::decode(bytesOf({0x85, 0x40})).contains(QChar(0xFFFD)));

    // Random bytes: no crash, and the output never grows beyond one
    // character per byte.
    std::mt19937 rng(932);
    for (int round = 0; round < 500; ++round) {
        QByteArray junk(int(rng() % 64), '\0');
        for (auto& c : junk) c = char(rng() & 0xFF);
        const QString s = cp932::decode(junk);
        EXPECT_LE(s.size(), junk.size());
        cp932::encode(s); // must not crash either
    }
}

TEST(ByteText, LengthAndSlicesCountDoubleByteCharactersTwice) {
    const QByteArray name = cp932::encode(QStringLiteral("市役所ABC"));
    EXPECT_EQ(ZelP4Res::LenB_ASCII(name), 9);
    EXPECT_EQ(ZelP4Res::LenB_ASCII(QStringLiteral("市役所ABC")), 9);
    EXPECT_EQ(cp932::decode(ZelP4Res::MidB_ASCII(name, 3, 2)), QStringLiteral("役"));
    EXPECT_EQ(ZelP4Res::MidB_ASCII(name, 7, 10), QByteArray("ABC"));
    EXPECT_EQ(ZelP4Res::MidB_ASCII(name, 10, 2), QByteArray());
    EXPECT_EQ(ZelP4Res::MidB_ASCII(name, 0, 2), name.left(2));
    EXPECT_EQ(ZelP4Res::MidB_ASCII(name, 1, 0), QByteArray());
    // Cutting a character in half gives its bytes as they are.
    EXPECT_EQ(ZelP4Res::MidB_ASCII(name, 2, 2), name.mid(1, 2));
}
