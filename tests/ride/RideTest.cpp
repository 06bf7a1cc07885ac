// A ride by itself on a small route, the program's clock faked: when the
// stops change and the announcements start, at real speed and sixty times
// faster, with the longest wait, a hand on the panel, display clear, the loop
// and a timetable that does not fit.
#include "tests/e2e/ProgramFixture.h"

#include "remote/ControlService.h"
#include "panel/frmCtl.h"
#include "platform/ControlFile.h"
#include "platform/Cp932.h"
#include "route/FareDataFile.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Settings.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

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
        QObject::connect(&panel, &frmCtl::announcementStarted, [this](int n, bool) {
            log << at() + QStringLiteral(" say %1").arg(n);
            speech->status = 1; // speaking for the next kSpeechMs
            speakingUntilMs = nowMs() + kSpeechMs;
        });
        QObject::connect(&service->ride(), &ride::Ride::changed,
                         [this](const QString& e) { log << at() + u' ' + e; });
    }
    ~RideTest() override { service.reset(); }

    // Four stops with short names, so no name scrolls.
    void writeRoute(bool withAnnouncements) const {
        route::FareData data;
        for (const char* name : {"本町", "東", "森", "浜"}) {
            route::FareRecord rec;
            rec.NameBytes = cp932::encode(QString::fromUtf8(name));
            rec.Cols.fill(-1);
            rec.Cols[0] = 200;
            data.Rows.push_back(rec);
        }
        ASSERT_FALSE(route::writeFareDataFile(home.filePath(QStringLiteral("7.hy3")), data).has_value());
        if (withAnnouncements)
            testing_files::writeFile(home.filePath(QStringLiteral("7tp.csv")),
                                     cp932::encode(QStringLiteral("ご乗車ありがとうございます,0,0\r\n次は東,1,0\r\n"
                                                                  "次は森,1,0\r\n次は浜,1,0\r\n")));
    }
    void writeTimetable(const QByteArray& text) const {
        testing_files::writeFile(home.filePath(QStringLiteral("7tt.csv")), text);
    }
    static QByteArray timetable() {
        return "row,arrive,depart\n1,,10:00:00\n2,10:02:00,10:02:30\n3,10:05:00,10:05:00\n4,10:06:00,\n";
    }

    std::optional<protocol::Refusal> ride(double speed, double maxGap = 1000, bool loop = false, double interval = 60) {
        ride::Ride::Options o;
        o.route = QStringLiteral("7");
        o.pace = {speed, maxGap, interval};
        o.loop = loop;
        const auto refusal = service->ride().start(o);
        startMs = nowMs();
        // The route setting (its lamp test takes 3 s of the clock) and its answer.
        for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
        startMs = nowMs();
        log.clear();
        return refusal;
    }
    // The clock moves on in steps of 100 ms; the program handles its events.
    void run(int seconds, const std::function<void(int)>& at = {}) {
        for (int step = 0; step < seconds * 10; ++step) {
            time->advance(100);
            if (speech->status == 1 && nowMs() >= speakingUntilMs) speech->status = 0;
            if (at && step % 10 == 0) at(step / 10);
            service->ride().tick();
            QCoreApplication::processEvents();
        }
    }
    qint64 nowMs() { return time->monotonicNs / 1'000'000; }
    // The log's events in order, each within a step or two of its time.
    void expectTimeline(const std::vector<std::pair<double, const char*>>& expected) const {
        ASSERT_EQ(log.size(), qsizetype(expected.size())) << log.join(u'\n').toStdString();
        for (size_t i = 0; i < expected.size(); ++i) {
            const QString entry = log[qsizetype(i)];
            EXPECT_EQ(entry.section(u' ', 1), QString::fromUtf8(expected[i].second)) << entry.toStdString();
            EXPECT_NEAR(entry.section(u' ', 0, 0).toDouble(), expected[i].first, 1.0) << entry.toStdString();
        }
    }
    // Seconds since the ride's route was set.
    QString at() { return QString::number(double(nowMs() - startMs) / 1000.0); }

    static constexpr qint64 kSpeechMs = 5000;
    platform::testing::ScopedAudio audio;
    sound::testing::ScopedSpeechEngine speech;
    std::unique_ptr<Program> program;
    std::unique_ptr<remote::ControlService> service;
    QStringList log;
    qint64 startMs = 0;
    qint64 speakingUntilMs = 0;
};

} // namespace

TEST_F(RideTest, TheTimetableAtRealSpeedAndSixtyTimesFaster) {
    writeRoute(true);
    writeTimetable(timetable());
    // Real time: the greeting as the bus leaves, then the next stop's
    // announcement once it has ended, which moves the display; each next
    // leaves at its departure (dwell 30 s at 東), the last stop ends it.
    ASSERT_FALSE(ride(1));
    run(400);
    expectTimeline({{0, "say 1"}, {5, "say 2"}, {5, "stop 2"}, {155, "say 3"}, {155, "stop 3"}, {305, "say 4"},
                    {305, "stop 4"}, {365, "rideEnded"}});
    // A minute a second: the legs take 2, 2.5 and 1 s, but an announcement
    // is never cut off: the bus leaves once the voice is free.
    ASSERT_FALSE(ride(60));
    run(30);
    expectTimeline({{0, "say 1"}, {5, "say 2"}, {5, "stop 2"}, {10, "say 3"}, {10, "stop 3"}, {15, "say 4"},
                    {15, "stop 4"}, {16, "rideEnded"}});
}

TEST_F(RideTest, WithoutATimetableOneIntervalAndNoWaitLongerThanTheCap) {
    writeRoute(false);
    ASSERT_FALSE(ride(1, 30, false, 100));
    run(100);
    expectTimeline({{30, "stop 2"}, {60, "stop 3"}, {90, "stop 4"}, {90, "rideEnded"}});
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
    expectTimeline({{235, "stop 3"}, {295, "stop 4"}, {295, "rideEnded"}});

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
    run(75);
    // At the terminal after 30 s, a pause of 3 s, the lamp test's 3 s, and
    // the route again from its first stop, and so on.
    EXPECT_EQ(routeSettings, 2);
    expectTimeline({{10, "stop 2"}, {20, "stop 3"}, {30, "stop 4"}, {36, "stop 1"}, {46, "stop 2"}, {56, "stop 3"},
                    {66, "stop 4"}, {72, "stop 1"}});
    EXPECT_TRUE(service->ride().running());
}

TEST_F(RideTest, ATimetableThatDoesNotFitIsRefusedWithItsLine) {
    writeRoute(false);
    writeTimetable("row,arrive,depart\n1,,10:00:00\n2,10:02:00,09:00:00\n3,10:05:00,10:05:00\n4,10:06:00,\n");
    const auto refusal = ride(1);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->code, QStringLiteral("bad_timetable"));
    EXPECT_TRUE(refusal->message.contains(QStringLiteral("line 3"))) << refusal->message.toStdString();
    EXPECT_FALSE(service->ride().running());
    EXPECT_FALSE(program->panel().routeIsSet());
}
