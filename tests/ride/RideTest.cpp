// A ride by itself on a small route, the program's clock faked and a voice
// of set lengths: the timetable kept at real speed and far faster, the
// announcements that do not fit skipped, the longest wait, a hand on the
// panel (and the announcements following it), display clear, the loop, and
// rides that cannot start.
#include "tests/e2e/ProgramFixture.h"

#include "remote/ControlService.h"
#include "panel/frmCtl.h"

#include <QLabel>
#include <QLabel>
#include "platform/ControlFile.h"
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Settings.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QPushButton>

namespace {

// Six stops with short names, so no name scrolls; a greeting and each
// stop's announcement, which moves the display.
const char* const kStops[] = {"本町", "東", "森", "浜", "港", "岬"};
const std::pair<const char*, int> kAnnouncements[] = {
    {"ご乗車ありがとうございます", 0}, {"次は東", 1}, {"次は森", 1}, {"次は浜", 1}, {"次は港", 1}, {"終点岬", 1}};
// Legs of 2, 1.5, 1, 3 and 2 minutes; waits of 30 s at 東 and 20 s at 浜.
const QByteArray kTimetable = "row,arrive,depart\n1,,10:00:00\n2,10:02:00,10:02:30\n3,10:04:00,10:04:00\n"
                              "4,10:05:00,10:05:20\n5,10:08:20,10:08:20\n6,10:10:20,\n";

class RideTest : public ProgramTest {
protected:
    RideTest() {
        program = startProgram();
        testing_settings::change(program->options(), [&](settings::SettingsRecord& r) {
            r.FareDataDir = home.path();
            r.BroadcastDataDir = home.path();
        });
        service = std::make_unique<remote::ControlService>(program->panel(), program->display(),
                                                            home.filePath(QStringLiteral("LED-84.control.json")));
        frmCtl& panel = program->panel();
        QObject::connect(&panel, &frmCtl::stopShown, [this](int n) { log << at() + QStringLiteral(" stop %1").arg(n); });
        QObject::connect(&panel, &frmCtl::announcementStarted,
                         [this](int n, bool) { log << at() + QStringLiteral(" say %1").arg(n); });
        QObject::connect(&service->ride(), &ride::Ride::changed, [this](const QString& e) {
            const QJsonObject ride = service->ride().state();
            if (e == u"rideAnnouncementSkipped")
                log << at() + QStringLiteral(" skip %1").arg(ride.value(QStringLiteral("skipped")).toArray().last().toObject().value(QStringLiteral("index")).toInt());
            else
                log << at() + u' ' + e;
            if (e == u"rideDeparted" && firstDeparture.isEmpty()) firstDeparture = ride;
        });
        // The greeting speaks for 2 s, each stop's announcement for 3 s.
        for (const auto& [text, flag] : kAnnouncements)
            speech->lengthsMs.insert(QString::fromUtf8(text), flag ? 3000 : 2000);
    }
    ~RideTest() override { service.reset(); }

    void writeRoute(bool withAnnouncements) const {
        route::FareData data;
        QByteArray tape;
        for (const char* name : kStops) {
            route::FareRecord rec;
            rec.NameBytes = cp932::encode(QString::fromUtf8(name));
            rec.Cols.fill(-1);
            rec.Cols[0] = 200;
            data.Rows.push_back(rec);
        }
        ASSERT_FALSE(route::writeFareDataFile(home.filePath(QStringLiteral("7.hy3")), data).has_value());
        for (const auto& [text, flag] : kAnnouncements)
            tape += cp932::encode(QString::fromUtf8(text)) + ',' + QByteArray::number(flag) + ",0\r\n";
        if (withAnnouncements) testing_files::writeFile(home.filePath(QStringLiteral("7tp.csv")), tape);
    }
    void writeTimetable(const QByteArray& text) const {
        testing_files::writeFile(home.filePath(QStringLiteral("7tt.csv")), text);
    }

    std::optional<protocol::Refusal> ride(double speed, double maxGap = 1000, bool loop = false, double interval = 60) {
        ride::Ride::Options o;
        o.route = QStringLiteral("7");
        o.pace = {speed, maxGap, interval};
        o.loop = loop;
        // The route is set (its lamp test takes 3 s of the clock) before the answer.
        const auto refusal = service->ride().start(o);
        startMs = nowMs();
        log.clear();
        firstDeparture = {};
        return refusal;
    }
    // The clock moves on in steps of `stepMs`; the program handles its events.
    void run(double seconds, const std::function<void(int)>& at = {}, int stepMs = 100) {
        for (int step = 0; step < int(seconds * 1000 / stepMs); ++step) {
            time->advance(stepMs);
            if (at && step % (1000 / stepMs) == 0) at(step / (1000 / stepMs));
            service->ride().tick();
            QCoreApplication::processEvents();
        }
    }
    // A command as another program sends it, and its outcome.
    panel::Outcome command(const QString& name, const QVariantMap& args) {
        std::optional<panel::Outcome> outcome;
        service->driver().submit({name, args}, client, [&](const panel::Outcome& o) { outcome = o; });
        for (int round = 0; round < 20 && !outcome; ++round) QCoreApplication::processEvents();
        EXPECT_TRUE(outcome);
        return outcome.value_or(panel::Outcome{});
    }
    qint64 nowMs() { return time->monotonicNs / 1'000'000; }
    // The log's events in order, each within `slack` seconds of its time;
    // departures and arrivals only where the expectation has them.
    void expectTimeline(const std::vector<std::pair<double, const char*>>& expected, double slack = 1.0) const {
        const bool moves = std::any_of(expected.begin(), expected.end(), [](const auto& e) {
            return std::string_view(e.second) == "rideDeparted" || std::string_view(e.second) == "rideArrived";
        });
        QStringList entries;
        for (const QString& entry : log)
            if (moves || !(entry.endsWith(u"rideDeparted") || entry.endsWith(u"rideArrived"))) entries << entry;
        ASSERT_EQ(entries.size(), qsizetype(expected.size())) << entries.join(u'\n').toStdString();
        for (size_t i = 0; i < expected.size(); ++i) {
            const QString entry = entries[qsizetype(i)];
            EXPECT_EQ(entry.section(u' ', 1), QString::fromUtf8(expected[i].second)) << entry.toStdString();
            EXPECT_NEAR(entry.section(u' ', 0, 0).toDouble(), expected[i].first, slack) << entry.toStdString();
        }
    }
    // Seconds since the ride's route was set.
    QString at() { return QString::number(double(nowMs() - startMs) / 1000.0); }

    platform::testing::ScopedAudio audio;
    sound::testing::ScopedSpeechEngine speech;
    std::unique_ptr<Program> program;
    std::unique_ptr<remote::ControlService> service;
    std::shared_ptr<panel::ClientTicket> client = std::make_shared<panel::ClientTicket>();
    QStringList log;
    QJsonObject firstDeparture;
    qint64 startMs = 0;
};

} // namespace

TEST_F(RideTest, TheTimetableIsTheClockAtEverySpeed) {
    writeRoute(true);
    writeTimetable(kTimetable);
    // Real time: every announcement plays. The greeting as the bus leaves,
    // then the next stop's once it has ended, which moves the display; each
    // next one as the bus leaves the stop before, the last arrival ends it.
    ASSERT_FALSE(ride(1));
    run(630);
    expectTimeline({{0, "rideDeparted"}, {0, "say 1"}, {2, "say 2"}, {2, "stop 2"}, {120, "rideArrived"},
                    {150, "rideDeparted"}, {150, "say 3"}, {150, "stop 3"}, {240, "rideArrived"},
                    {240, "rideDeparted"}, {240, "say 4"}, {240, "stop 4"}, {300, "rideArrived"},
                    {320, "rideDeparted"}, {320, "say 5"}, {320, "stop 5"}, {500, "rideArrived"},
                    {500, "rideDeparted"}, {500, "say 6"}, {500, "stop 6"}, {620, "rideArrived"}, {620, "rideEnded"}});
    // Leaving, the next stop and its time.
    EXPECT_EQ(firstDeparture.value(QStringLiteral("nextStop")).toInt(), 2);
    EXPECT_EQ(firstDeparture.value(QStringLiteral("nextStopName")).toString(), QStringLiteral("東"));
    EXPECT_EQ(firstDeparture.value(QStringLiteral("nextStopTime")).toString(), QStringLiteral("10:02:00"));
    EXPECT_NEAR(firstDeparture.value(QStringLiteral("secondsToNext")).toDouble(), 120, 0.5);

    // Thirty times faster the legs take 4, 3, 2, 6 and 4 s: the greeting
    // would leave no room for 次は東 and 次は浜 would not end before 浜, so
    // both are skipped and the display moves to 浜 at its time; the rest
    // move it as the bus leaves, and the last arrival is on time.
    ASSERT_FALSE(ride(30));
    run(25);
    expectTimeline({{0, "skip 1"}, {0, "say 2"}, {0, "stop 2"}, {5, "say 3"}, {5, "stop 3"}, {8, "skip 4"},
                    {10, "stop 4"}, {10.67, "say 5"}, {10.67, "stop 5"}, {16.67, "say 6"}, {16.67, "stop 6"},
                    {20.67, "rideEnded"}},
                   0.15);

    // Six hundred times faster no announcement fits: each stop is shown at
    // its time by データ送り.
    ASSERT_FALSE(ride(600));
    run(2, {}, 10);
    expectTimeline({{0, "skip 1"}, {0, "skip 2"}, {0.2, "stop 2"}, {0.25, "skip 3"}, {0.4, "stop 3"},
                    {0.4, "skip 4"}, {0.5, "stop 4"}, {0.533, "skip 5"}, {0.833, "stop 5"}, {0.833, "skip 6"},
                    {1.033, "stop 6"}, {1.033, "rideEnded"}},
                   0.03);
}

TEST_F(RideTest, AfterAHandTheAnnouncementOfTheStopAhead) {
    writeRoute(true);
    // Legs of 20 s, waits of 10 s.
    writeTimetable("row,arrive,depart\n1,,10:00:00\n2,10:00:20,10:00:30\n3,10:00:50,10:01:00\n"
                   "4,10:01:20,10:01:30\n5,10:01:50,10:02:00\n6,10:02:20,\n");
    frmCtl& panel = program->panel();
    ASSERT_FALSE(ride(1));
    // データ送り at 森 (to 浜), データ戻し at 港 (to 浜), a jump back to 東: each
    // followed, as the bus leaves, by the announcement of the stop ahead.
    run(250, [&](int s) {
        if (s == 55) panel.Command2[1]->click();
        if (s == 90) panel.Command2[0]->click();
        if (s == 125) command(QStringLiteral("goto"), {{QStringLiteral("row"), 2}});
    });
    expectTimeline({{0, "say 1"}, {2, "say 2"}, {2, "stop 2"}, {30, "say 3"}, {30, "stop 3"}, {55, "stop 4"},
                    {65, "say 5"}, {65, "stop 5"}, {90, "stop 4"}, {100, "say 5"}, {100, "stop 5"},
                    {125, "stop 2"}, {135, "say 3"}, {135, "stop 3"}, {165, "say 4"}, {165, "stop 4"},
                    {195, "say 5"}, {195, "stop 5"}, {225, "say 6"}, {225, "stop 6"}, {245, "rideEnded"}});
}

TEST_F(RideTest, ARideThatCannotStartSaysWhy) {
    writeRoute(false);
    const QVariantMap start{{QStringLiteral("do"), QStringLiteral("start")}};
    // Nothing keyed in and no route set: no route to ride.
    const panel::Outcome none = command(QStringLiteral("ride"), start);
    ASSERT_TRUE(none.refusal);
    EXPECT_EQ(none.refusal->code, QStringLiteral("missing_parameter"));
    // No such route, a section past the end: refused with the route
    // setting's reason on one line, and no ride.
    for (const auto& [route, section] : {std::pair{"77", "1"}, std::pair{"7", "9"}}) {
        const panel::Outcome o = command(QStringLiteral("ride"), {{QStringLiteral("do"), QStringLiteral("start")},
                                                                     {QStringLiteral("route"), QString::fromLatin1(route)},
                                                                     {QStringLiteral("section"), QString::fromLatin1(section)}});
        ASSERT_TRUE(o.refusal) << route;
        EXPECT_EQ(o.refusal->code, QStringLiteral("route_not_set"));
        EXPECT_FALSE(o.refusal->message.isEmpty());
        EXPECT_FALSE(o.refusal->message.contains(u'\n') || o.refusal->message.contains(u'\r'))
            << o.refusal->message.toStdString();
        EXPECT_FALSE(service->ride().running());
    }
    EXPECT_TRUE(log.isEmpty()) << log.join(u'\n').toStdString();
    // One that starts answers once the route is set and the ride runs.
    const panel::Outcome o = command(QStringLiteral("ride"), {{QStringLiteral("do"), QStringLiteral("start")},
                                                                 {QStringLiteral("route"), QStringLiteral("7")}});
    EXPECT_FALSE(o.refusal);
    EXPECT_TRUE(program->panel().routeIsSet());
    EXPECT_TRUE(service->ride().running());
    // The panel's lamp is lit while it runs.
    EXPECT_FALSE(program->panel().rideLamp->isHidden());
    command(QStringLiteral("ride"), {{QStringLiteral("do"), QStringLiteral("stop")}});
    EXPECT_TRUE(program->panel().rideLamp->isHidden());
    // Without a route, the one that is set.
    EXPECT_FALSE(command(QStringLiteral("ride"), start).refusal);
    EXPECT_EQ(service->ride().state().value(QStringLiteral("route")).toString(), QStringLiteral("7"));
}

TEST_F(RideTest, WithoutATimetableOneIntervalAndNoWaitLongerThanTheCap) {
    writeRoute(false);
    ASSERT_FALSE(ride(1, 30, false, 100));
    run(160);
    expectTimeline({{30, "stop 2"}, {60, "stop 3"}, {90, "stop 4"}, {120, "stop 5"}, {150, "stop 6"}, {150, "rideEnded"}});
    EXPECT_FALSE(service->ride().state().value(QStringLiteral("running")).toBool());
}

TEST_F(RideTest, AHandOnThePanelWins) {
    writeRoute(false);
    frmCtl& panel = program->panel();
    ASSERT_FALSE(ride(1));
    // データ送り by hand: the ride goes on from that stop by its times.
    run(85, [&](int s) {
        if (s == 20) panel.Command2[1]->click();
    });
    expectTimeline({{20, "stop 2"}, {80, "stop 3"}});
    const QJsonObject rideState = service->ride().state();
    EXPECT_EQ(rideState.value(QStringLiteral("nextStop")).toInt(), 4);
    EXPECT_NEAR(rideState.value(QStringLiteral("secondsToNext")).toDouble(), 55, 0.5);

    // Display clear pauses it; unclearing shows the stop again, and the
    // ride waits there its full time once more.
    log.clear();
    run(220, [&](int s) {
        if (s == 10) panel.Check1->click(); // at 95 s
        if (s == 150) panel.Check1->click(); // at 235 s
    });
    expectTimeline({{235, "stop 3"}, {295, "stop 4"}});

    // Another route set by hand ends a ride.
    ASSERT_FALSE(ride(1));
    panel.Command1[1]->click();
    EXPECT_FALSE(service->ride().running());
}

TEST_F(RideTest, ALoopSetsTheRouteAgainAtTheTerminal) {
    writeRoute(false);
    ASSERT_FALSE(ride(1, 1000, true, 10));
    int routeSettings = 0;
    QObject::connect(&program->panel(), &frmCtl::routeSet, [&] { ++routeSettings; });
    run(115);
    // At the terminal after 50 s, a pause of 3 s, the lamp test's 3 s, and
    // the route again from its first stop, and so on.
    EXPECT_EQ(routeSettings, 2);
    expectTimeline({{10, "stop 2"}, {20, "stop 3"}, {30, "stop 4"}, {40, "stop 5"}, {50, "stop 6"}, {56, "stop 1"},
                    {66, "stop 2"}, {76, "stop 3"}, {86, "stop 4"}, {96, "stop 5"}, {106, "stop 6"}, {112, "stop 1"}});
    EXPECT_TRUE(service->ride().running());
}

TEST_F(RideTest, ATimetableThatDoesNotFitIsRefusedWithItsLine) {
    writeRoute(false);
    writeTimetable("row,arrive,depart\n1,,10:00:00\n2,10:02:00,09:00:00\n3,10:05:00,10:05:00\n4,10:06:00,10:06:00\n"
                   "5,10:07:00,10:07:00\n6,10:08:00,\n");
    const auto refusal = ride(1);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->code, QStringLiteral("bad_timetable"));
    EXPECT_TRUE(refusal->message.contains(QStringLiteral("line 3"))) << refusal->message.toStdString();
    EXPECT_FALSE(service->ride().running());
    EXPECT_FALSE(program->panel().routeIsSet());
}
