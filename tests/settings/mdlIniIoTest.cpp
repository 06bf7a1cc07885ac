#include "support/FakeSeams.h"
#include "support/QtPrinters.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::testing::ScopedMessageBoxes;
using settings::SettingsRecord;

namespace {

// Stands in for the windows: records what it was given, hands out what it holds.
struct FakeExchange : mdlIniIo::Exchange {
    SettingsRecord windows;
    int applied = 0;
    bool refuse = false;
    void gather(SettingsRecord& r) override {
        r.DisplayLeft = windows.DisplayLeft;
        r.CtlTop = windows.CtlTop;
    }
    void apply(const SettingsRecord& r) override {
        ++applied;
        windows = r;
        if (refuse) throw mdlIniIo::SettingsError(mdlIniIo::errors::InvalidPropertyValue, QStringLiteral("プロパティの値が不正です。"));
    }
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class IniFile : public ::testing::Test {
protected:
    void SetUp() override { mdlIniIo::record() = SettingsRecord::initial(QDate(2026, 12, 6)); }
    QTemporaryDir dir;
    ScopedMessageBoxes boxes;
    FakeExchange windows;
    QString path() const { return mdlIniIo::settingsPath(dir.path(), QStringLiteral("LED-84")); }
};

} // namespace

TEST(SettingsPath, FolderModelAndExtension) {
    EXPECT_EQ(mdlIniIo::settingsPath(QStringLiteral("C:\\Bus"), QStringLiteral("Fare")), QStringLiteral("C:\\Bus/Fare.in4"));
    EXPECT_EQ(mdlIniIo::settingsPath(QStringLiteral("C:\\Bus\\"), QStringLiteral("Fare")), QStringLiteral("C:\\Bus\\Fare.in4"));
    EXPECT_EQ(mdlIniIo::settingsPath(QStringLiteral("/opt/bus/"), QStringLiteral("LED-84")), QStringLiteral("/opt/bus/LED-84.in4"));
}

TEST_F(IniFile, MissingFileIsSkippedSilently) {
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 0);
    EXPECT_TRUE(boxes.shown().empty());
    // A folder where the file should be is no file either.
    QDir(dir.path()).mkdir(QStringLiteral("LED-84.in4"));
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(IniFile, SaveThenLoadKeepsEveryField) {
    mdlIniIo::record().SoundResetFile = QStringLiteral("ピンポン.wav");
    windows.windows.DisplayLeft = 1500;
    windows.windows.CtlTop = 3000;
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    const QByteArray first = readAll(path());
    EXPECT_EQ(first.size(), 752 + 12);

    // Saving again without changes writes the same bytes.
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    EXPECT_EQ(readAll(path()), first);

    mdlIniIo::record() = SettingsRecord{};
    ASSERT_TRUE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 1);
    EXPECT_EQ(windows.windows.SoundResetFile, QStringLiteral("ピンポン.wav"));
    EXPECT_EQ(windows.windows.DisplayLeft, 1500);
    EXPECT_EQ(windows.windows.TicketFixedDate, QStringLiteral("2026/12/06"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(IniFile, EmptyFileAppliesZeros) {
    writeAll(path(), QByteArray());
    ASSERT_TRUE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 1);
    EXPECT_EQ(windows.windows.DigitLitColor, 0u);
    EXPECT_EQ(windows.windows.PanelAutoBuiltIn, 0);
    EXPECT_TRUE(windows.windows.TicketFixedDate.isEmpty());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(IniFile, RefusedValueShowsTheLoadFailureFrame) {
    writeAll(path(), settings::encodeSettings(SettingsRecord{}));
    windows.refuse = true;
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.text, QStringLiteral("エラー Code:380\r\n内容:プロパティの値が不正です。\r\nモジュール:mdlIniIo.LoadIni()"));
    EXPECT_TRUE(box.title.isEmpty()); // the application's title
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
}

TEST_F(IniFile, UnwritableFolderKeepsThePreviousFileWhole) {
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    const QByteArray before = readAll(path());

    // Not writable: the folder is read-only (root ignores the mode, so point
    // at a folder that does not exist as well).
    const QString missing = mdlIniIo::settingsPath(dir.path() + QStringLiteral("/nowhere"), QStringLiteral("LED-84"));
    mdlIniIo::record().FareDataDir = QStringLiteral("changed");
    EXPECT_FALSE(mdlIniIo::SaveIni(windows, missing));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("エラー Code:")));
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral("\r\n内容:")));
    EXPECT_FALSE(boxes.shown()[0].text.contains(QStringLiteral("モジュール")));

    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool saved = mdlIniIo::SaveIni(windows, path());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!saved) {
        EXPECT_EQ(readAll(path()), before);
    }
    // No temporary file is left behind either way.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}
