#include "platform/Files.h"
#include "tests/support/FailingSaveFile.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "settings/SettingsCodec.h"
#include "settings/mdlIniIo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using platform::testing::ScopedMessageBoxes;
using settings::SettingsRecord;
using testing_files::readFile;
using testing_files::writeFile;

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

TEST_F(IniFile, AMissingFileIsSkippedSilently) {
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 0);
    // A folder where the file should be is no file either.
    QDir(dir.path()).mkdir(QStringLiteral("LED-84.in4"));
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 0);
    EXPECT_TRUE(boxes.shown().empty());
}

namespace {

// The file's layout as the format lays it down, one letter per value: S a
// text (a 2-byte count, then its bytes), 2 and 4 a number of that many
// bytes, C the cell count. The custom colours and the cell formats are runs.
const std::string kLayout = std::string("SS" "24442222222222SSS" "4442222222222" "4422" "SS2222S2SSS2222SSSS"
                                        "2S222S" "2442244" "44") +
                            std::string(17, '4') + "C" + std::string(252, '2');

// A whole file of that layout: numbers from `seed`, texts of two letters
// starting with `letter`. Every byte differs from another seed's and
// letter's but the texts' counts and the cell count. `ends` gets the offset
// at which each value ends.
QByteArray patternFile(char seed, char letter, std::vector<qsizetype>* ends = nullptr) {
    QByteArray b;
    for (const char kind : kLayout) {
        if (kind == 'S') b.append("\x02\x00", 2).append(letter).append(char('a' + b.size() % 26));
        else if (kind == 'C') b.append("\x54\x00", 2);
        else
            for (int i = 0; i < kind - '0'; ++i) b.append(char(seed ^ (b.size() & 0x1F)));
        if (ends) ends->push_back(b.size());
    }
    return b;
}

} // namespace

TEST_F(IniFile, AFileCutShortKeepsWhatItHoldsAndTheRestTakesTheWindowsValues) {
    // A power cut while the file was written leaves it cut anywhere. Every
    // value before the cut is the file's, every one from the value the cut
    // falls in on is what the windows held (the factory settings at start).
    std::vector<qsizetype> ends;
    const QByteArray user = patternFile('@', 'U', &ends);
    const QByteArray held = patternFile('\x60', 'F');
    ASSERT_EQ(user.size(), settings::kEmptyRecordSize + 17 * 2);
    ASSERT_EQ(settings::encodeSettings(settings::decodeSettings(user)), user) << "the layout is the format's";
    const QString bad = path() + QStringLiteral(".bad");
    for (qsizetype cut = 0; cut < user.size(); ++cut) {
        SCOPED_TRACE(cut);
        mdlIniIo::record() = settings::decodeSettings(held);
        windows.windows = mdlIniIo::record();
        writeFile(path(), user.left(cut));
        const size_t before = boxes.shown().size();
        EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
        qsizetype kept = 0; // the values read whole end here
        for (const qsizetype end : ends)
            if (end <= cut) kept = end;
        EXPECT_EQ(settings::encodeSettings(windows.windows), user.left(kept) + held.mid(kept));
        EXPECT_EQ(readFile(bad), user.left(cut));
        ASSERT_EQ(boxes.shown().size(), before + 1) << "told once";
        EXPECT_TRUE(boxes.shown().back().text.endsWith(bad)) << "says where the cut file is kept";
    }
    // How much was kept: nothing of an empty file, one field after the
    // first text, all but the cell formats when the last byte is missing.
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("設定ファイルが壊れているため、初期設定で起動します。")));
    EXPECT_TRUE(boxes.shown()[4].text.startsWith(QStringLiteral("設定ファイルが途中で切れています。全73項目のうち読めた1項目を使い、")));
    EXPECT_TRUE(boxes.shown().back().text.contains(QStringLiteral("読めた72項目")));

    // The whole file is read as it is, without a word.
    writeFile(path(), user);
    const size_t before = boxes.shown().size();
    EXPECT_TRUE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(settings::encodeSettings(windows.windows), user);
    EXPECT_EQ(boxes.shown().size(), before);
}

TEST_F(IniFile, SaveThenLoadKeepsEveryField) {
    mdlIniIo::record().SoundResetFile = QStringLiteral("ピンポン.wav");
    windows.windows.DisplayLeft = 1500;
    windows.windows.CtlTop = 3000;
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    const QByteArray first = readFile(path());
    EXPECT_EQ(first.size(), 752 + 12);

    // Saving again without changes writes the same bytes.
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    EXPECT_EQ(readFile(path()), first);

    mdlIniIo::record() = SettingsRecord{};
    ASSERT_TRUE(mdlIniIo::LoadIni(windows, path()));
    EXPECT_EQ(windows.applied, 1);
    EXPECT_EQ(windows.windows.SoundResetFile, QStringLiteral("ピンポン.wav"));
    EXPECT_EQ(windows.windows.DisplayLeft, 1500);
    EXPECT_EQ(windows.windows.TicketFixedDate, QStringLiteral("2026/12/06"));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(IniFile, RefusedValueShowsTheLoadFailureFrame) {
    writeFile(path(), settings::encodeSettings(SettingsRecord{}));
    windows.refuse = true;
    EXPECT_FALSE(mdlIniIo::LoadIni(windows, path()));
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.text, QStringLiteral("エラー Code:380\r\n内容:プロパティの値が不正です。\r\nモジュール:mdlIniIo.LoadIni()"));
    EXPECT_TRUE(box.title.isEmpty()); // the application's title
    EXPECT_EQ(box.buttons, platform::MsgButtons::Ok);
}

TEST_F(IniFile, AFolderThatIsNotThereShowsTheSaveFailureFrame) {
    const QString missing = mdlIniIo::settingsPath(dir.path() + QStringLiteral("/nowhere"), QStringLiteral("LED-84"));
    EXPECT_FALSE(mdlIniIo::SaveIni(windows, missing));
    ASSERT_EQ(boxes.shown().size(), 1u);
    const QString text = boxes.shown()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("エラー Code:76\r\n内容:"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QDir::toNativeSeparators(missing) + u')')) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("モジュール")));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(IniFile, ADeviceThatFailsHalfWayKeepsThePreviousFileWhole) {
    windows.windows.DisplayLeft = 1500;
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, path()));
    const QByteArray before = readFile(path());

    windows.windows.DisplayLeft = 3000;
    mdlIniIo::record().FareDataDir = QStringLiteral("changed");
    platform::testing::FailingSaveFile file(path(), 300);
    EXPECT_FALSE(mdlIniIo::SaveIni(windows, file));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("エラー Code:57\r\n内容:No space left on device (%1)")
                                         .arg(QDir::toNativeSeparators(path())));
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LED-84.in4")});
}

#ifdef Q_OS_UNIX
// The fallback to writing in place exists where a folder's permissions can
// refuse new files while its files stay writable.
namespace {

// Runs `save` in a child process without root's power to ignore file
// permissions (as the unprivileged user "nobody" when the tests run as
// root) and returns its exit status; 77 when the child could not give up
// that power.
int runUnprivileged(const std::function<int()>& save) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
        _exit(save());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST_F(IniFile, AWritableFileInAFolderThatTakesNoTemporaryFileIsWrittenInPlace) {
    // The settings file may be writable while its folder is not (a program
    // folder the user may not add files to): the temporary file cannot be
    // made beside it, so the settings are written into the file itself.
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString file = mdlIniIo::settingsPath(locked, QStringLiteral("LED-84"));
    windows.windows.DisplayLeft = 1500;
    ASSERT_TRUE(mdlIniIo::SaveIni(windows, file));
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther |
                     QFile::WriteOther;
    const auto readAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                              QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(file, all));
    ASSERT_TRUE(QFile::setPermissions(locked, readAndEnter));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readAndEnter | QFile::WriteOwner));

    windows.windows.DisplayLeft = 4500;
    const int status = runUnprivileged([&] {
        // Proof that the folder refuses the temporary file: replacing the
        // file whole fails here.
        if (!platform::replaceFile(file, QByteArrayLiteral("whole"))) return 3;
        return mdlIniIo::SaveIni(windows, file) ? 0 : 1;
    });
    QFile::setPermissions(locked, readAndEnter | QFile::WriteOwner);
    if (status == 77) GTEST_SKIP() << "cannot run a process without root's file access here";
    ASSERT_EQ(status, 0) << (status == 3 ? "the folder took a temporary file" : "the settings were not saved");

    SettingsRecord saved;
    settings::decodeSettings(readFile(file), saved);
    EXPECT_EQ(saved.DisplayLeft, 4500);
    EXPECT_EQ(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LED-84.in4")});
}
#endif
