// What the panel plays and says: the key and list sounds, the route-setting
// sound, the stop sounds and their timing, and the announcement buttons with
// the stops they move. Nothing sounds: the commands and the speech engine's
// calls are recorded.
#include "tests/panel/PanelFixture.h"
#include "platform/ProgramIdentity.h"
#include "tests/support/SoundFiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>

namespace {

class PanelSound : public PanelTest {
protected:
    PanelSound() {
        for (const char* name : {"click.wav", "chime.wav", "adv1.wav", "adv2.wav", "adv3.wav", "always.wav"})
            EXPECT_TRUE(testing_sound::writeFile(sound(name), testing_sound::sineWav(20)));
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) {
            r.SoundRouteSetFile = sound("chime.wav");
            r.SoundResetFile = sound("click.wav");
            r.BroadcastDataDir = folder.path();
        });
    }

    QString sound(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    // The sounds opened so far as "file@slot", in order; then forgotten.
    QStringList played() {
        QStringList out;
        for (const QString& c : audio.commands()) {
            if (!c.startsWith(QStringLiteral("open \""))) continue;
            const qsizetype close = c.indexOf(u'"', 6);
            const QString file = c.mid(6, close - 6).section(u'/', -1);
            const QString alias = c.section(QStringLiteral(" alias "), 1).section(u' ', 0, 0);
            out << file + u'@' + alias.mid(QStringLiteral("LED-84").size());
        }
        audio.commands().clear();
        return out;
    }

    void writeTape(const QString& name, const QStringList& lines) const {
        QByteArray bytes;
        for (const QString& line : lines) bytes += cp932::encode(line) + "\r\n";
        ASSERT_TRUE(testing_sound::writeFile(folder.filePath(name), bytes));
    }

    platform::testing::ScopedProgramIdentity identity{folder.path(), QStringLiteral("LED-84")};
};

} // namespace

TEST_F(PanelSound, KeysListsAndRouteSettingSoundInTheFirstSlot) {
    press({1, panel::kKeyRoute, 1, 2, 3, 4, 5, 6});
    EXPECT_EQ(played(), QStringList(8, QStringLiteral("click.wav@S1"))) << "also the digit that no longer fits";
    EXPECT_EQ(panel->Label2[0]->text(), QStringLiteral("12345"));

    // The wheels: a route digit clicks, a section digit chimes.
    panel->List2[2]->setCurrentRow(4);
    panel->List3[0]->setCurrentRow(1);
    EXPECT_EQ(played(), QStringList({QStringLiteral("click.wav@S1"), QStringLiteral("chime.wav@S1")}));

    // Route setting chimes before anything else, also when it fails.
    writeRoute(QStringLiteral("7.hy3"), {{"本町", {170}}, {"東", {190}}});
    bool chimedBeforeTheLampTest = false;
    audio->onCommand = [&](const QString& c) {
        if (c.contains(QStringLiteral("chime.wav")))
            chimedBeforeTheLampTest = std::count(time->sleeps.begin(), time->sleeps.end(), 3000) == 0;
        return 0;
    };
    setRoute(QStringLiteral("7"), QStringLiteral("1"));
    EXPECT_TRUE(chimedBeforeTheLampTest);
    EXPECT_EQ(std::count(time->sleeps.begin(), time->sleeps.end(), 3000), 1);
    EXPECT_EQ(played().filter(QStringLiteral("chime")), QStringList{QStringLiteral("chime.wav@S1")});
    setRoute(QStringLiteral("8"), QStringLiteral("1"));
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(played().filter(QStringLiteral("chime")), QStringList{QStringLiteral("chime.wav@S1")});
}

TEST_F(PanelSound, AStopSoundComesWithTheMoveAndBeforeTheFaresWhenSynchronous) {
    // Fare column 90 says which sound a stop has.
    auto stop = [](const char* name, int fare, int column90) {
        std::vector<int> fares(90, -1);
        fares[0] = fare;
        fares[89] = column90;
        return std::pair<const char*, std::vector<int>>(name, fares);
    };
    route::FareData data;
    for (const auto& [name, fares] : {stop("本町", 170, 0), stop("東", 190, 2), stop("森", 210, 0)}) {
        route::FareRecord rec;
        rec.NameBytes = cp932::encode(QString::fromUtf8(name));
        rec.Cols.fill(-1);
        for (size_t c = 0; c < fares.size(); ++c) rec.Cols[c] = std::int16_t(fares[c]);
        data.Rows.push_back(rec);
    }
    ASSERT_FALSE(route::writeFareDataFile(folder.filePath(QStringLiteral("9.hy3")), data).has_value());
    using testing_settings::kNotSelected;
    using testing_settings::kSelected;
    testing_settings::change(*dialog, [&](settings::SettingsRecord& r) {
        r.AdvanceSoundAlways = kNotSelected;
        r.AdvanceSoundByColumn = kSelected; // by the column's value
        r.AdvanceSoundColumn = 89;
        r.AdvanceSoundFile1 = sound("adv1.wav");
        r.AdvanceSoundFile2 = sound("adv2.wav");
        r.AdvanceSoundFile3 = sound("adv3.wav");
        r.AdvanceSoundSync = kSelected; // the fares wait for the sound
        r.AdvanceSoundAsync = kNotSelected;
    });
    setRoute(QStringLiteral("9"), QStringLiteral("1"));
    played();

    // Back at the first stop: no sound, nothing moves.
    panel->Command2[0]->click();
    EXPECT_TRUE(played().isEmpty());

    QString fareWhileSounding;
    audio->onCommand = [&](const QString& c) {
        if (c.startsWith(QStringLiteral("play ")) && c.endsWith(QStringLiteral(" wait"))) fareWhileSounding = shown(1);
        return 0;
    };
    panel->Command2[1]->click();
    EXPECT_EQ(played(), QStringList{QStringLiteral("adv2.wav@S2")});
    EXPECT_EQ(fareWhileSounding, QStringLiteral("170")) << "the old fare while the sound plays";
    EXPECT_EQ(shown(1), QStringLiteral("190"));
    panel->Command2[1]->click();
    EXPECT_TRUE(played().isEmpty()) << "column 90 holds 0 here";
    // The last stop: no further, and silent.
    panel->Command2[1]->click();
    EXPECT_TRUE(played().isEmpty());
    EXPECT_EQ(mdlOrv_000::state().CurrentRow, 2);
    // Arriving back at the stop sounds it again; asynchronous, the fares do
    // not wait.
    testing_settings::change(*dialog, [&](settings::SettingsRecord& r) {
        r.AdvanceSoundSync = kNotSelected;
        r.AdvanceSoundAsync = kSelected;
    });
    fareWhileSounding.clear();
    panel->Command2[0]->click();
    EXPECT_EQ(played(), QStringList{QStringLiteral("adv2.wav@S2")});
    EXPECT_TRUE(fareWhileSounding.isEmpty());

    // "Always" plays its sound at every stop.
    testing_settings::change(*dialog, [&](settings::SettingsRecord& r) {
        r.AdvanceSoundAlways = kSelected;
        r.AdvanceSoundByColumn = kNotSelected;
        r.AdvanceSoundFile = sound("always.wav");
    });
    panel->Command2[0]->click();
    EXPECT_EQ(played(), QStringList{QStringLiteral("always.wav@S2")});
}

TEST_F(PanelSound, AnnouncementsStepAndMoveTheBusWhereTheySaySo) {
    writeRoute(QStringLiteral("4.hy3"), {{"本町", {170}}, {"東", {190}}, {"森", {210}}});
    // Copied from Windows: the name in capitals.
    writeTape(QStringLiteral("4TP.CSV"), {QStringLiteral("ご乗車ありがとうございます,0,0"),
                                          QStringLiteral("次は東です,1,0"), QStringLiteral("次は森です,1,0")});
    panel->Load();
    EXPECT_EQ(panel->grpM_Tape->title(), QStringLiteral("音合使用可"));
    EXPECT_TRUE(panel->grpM_Tape->isEnabled());
    EXPECT_FALSE(panel->cmdTapeNext->isEnabled()) << "no announcements before a route";

    setRoute(QStringLiteral("4"), QStringLiteral("1"));
    ASSERT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(panel->cmdTapeNext->isEnabled());
    const auto& s = mdlOrv_000::state();

    panel->cmdTapeNext->click();
    EXPECT_EQ(speech.spoken().back(), QStringLiteral("ご乗車ありがとうございます"));
    EXPECT_EQ(s.CurrentRow, 0) << "this one does not move the bus";
    panel->cmdTapeNext->click();
    EXPECT_EQ(speech.spoken().back(), QStringLiteral("次は東です"));
    EXPECT_EQ(s.CurrentRow, 1);
    EXPECT_EQ(shown(1), QStringLiteral("190"));
    panel->cmdTapeBack->click();
    EXPECT_EQ(speech.spoken().back(), QStringLiteral("ご乗車ありがとうございます"));
    EXPECT_EQ(s.CurrentRow, 1) << "the first announcement does not move the bus back";

    panel->cmdTapeStop->click();
    EXPECT_EQ(speech->calls.back(), QStringLiteral("stop"));
    panel->cmdTapeSet->click();
    EXPECT_EQ(speech->calls.back(), QStringLiteral("adjust:音声の調節"));
    EXPECT_EQ(speech->adjustOwners.back(), panel.get());

    // Display clear locks the announcements and gives them back.
    panel->Check1->click();
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    panel->Check1->click();
    EXPECT_TRUE(panel->grpM_Tape->isEnabled());

    // The announcements are loaded before the fare data is looked at: a
    // route without fare data still has its announcements.
    writeTape(QStringLiteral("6tp.csv"), {QStringLiteral("回送です,0,0")});
    setRoute(QStringLiteral("6"), QStringLiteral("1"));
    ASSERT_EQ(boxes.shown().size(), 1u);
    panel->cmdTapeNext->click();
    EXPECT_EQ(speech.spoken().back(), QStringLiteral("回送です"));
}

TEST_F(PanelSound, WithoutASpeechEngineTheAnnouncementsStayLocked) {
    speech->refuseToStart = true;
    panel->Load();
    EXPECT_EQ(panel->grpM_Tape->title(), QStringLiteral("音合使用不可"));
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    writeRoute(QStringLiteral("4.hy3"), {{"本町", {170}}, {"東", {190}}});
    setRoute(QStringLiteral("4"), QStringLiteral("1"));
    panel->Check1->click();
    panel->Check1->click();
    EXPECT_FALSE(panel->grpM_Tape->isEnabled());
    EXPECT_TRUE(panel->Command2[1]->isEnabled());
}
