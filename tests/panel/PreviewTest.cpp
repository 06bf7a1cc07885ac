// The numbered-ticket preview on the operation panel: blank while the
// preview is off, the stop's ticket drawn by the chosen plug-in at every stop
// while it is on, the date each ticket gets in the three date modes when the
// day changes during a run, the name a plug-in gives a stop kept for the
// rest of the run.
#include "tests/panel/PanelFixture.h"
#include "tests/support/FileBytes.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

const QString kSamples = QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/plugins/");
const QString kPlain = kSamples + QStringLiteral("sakuragawa_plain.4SP");
const QString kBarcode = kSamples + QStringLiteral("minatodai_barcode.4SP");

// The plain sample's ticket-number box and stop-name line, as its file
// places them.
const QRect kNumberBox(10, 50, 160, 106);
const QRect kStopLine(12, 165, 156, 24);

// Pixels of a rectangle darker than the plain sample's pale pink paper.
int inkIn(const QImage& image, const QRect& box) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) n += qGray(image.pixel(x, y)) < 120 ? 1 : 0;
    return n;
}

bool allWhite(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) return false;
    return true;
}

class PreviewTest : public PanelTest {
protected:
    PreviewTest() {
        writeRoute(QStringLiteral("12.hy3"), {{"本町", {170}}, {"市役所前", {170, 170}}, {"東", {180, 170, 170}}});
    }
    // The plug-in chosen on page 5, described as start-up describes a stored one.
    void usePlugin(const QString& path) const {
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.TicketPluginFile = path; });
    }
    void previewOn(bool on) const {
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.TicketPreviewOn = on ? 1 : 0; });
    }
    void dateMode(std::int16_t perPrint, std::int16_t atRouteSet, std::int16_t fixed) const {
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) {
            r.TicketDatePerPrint = perPrint;
            r.TicketDateAtRouteSet = atRouteSet;
            r.TicketDateFixed = fixed;
        });
    }
    void forward() const { panel->Command2[1]->click(); }
    void back() const { panel->Command2[0]->click(); }
    const QImage& picture() const { return panel->picSeirikenPrev->image; }
    QString lastDrawnName() {
        return library->draws.empty() ? QString() : cp932::decode(library->draws.back().stopName);
    }
};

} // namespace

TEST_F(PreviewTest, OffThePictureStaysBlankOnEachStopsTicketIsDrawn) {
    usePlugin(kPlain);
    ASSERT_EQ(panel->picSeirikenPrev->size(), QSize(180, 288)) << "the plug-in's size";

    previewOn(false);
    setRoute(QStringLiteral("012"), QStringLiteral("1"));
    forward();
    EXPECT_TRUE(library->draws.empty());
    EXPECT_EQ(picture().size(), QSize(180, 288));
    EXPECT_TRUE(allWhite(picture()));

    previewOn(true);
    forward(); // to the third stop, 東, ticket 3
    ASSERT_EQ(library->draws.size(), 1u);
    const ZelP4Res::testing::DrawCall& call = library->draws[0];
    EXPECT_EQ(call.path, cp932::encode(kPlain));
    EXPECT_EQ(call.deviceContext, &panel->picSeirikenPrev->image);
    EXPECT_EQ(call.stopName, cp932::encode(QStringLiteral("東")));
    EXPECT_EQ(call.date, QByteArray("12-06-2026"));
    EXPECT_EQ(call.time, time->wall.toString(QStringLiteral("HH:mm:ss")).toLatin1());
    EXPECT_EQ(call.route, 12) << "the route as a number, without its leading zero";
    EXPECT_EQ(call.ticketNo, 3);
    EXPECT_EQ(call.stopOrder, 3);
    EXPECT_EQ(call.company, -1) << "the plain ticket offers no companies";

    // A large number in the number's box and the name on its line; the
    // paper around them is the plug-in's, not the cleared white.
    const int three = inkIn(picture(), kNumberBox);
    EXPECT_GT(three, 1200);
    EXPECT_GT(inkIn(picture(), kStopLine), 30);
    EXPECT_EQ(picture().pixel(2, 2) & 0xFFFFFF, 0xFDF1F2u);
    const QImage third = picture().copy(kNumberBox);

    back();
    ASSERT_EQ(library->draws.size(), 2u);
    EXPECT_EQ(library->draws[1].ticketNo, 2);
    EXPECT_GT(inkIn(picture(), kNumberBox), 1200);
    EXPECT_NE(picture().copy(kNumberBox), third) << "another number";

    // Off again: the next stop clears the ticket away and draws nothing.
    previewOn(false);
    forward();
    EXPECT_EQ(library->draws.size(), 2u);
    EXPECT_TRUE(allWhite(picture()));
}

// Run a second time at a scale of 150 % (see tests/CMakeLists.txt).
TEST_F(PreviewTest, TheTicketIsDrawnForEveryDevicePixel) {
    usePlugin(kPlain);
    previewOn(true);
    panel->show();
    setRoute(QStringLiteral("12"), QStringLiteral("1"));
    const qreal scale = panel->picSeirikenPrev->devicePixelRatioF();
    EXPECT_EQ(picture().devicePixelRatio(), scale);
    EXPECT_EQ(picture().size(), (QSizeF(panel->picSeirikenPrev->size()) * scale).toSize());
    // The ticket fills the whole picture: its border reaches the last pixels.
    EXPECT_NE(picture().pixel(picture().width() - 2, picture().height() / 2) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PreviewTest, NoTicketIsPrintedBeforeARouteHasBeenSet) {
    usePlugin(kPlain);
    previewOn(true);
    // A first route setting refused for its section still leaves the
    // route's row count behind.
    setRoute(QStringLiteral("12"), QStringLiteral("3"));
    ASSERT_EQ(boxes.shown().size(), 1u);
    ASSERT_EQ(mdlOrv_000::state().RowCount, 3);
    QTimer::singleShot(0, dialog.get(), [&] { dialog->Command4_Click(); });
    panel->Command4->click();
    emit panel->Combo1->activated(0);
    EXPECT_TRUE(library->draws.empty());
    EXPECT_TRUE(allWhite(picture()));
}

TEST_F(PreviewTest, ChoosingAnotherCompanyReprintsTheTicketWithIt) {
    usePlugin(kBarcode);
    ASSERT_EQ(panel->Combo1->count(), 2);
    previewOn(true);
    setRoute(QStringLiteral("12"), QStringLiteral("1"));
    ASSERT_EQ(library->draws.size(), 1u);
    EXPECT_EQ(library->draws[0].company, 0) << "the list shows the first company, which is printed";
    const QImage before = picture();

    panel->Combo1->setCurrentIndex(1);
    emit panel->Combo1->activated(1);
    ASSERT_EQ(library->draws.size(), 2u);
    EXPECT_EQ(library->draws[1].company, 1);
    EXPECT_EQ(library->draws[1].stopOrder, 1) << "the same stop";
    EXPECT_NE(picture().copy(0, 0, 180, 26), before.copy(0, 0, 180, 26)) << "the company band changed";
    forward();
    EXPECT_EQ(library->draws.back().company, 1) << "kept for the next stops";
}

TEST_F(PreviewTest, APluginChosenInTheOptionsPrintsTheCurrentStopsTicketOnOk) {
    usePlugin(kPlain);
    previewOn(true);
    setRoute(QStringLiteral("12"), QStringLiteral("1"));
    forward();
    ASSERT_EQ(library->draws.size(), 2u);
    QTimer::singleShot(0, dialog.get(), [&] {
        testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.TicketPluginFile = kBarcode; });
        dialog->Command4_Click(); // "OK"
    });
    panel->Command4->click();
    ASSERT_EQ(library->draws.size(), 3u);
    EXPECT_EQ(library->draws[2].path, cp932::encode(kBarcode));
    EXPECT_EQ(library->draws[2].stopOrder, 2) << "the stop the bus is at";
    EXPECT_EQ(picture().size(), QSize(180, 284));
    EXPECT_EQ(picture().pixel(1, 1) & 0xFFFFFF, 0x1F3A6Eu) << "the new ticket's company band";

    // The preview turned off in the options: cleared at once.
    QTimer::singleShot(0, dialog.get(), [&] {
        previewOn(false);
        dialog->Command4_Click();
    });
    panel->Command4->click();
    EXPECT_EQ(library->draws.size(), 3u);
    EXPECT_TRUE(allWhite(picture()));
}

TEST_F(PreviewTest, TheTicketDateFollowsItsModeWhenTheDayChangesDuringARun) {
    usePlugin(kPlain);
    previewOn(true);
    testing_settings::change(*dialog, [&](settings::SettingsRecord& r) { r.TicketFixedDate = QStringLiteral("2026/11/03"); });
    struct Mode {
        int option;
        const char* atRouteSet;
        const char* nextDay;
    };
    // Per print: the clock's day at each ticket. Kept at route setting: the
    // day of the route setting all run long. Fixed: the date on page 5.
    for (const Mode& m : {Mode{0, "12-06-2026", "12-07-2026"}, Mode{1, "12-06-2026", "12-06-2026"},
                          Mode{2, "2026/11/03", "2026/11/03"}}) {
        library->draws.clear();
        const std::int16_t on = testing_settings::kSelected;
        dateMode(m.option == 0 ? on : 0, m.option == 1 ? on : 0, m.option == 2 ? on : 0);
        time->wall = QDateTime(QDate(2026, 12, 6), QTime(23, 58, 0));
        setRoute(QStringLiteral("12"), QStringLiteral("1"));
        time->advance(qint64(5) * 60 * 1000); // past midnight
        forward();
        ASSERT_EQ(library->draws.size(), 2u) << m.option;
        EXPECT_EQ(library->draws[0].date, QByteArray(m.atRouteSet)) << m.option;
        EXPECT_EQ(library->draws[0].time, QByteArray("23:58:03")) << "after the lamp test";
        EXPECT_EQ(library->draws[1].date, QByteArray(m.nextDay)) << m.option;
        EXPECT_EQ(library->draws[1].time, QByteArray("00:03:03"));
    }
    // A route set again on the new day keeps the new day.
    dateMode(0, testing_settings::kSelected, 0);
    setRoute(QStringLiteral("12"), QStringLiteral("1"));
    EXPECT_EQ(library->draws.back().date, QByteArray("12-07-2026"));
}

TEST_F(PreviewTest, TheNameAPluginPrintsForAStopIsTheStopsNameFromThenOn) {
    // The plain sample, printing 市役所前 shorter.
    QByteArray text = testing_files::readFile(kPlain);
    text.replace("\"PaperColor\"", "\"StopNameReplacements\": {\"市役所前\": \"市役所\"},\n  \"PaperColor\"");
    const QString path = folder.filePath(QStringLiteral("short_names.4SP"));
    testing_files::writeFile(path, text);
    usePlugin(path);
    previewOn(true);

    setRoute(QStringLiteral("12"), QStringLiteral("1"));
    EXPECT_EQ(lastDrawnName(), QStringLiteral("本町"));
    EXPECT_EQ(mdlOrv_000::state().FareTable[0].StopName, QStringLiteral("本町")) << "a name it keeps stays";
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("本町"));

    forward();
    EXPECT_EQ(lastDrawnName(), QStringLiteral("市役所前")) << "handed over as the fare data has it";
    EXPECT_EQ(mdlOrv_000::state().FareTable[1].StopName, QStringLiteral("市役所"));
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("市役所")) << "the strip shows it too";

    // Back and forward again: the fare table holds the new name now.
    back();
    forward();
    EXPECT_EQ(lastDrawnName(), QStringLiteral("市役所"));
    EXPECT_EQ(display.ChimeiCtl->accessibleDescription(), QStringLiteral("市役所"));
}
