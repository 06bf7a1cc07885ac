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
    static void keys(frmCtl& panel, std::initializer_list<int> pressed) {
        for (int key : pressed) panel.CommandButton1[size_t(key)]->click();
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
