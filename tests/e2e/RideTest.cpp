// The central road through the three real windows, offscreen with the seams
// faked: a route entered on the panel, set, ridden stop by stop with late
// night, display clear and the options dialog, and the whole panel and
// every option carried across a quit and a new start.
#include "tests/e2e/ProgramFixture.h"
#include "app/Program.h"
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "options/OptionWidgets.h"
#include "options/frmOption.h"
#include "panel/PanelWidgets.h"
#include "panel/frmCtl.h"
#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"
#include "route/FareDataFile.h"
#include "route/mdlOrv_000.h"
#include "settings/SettingsCodec.h"
#include "sound/mdlM_Tape.h"
#include "tests/support/FakeAudio.h"
#include "tests/support/SoundFiles.h"
#include "tests/support/FakeSeams.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

using platform::MsgAnswer;

namespace {

// Runs a test's steps one after another as a person takes them: each when
// the program is ready for input. A stop name long enough to scroll keeps
// the program in the strip's loop, which takes input as it comes: the next
// step runs from there, as a click would. A step is either one action or
// checks; checks written after an action in the same step would run only
// once every later step is done. When the steps are done the strip is given
// a short name, which ends every loop.
class Steps {
public:
    Steps(platform::testing::FakeTimeState& time, ChimeiCtl_B& strip) : time_(time), strip_(strip) {
        time_.onWait = [this] {
            drain();
            if (strip_.isScrolling()) strip_.SetChimei(QStringLiteral("終"));
        };
    }
    ~Steps() { time_.onWait = nullptr; }
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;

    Steps& then(std::function<void()> step) {
        queue_.push_back(std::move(step));
        return *this;
    }
    void run() { drain(); }

private:
    void drain() {
        while (!queue_.empty()) {
            std::function<void()> step = std::move(queue_.front());
            queue_.pop_front();
            step();
        }
    }
    platform::testing::FakeTimeState& time_;
    ChimeiCtl_B& strip_;
    std::deque<std::function<void()>> queue_;
};

class Ride : public ProgramTest {
protected:
    // The program's fare data folder is the test's.
    void useFareFolder(Program& p) const {
        testing_settings::change(p.options(), [&](settings::SettingsRecord& r) { r.FareDataDir = fares.path(); });
    }

    // The sample route under the number 12, as a user would copy it.
    route::FareData copySampleAs12() const {
        const QString sample = QStringLiteral(FERROTAB_BUILD_DIR) + QStringLiteral("/data/sample/1.hy3");
        EXPECT_TRUE(QFile::copy(sample, fares.filePath(QStringLiteral("12.hy3"))));
        const route::FareDataResult read = route::readFareDataFile(sample);
        EXPECT_TRUE(std::holds_alternative<route::FareData>(read));
        return std::get<route::FareData>(read);
    }
    // A hand-made route with short stop names (none scrolls): each stop's
    // first fares, the rest -1.
    void writeRoute(const QString& number, const std::vector<std::vector<int>>& stops) const {
        route::FareData data;
        for (size_t r = 0; r < stops.size(); ++r) {
            route::FareRecord rec;
            rec.NameBytes = cp932::encode(QStringLiteral("停%1").arg(r + 1));
            rec.TicketNo = std::int16_t(r + 1);
            rec.Cols.fill(-1);
            for (size_t c = 0; c < stops[r].size(); ++c) rec.Cols[c] = std::int16_t(stops[r][c]);
            data.Rows.push_back(rec);
        }
        ASSERT_FALSE(route::writeFareDataFile(fares.filePath(number + QStringLiteral(".hy3")), data).has_value());
    }

    static void keys(frmCtl& panel, std::initializer_list<int> pressed) {
        for (int key : pressed) panel.CommandButton1[size_t(key)]->click();
    }
    static void enter(frmCtl& panel, const QString& route, const QString& section) {
        keys(panel, {panel::kKeyRoute});
        for (QChar c : route) keys(panel, {c.digitValue()});
        keys(panel, {panel::kKeySection});
        for (QChar c : section) keys(panel, {c.digitValue()});
    }
    static QVariant value(Program& p, int cell) { return p.display().Degit[size_t(cell)]->Value(); }
    static QString strip(Program& p) { return p.display().ChimeiCtl->accessibleDescription(); }

    QTemporaryDir fares;
    platform::testing::ScopedAudio audio;
};

} // namespace

TEST_F(Ride, TheSampleRouteFromTheKeypadToTheEndAndBack) {
    const route::FareData sample = copySampleAs12();
    const int last = int(sample.Rows.size());
    ASSERT_EQ(last, 20);
    auto program = startProgram();
    Program& p = *program;
    frmCtl& panel = p.panel();
    useFareFolder(p);
    // The route number in the last cell.
    testing_settings::change(p.options(), [](settings::SettingsRecord& r) {
        r.InfoRouteNumOn = 1;
        r.InfoRouteNumCell = 83;
    });
    // A click for every key, a chime for route setting.
    const QString click = home.filePath(QStringLiteral("click.wav"));
    const QString chime = home.filePath(QStringLiteral("chime.wav"));
    ASSERT_TRUE(testing_sound::writeFile(click, testing_sound::sineWav(20)));
    ASSERT_TRUE(testing_sound::writeFile(chime, testing_sound::sineWav(40)));
    testing_settings::change(p.options(), [&](settings::SettingsRecord& r) {
        r.SoundResetFile = click;
        r.SoundRouteSetFile = chime;
    });
    auto opened = [&](const QString& file) {
        return audio.commands().filter(QStringLiteral("open \"") + file + u'"').size();
    };
    auto col = [&](int row, int column) { return int(sample.Rows[size_t(row - 1)].Cols[size_t(column - 1)]); };
    auto name = [&](int row) { return cp932::decode(sample.Rows[size_t(row - 1)].NameBytes); };
    const auto& state = mdlOrv_000::state();

    Steps steps(time.state(), *p.display().ChimeiCtl);
    steps.then([&] { keys(panel, {panel::kKeyRoute, 0, 0, 0, 1, 2, 3}); })
        .then([&] {
            EXPECT_EQ(panel.Label2[0]->text(), QStringLiteral("00012")) << "the sixth digit is ignored";
            EXPECT_EQ(opened(click), 7) << "but it clicks";
            keys(panel, {panel::kKeySection, 5});
        })
        .then([&] { panel.Command1[1]->click(); })
        .then([&] {
            EXPECT_TRUE(boxes.shown().empty());
            EXPECT_EQ(opened(chime), 1);
            EXPECT_EQ(state.RouteText, QStringLiteral("00012"));
            EXPECT_EQ(state.CurrentRow, 4);
            EXPECT_EQ(value(p, 84), QVariant(QStringLiteral("00012")));
            EXPECT_EQ(std::count(time->sleeps.begin(), time->sleeps.end(), 3000), 1) << "the lamp test";
            EXPECT_EQ(strip(p), name(5));
        });
    // Forward to the last stop: the cells before the start section keep the
    // 0 the lamp test left, the others follow the row.
    for (int row = 6; row <= last; ++row) {
        steps.then([&] { panel.Command2[1]->click(); }).then([&, row] {
            EXPECT_EQ(state.CurrentRow, row - 1);
            EXPECT_EQ(strip(p), name(row));
            for (int k = 1; k <= 4; ++k) EXPECT_EQ(value(p, k), QVariant(0)) << "row " << row << " cell " << k;
            for (int k : {5, 6, 20}) EXPECT_EQ(value(p, k), QVariant(col(row, k))) << "row " << row << " cell " << k;
        });
    }
    // Nothing past the last stop.
    steps.then([&] { panel.Command2[1]->click(); }).then([&] {
        EXPECT_EQ(state.CurrentRow, last - 1);
        EXPECT_EQ(strip(p), name(last));
    });
    // Back below the start section down to the first stop, and no further.
    for (int row = last - 1; row >= 1; --row) {
        steps.then([&] { panel.Command2[0]->click(); }).then([&, row] {
            EXPECT_EQ(state.CurrentRow, row - 1);
            EXPECT_EQ(strip(p), name(row));
            EXPECT_EQ(value(p, 4), QVariant(0));
        });
    }
    steps.then([&] { panel.Command2[0]->click(); }).then([&] {
        EXPECT_EQ(state.CurrentRow, 0);
        EXPECT_EQ(strip(p), name(1));
    });

    // The same route from the first section, to 東 (230 for ticket 1).
    steps.then([&] { keys(panel, {panel::kKeySection, 1}); })
        .then([&] { panel.Command1[1]->click(); })
        .then([&] { EXPECT_EQ(value(p, 1), QVariant(-1)); });
    for (int row = 2; row <= 7; ++row) steps.then([&] { panel.Command2[1]->click(); });
    steps.then([&] {
        ASSERT_EQ(col(7, 1), 230);
        EXPECT_EQ(value(p, 1), QVariant(230));
        // Late night shows at the next stop change, not at once.
        panel.Check2->click();
    });
    steps.then([&] { EXPECT_EQ(value(p, 1), QVariant(230)); }).then([&] { panel.Command2[1]->click(); });
    steps.then([&] { panel.Command2[0]->click(); })
        .then([&] {
            EXPECT_EQ(value(p, 1), QVariant(460));
            EXPECT_EQ(value(p, 7), QVariant(-1)) << "no fare stays no fare";
            EXPECT_EQ(p.display().Degit[1]->shownText(), QStringLiteral("460"));
            panel.Check1->click(); // display clear
        })
        .then([&] {
            EXPECT_TRUE(p.display().Degit[1]->shownText().trimmed().isEmpty());
            EXPECT_TRUE(strip(p).isEmpty());
            panel.Check1->click();
        })
        .then([&] {
            EXPECT_EQ(value(p, 1), QVariant(460));
            EXPECT_EQ(strip(p), name(7));
            panel.Command2[1]->click(); // to a stop whose name scrolls
        })
        .then([&] {
            EXPECT_TRUE(p.display().ChimeiCtl->isScrolling());
            // The options dialog: "OK" as soon as it is up.
            QTimer::singleShot(0, &p.options(), [&] { p.options().Command4_Click(); });
            panel.Command4->click();
        })
        .then([&] {
            // The name starts again from below the strip; the fares stay.
            ChimeiCtl_B& s = *p.display().ChimeiCtl;
            EXPECT_EQ(strip(p), name(8));
            EXPECT_TRUE(s.isScrolling());
            EXPECT_EQ(s.canvasTop(), s.viewportHeight());
            EXPECT_EQ(value(p, 1), QVariant(col(8, 1) * 2));
        });
    steps.run();
    EXPECT_EQ(boxes.shown().size(), 0u);
    EXPECT_EQ(ended, 0);
}

TEST_F(Ride, SectionsAreClampedAndCheckedAgainstTheRoute) {
    writeRoute(QStringLiteral("3"), {{100, 110, 120}, {200, 210, 220}, {300, 310, 320}, {400, 410, 420}});
    writeRoute(QStringLiteral("4"), {{500}});
    auto program = startProgram();
    Program& p = *program;
    frmCtl& panel = p.panel();
    useFareFolder(p);
    const auto& state = mdlOrv_000::state();
    const QString sectionMessage =
        QStringLiteral("指定した区間はデータの数よりも多いです...\r\n  解決法：正しい区間を入力して下さい.");

    // Section 0 is the first.
    enter(panel, QStringLiteral("3"), QStringLiteral("0"));
    panel.Command1[1]->click();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(state.StartSection, 1);
    EXPECT_EQ(value(p, 1), QVariant(100));

    // 999 is taken as 300, more than this route has.
    enter(panel, QStringLiteral("3"), QStringLiteral("999"));
    panel.Command1[1]->click();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, sectionMessage);
    EXPECT_EQ(state.StartSection, 300);
    EXPECT_EQ(value(p, 1), QVariant(100));

    // A route of one stop has no section at all.
    for (const char* section : {"1", "2", "300"}) {
        enter(panel, QStringLiteral("4"), QString::fromLatin1(section));
        panel.Command1[1]->click();
        EXPECT_EQ(boxes.shown().back().text, sectionMessage) << section;
    }
    EXPECT_EQ(boxes.shown().size(), 4u);

    // The last stop cannot start a run; the one before can.
    enter(panel, QStringLiteral("3"), QStringLiteral("4"));
    panel.Command1[1]->click();
    EXPECT_EQ(boxes.shown().size(), 5u);
    enter(panel, QStringLiteral("3"), QStringLiteral("1"));
    panel.Command1[1]->click();
    EXPECT_EQ(boxes.shown().size(), 5u);

    // A route without a file: the old fares stay, and the next stop change
    // uses the section entered with it.
    enter(panel, QStringLiteral("77"), QStringLiteral("3"));
    panel.Command1[1]->click();
    ASSERT_EQ(boxes.shown().size(), 6u);
    EXPECT_EQ(boxes.shown().back().text, QStringLiteral("指定した系統のデータがありません..."));
    EXPECT_EQ(value(p, 1), QVariant(100));
    EXPECT_EQ(value(p, 3), QVariant(120));
    panel.Command2[1]->click();
    EXPECT_EQ(value(p, 1), QVariant(100)) << "below the new start section";
    EXPECT_EQ(value(p, 2), QVariant(110));
    EXPECT_EQ(value(p, 3), QVariant(220));
}

TEST_F(Ride, LateNightAndInfoDigitsOnAHandMadeRoute) {
    writeRoute(QStringLiteral("5"), {{230, -1, 0, 17000}, {240, -1, 0, 1}});
    auto program = startProgram();
    Program& p = *program;
    frmCtl& panel = p.panel();
    useFareFolder(p);
    testing_settings::change(p.options(), [](settings::SettingsRecord& r) {
        // The ticket number and, later in the order, the route number in cell 10.
        r.InfoTicketNumOn = 1;
        r.InfoTicketNumCell = 9;
        r.InfoRouteNumOn = 1;
        r.InfoRouteNumCell = 9;
        // The stop's order counted from 0 in cell 12.
        r.InfoStopOrderOn = 1;
        r.InfoStopOrderCell = 11;
        r.InfoStopOrderFromZero = 1;
    });
    panel.Check2->setChecked(true);

    enter(p.panel(), QStringLiteral("005"), QStringLiteral("1"));
    panel.Command1[1]->click();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(value(p, 1), QVariant(460));
    EXPECT_EQ(value(p, 2), QVariant(-1));
    EXPECT_EQ(value(p, 3), QVariant(0));
    // A fare whose double passes 32767 is shown as it is: its last four digits.
    EXPECT_EQ(value(p, 4), QVariant(34000));
    EXPECT_EQ(p.display().Degit[4]->shownText(), QStringLiteral("4000"));
    EXPECT_EQ(value(p, 10), QVariant(QStringLiteral("005")));
    EXPECT_EQ(value(p, 12), QVariant(0));
    panel.Command2[1]->click();
    EXPECT_EQ(value(p, 12), QVariant(1));
    EXPECT_EQ(value(p, 1), QVariant(480));
}

TEST_F(Ride, QuitAndStartAgainRestoresThePanelTheWindowsAndEveryOption) {
    writeRoute(QStringLiteral("6"), {{170}, {180}, {190}});
    settings::SettingsRecord before;
    {
        auto program = startProgram();
        Program& p = *program;
        frmCtl& panel = p.panel();
        useFareFolder(p);
        enter(panel, QStringLiteral("6"), QStringLiteral("1"));
        panel.Command1[1]->click();
        panel.HScroll1[0]->setValue(37);
        panel.HScroll1[1]->setValue(450);
        panel.Frame1_DblClick(1);
        panel.Check4->click();
        panel.Check2->click();
        p.display().placeWindow(QPoint(150, 40));
        panel.placeWindow(QPoint(150, 200));
        QCoreApplication::processEvents();
        // Options on every page.
        frmOption& o = p.options();
        testing_settings::change(o, [](settings::SettingsRecord& r) {
            r.BroadcastDataDir = QStringLiteral("/data/放送");
            r.TicketNumScheme = 5;
            r.TicketNumZeroPad = 1;
            r.DigitLitColor = 0x0000FF;
            r.InfoColumnOn = 1;
            r.InfoColumnIndex = 149;
            r.StopNameFontMode = 2;
            r.StopNameBold = 1;
            r.SoundResetFile = QStringLiteral("/sounds/ピンポン.wav");
            r.AdvanceSoundSync = testing_settings::kSelected;
            r.AdvanceSoundAsync = testing_settings::kNotSelected;
            r.TicketPreviewOn = 1;
            r.TicketDatePerPrint = testing_settings::kNotSelected;
            r.TicketDateAtRouteSet = testing_settings::kSelected;
        });
        o.GetOptionInfo(before);

        boxes.answer(MsgAnswer::Yes);
        panel.close();
        EXPECT_EQ(ended, 1);
    }
    ASSERT_TRUE(QFile::exists(settingsFile));
    mdlOrv_000::resetState(); // the route does not survive

    auto program = startProgram();
    Program& p = *program;
    frmCtl& panel = p.panel();
    EXPECT_TRUE(boxes.shown().size() == 1u) << "only the quit question";
    EXPECT_EQ(panel.HScroll1[0]->value(), 37);
    EXPECT_EQ(panel.HScroll1[1]->value(), 450);
    EXPECT_EQ(panel.Label1[1]->text(), QStringLiteral("450"));
    EXPECT_EQ(p.display().ChimeiCtl->Speed(), 37);
    EXPECT_EQ(p.display().ChimeiCtl->ScrollStartWait(), 450);
    EXPECT_EQ(panel.PageBack, 1);
    EXPECT_EQ(panel.entryPages->currentWidget(), panel.Frame1[0]);
    EXPECT_TRUE(panel.Check4->isChecked());
    EXPECT_EQ(panel.width(), 600);
    EXPECT_EQ(panel.Check2->checkState(), Qt::Checked);
    EXPECT_EQ(p.display().pos(), QPoint(150, 40));
    EXPECT_EQ(panel.frameGeometry().topLeft(), QPoint(150, 200));
    settings::SettingsRecord after;
    p.options().GetOptionInfo(after);
    EXPECT_EQ(after, before);
    // Nothing of the route is kept.
    EXPECT_FALSE(panel.Command2[1]->isEnabled());
    EXPECT_TRUE(mdlOrv_000::state().RouteText.isEmpty());
}
