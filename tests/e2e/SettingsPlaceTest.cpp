// Where an installed device keeps its settings, and data folders given for
// one run only.
#include "display/Form1.h"
#include "options/frmOption.h"
#include "tests/e2e/ProgramFixture.h"
#include "tests/support/QtPrinters.h"

#include <QPushButton>
#include <QScrollBar>

namespace {

class SettingsPlace : public ProgramTest {
protected:
    // The program's folder as an installed one: the program may not write
    // there, whoever runs it.
    platform::SettingsPlace installedPlace() const {
        return platform::settingsPlace(home.path(), QStringLiteral("LED-84"), false,
                                       config.filePath(QStringLiteral("ferrotab")));
    }
    QTemporaryDir config;
};

} // namespace

TEST_F(SettingsPlace, AFolderTheProgramMayNotWriteKeepsTheSettingsInTheConfigurationFolder) {
    // Settings prepared beside the program are read at the first start, and
    // stay as they were.
    auto prepared = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    prepared.CtlPageBack = 1;
    writeSettings(prepared);
    const QByteArray preparedBytes = settingsBytes();

    auto first = startProgram(installedPlace());
    EXPECT_EQ(first->panel().PageBack, 1);
    first->display().move(150, 40);
    first->panel().HScroll1[0]->setValue(7);
    first->options().setDataFolders({QStringLiteral("/routes/"), QStringLiteral("/tapes/")});
    boxes.answer(platform::MsgAnswer::Yes);
    first->panel().close();
    ASSERT_EQ(ended, 1);
    EXPECT_EQ(settingsBytes(), preparedBytes);
    const QString kept = config.filePath(QStringLiteral("ferrotab/LED-84.in4"));
    EXPECT_EQ(installedPlace().settingsFileToRead, kept);
    first.reset();

    // The second start reads what the first one kept.
    auto second = startProgram(installedPlace());
    EXPECT_EQ(second->display().pos(), QPoint(150, 40));
    EXPECT_EQ(second->panel().HScroll1[0]->value(), 7);
    EXPECT_EQ(second->options().dataFolders().fareData, QStringLiteral("/routes/"));
    EXPECT_EQ(second->panel().PageBack, 1);
    EXPECT_TRUE(second->panel().Command8->toolTip().contains(QDir::toNativeSeparators(kept)));
}

TEST_F(SettingsPlace, DataFoldersForOneRunLeaveTheSettingsFileItsOwn) {
    auto record = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    record.FareDataDir = QStringLiteral("/mine/fares/");
    record.BroadcastDataDir = QStringLiteral("/mine/tapes/");
    writeSettings(record);
    const auto run = [this](const std::function<void(Program&)>& during) {
        Program program(settingsFile);
        program.endProcess = [this] { ++ended; };
        program.fareDataFolderForThisRun = QStringLiteral("/sent/fares");
        program.start();
        during(program);
        return quitAndReadSettings(program);
    };

    auto saved = run([](Program& p) {
        EXPECT_EQ(p.options().dataFolders().fareData, QStringLiteral("/sent/fares"));
        EXPECT_EQ(p.options().dataFolders().broadcastData, QStringLiteral("/mine/tapes/"));
    });
    EXPECT_EQ(saved.FareDataDir, QStringLiteral("/mine/fares/"));
    EXPECT_EQ(saved.BroadcastDataDir, QStringLiteral("/mine/tapes/"));

    // A folder the user chooses under 設定... during such a run is theirs.
    saved = run([](Program& p) {
        p.options().setDataFolders({QStringLiteral("/chosen/"), QStringLiteral("/mine/tapes/")});
    });
    EXPECT_EQ(saved.FareDataDir, QStringLiteral("/chosen/"));
}
