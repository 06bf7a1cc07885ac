// The real program on a real X server (Xvfb) under a window manager that
// draws frames (openbox), driven from outside as a person would: windows are
// found by title, moved with xdotool, and the program is quit through the
// panel's close box and the quit question. Positions are read from the X
// server itself, frame included.
//
// Skipped, with the reason, only when Xvfb cannot start here.
#include "settings/SettingsCodec.h"
#include "settings/SettingsRecord.h"

#include "tests/e2e/XSession.h"
#include "tests/support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace xsession;

class WindowPositions : public ::testing::Test {
protected:
    void SetUp() override {
        if (auto why = x.startServer()) GTEST_SKIP() << "no X server for this test: " << why->toStdString();
        const auto wmFailure = x.startWindowManager();
        ASSERT_FALSE(wmFailure) << *wmFailure;
        ASSERT_TRUE(QFile::link(QStringLiteral(FERROTAB_PROGRAM), folder.filePath(QStringLiteral("LED-84"))));
    }

    QString settingsFile() const { return folder.filePath(QStringLiteral("LED-84.in4")); }
    settings::SettingsRecord saved() const {
        QFile f(settingsFile());
        return settings::decodeSettings(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    void save(const settings::SettingsRecord& r) const {
        QFile f(settingsFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(settings::encodeSettings(r));
    }

    XSession x;
    QTemporaryDir folder;
};

} // namespace

TEST_F(WindowPositions, BothWindowsComeBackWhereTheyWereLeftToThePixel) {
    Placed panel, display;
    {
        Ferrotab first(x, folder.path());
        auto [p, d] = first.settledWindows();
        ASSERT_FALSE(first.panel().isEmpty()) << first.output();
        // A first start: the display in the top-left corner, the panel's
        // frame in the bottom-right one.
        EXPECT_EQ(d.outer.topLeft(), kScreen.topLeft());
        EXPECT_EQ(p.outer.bottomRight(), kScreen.bottomRight()) << "panel at " << str(p.outer.topLeft());
        EXPECT_GT(p.outer.height(), 260) << "the window manager drew no title bar";

        // Somewhere odd, as a user leaves them.
        first.move(first.panel(), QPoint(333, 227));
        first.move(first.display(), QPoint(41, 17));
        std::tie(panel, display) = first.settledWindows();
        ASSERT_NE(panel.outer.topLeft(), p.outer.topLeft()) << "the panel could not be moved";
        ASSERT_NE(display.outer.topLeft(), d.outer.topLeft()) << "the display could not be moved";
        ASSERT_TRUE(first.quit()) << first.output();
    }
    for (int start = 2; start <= 6; ++start) {
        const auto r = saved();
        EXPECT_EQ(QPoint(r.CtlLeft, r.CtlTop), panel.outer.topLeft() * 15) << "before start " << start;
        EXPECT_EQ(QPoint(r.DisplayLeft, r.DisplayTop), display.outer.topLeft() * 15) << "before start " << start;

        Ferrotab again(x, folder.path());
        const auto [p, d] = again.settledWindows();
        ASSERT_FALSE(again.panel().isEmpty()) << again.output();
        EXPECT_EQ(p, panel) << "start " << start << ": panel at " << str(p.outer.topLeft()) << ", left at "
                            << str(panel.outer.topLeft());
        EXPECT_EQ(d, display) << "start " << start << ": display at " << str(d.outer.topLeft()) << ", left at "
                              << str(display.outer.topLeft());
        ASSERT_TRUE(again.quit()) << again.output();
        if (HasFailure()) break;
    }
}

TEST_F(WindowPositions, APanelOffEveryScreenOpensWhereAFirstStartPutsIt) {
    auto record = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    record.CtlLeft = 40000 * 15;
    record.CtlTop = -30000 * 15;
    record.DisplayLeft = 100 * 15;
    record.DisplayTop = 50 * 15;
    save(record);
    {
        Ferrotab run(x, folder.path());
        const auto [p, d] = run.settledWindows();
        ASSERT_FALSE(run.panel().isEmpty()) << run.output();
        EXPECT_TRUE(kScreen.contains(p.outer)) << "panel at " << str(p.outer.topLeft());
        EXPECT_EQ(p.outer.bottomRight(), kScreen.bottomRight()) << "panel at " << str(p.outer.topLeft());
        // The display could be reached where it was: it stays there.
        EXPECT_EQ(d.outer.topLeft(), QPoint(100, 50));
        ASSERT_TRUE(run.quit()) << run.output();
        // The next quit writes where the panel really is.
        EXPECT_EQ(QPoint(saved().CtlLeft, saved().CtlTop), p.outer.topLeft() * 15);
    }

    // Mostly off the screen, but with a piece of its title bar still on it
    // (50 pixels, more than the tenth of a window that openbox itself keeps
    // on the screen): the panel is left there, exactly.
    const QPoint edge(kScreen.right() - 49, 500);
    record.CtlLeft = edge.x() * 15;
    record.CtlTop = edge.y() * 15;
    save(record);
    Ferrotab run(x, folder.path());
    const auto [p, d] = run.settledWindows();
    ASSERT_FALSE(run.panel().isEmpty()) << run.output();
    EXPECT_EQ(p.outer.topLeft(), edge);
    ASSERT_TRUE(run.quit()) << run.output();
}

TEST_F(WindowPositions, ThePanelKeepsItsPlaceWithThePreviewPaneOpenOrClosed) {
    // Left low on the right, in the top-left corner, and against the right
    // edge (where the widened panel must move left once, and then stays).
    const QPoint places[] = {{676, 604}, {0, 0}, {kScreen.right() - 400, 300}};
    for (const QPoint& place : places) {
        for (const int paneOpen : {1, 0}) {
            SCOPED_TRACE("at " + str(place) + (paneOpen ? ", pane open" : ", pane closed"));
            auto record = settings::SettingsRecord::initial(QDate(2026, 12, 6));
            record.CtlLeft = place.x() * 15;
            record.CtlTop = place.y() * 15;
            record.TicketPreviewShown = std::int16_t(paneOpen);
            save(record);
            std::optional<QPoint> first;
            for (int start = 1; start <= 2; ++start) {
                Ferrotab run(x, folder.path());
                const auto [p, d] = run.settledWindows();
                ASSERT_FALSE(run.panel().isEmpty()) << run.output();
                EXPECT_TRUE(kScreen.contains(p.outer)) << "panel at " << str(p.outer.topLeft()) << run.output();
                if (!first) first = p.outer.topLeft();
                EXPECT_EQ(p.outer.topLeft(), *first) << "start " << start;
                if (place.x() + p.outer.width() - 1 <= kScreen.right()) {
                    EXPECT_EQ(p.outer.topLeft(), place);
                }
                ASSERT_TRUE(run.quit()) << run.output();
            }
        }
    }
}
