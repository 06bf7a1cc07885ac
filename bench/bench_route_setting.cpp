// Route setting on the operation panel with a full-size fare data file (301
// stops): the press of "リセット" from reading the file to the fares of the
// start stop on the device, everything but the lamp test's three-second wait.
// The goal is under 2 ms. Also the display of one stop (data forward).
//
// Runs offscreen; the windows are not shown, so nothing is painted.
#include "display/Form1.h"
#include "options/frmOption.h"
#include "panel/frmCtl.h"
#include "platform/Seams.h"
#include "route/FareDataFile.h"
#include "route/mdlOrv_000.h"

#include "GuiBenchmarkMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// The waits of the real program without the wait itself.
class NoSleep final : public platform::Waits {
public:
    void Sleep(int) override {}
    void DoEvents() override { QCoreApplication::processEvents(); }
    void WaitForEvents(int) override { QCoreApplication::processEvents(); }
};

// 301 stops, fares in every cell; names of up to six characters, so that the
// strip stands still.
bool writeFullRoute(const QString& path) {
    route::FareData d;
    for (int r = 1; r <= route::kMaxFareRows; ++r) {
        route::FareRow row;
        row.StopName = QStringLiteral("停留所%1").arg(r);
        row.TicketNo = std::int16_t(r);
        for (int c = 0; c < route::kFareColumns; ++c) row.Cols[size_t(c)] = std::int16_t(c < r ? 170 + 10 * (r - c) : -1);
        d.Rows.push_back(route::FareRecord::fromFareRow(row));
    }
    return !route::writeFareDataFile(path, d).has_value();
}

// The three windows on a temporary folder holding a full-size route 1, with
// route 1 section 1 keyed in and the waits made instant.
struct Windows {
    QTemporaryDir dir;
    bool written = writeFullRoute(dir.filePath(QStringLiteral("1.hy3")));
    std::unique_ptr<platform::Waits> previous = platform::install(std::unique_ptr<platform::Waits>(std::make_unique<NoSleep>()));
    Form1 display;
    frmOption options{&display};
    frmCtl panel{&display, &options};
    Windows() {
        options.setBacklightSwitch(&panel);
        options.Text2[0]->setText(dir.path());
        options.Check3[2]->setChecked(true); // the route number as an info digit
        panel.Label2[0]->setText(QStringLiteral("00001"));
        panel.Label2[2]->setText(QStringLiteral("1"));
    }
    ~Windows() { platform::install(std::move(previous)); }
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;
};

void BM_RouteSetting(benchmark::State& state) {
    Windows w;
    if (!w.written) return state.SkipWithError("cannot write the route file");
    for (auto _ : state) {
        w.panel.Command1[1]->click();
        benchmark::ClobberMemory();
    }
    if (mdlOrv_000::state().RowCount != route::kMaxFareRows) state.SkipWithError("the route was not set");
}
BENCHMARK(BM_RouteSetting)->Unit(benchmark::kMicrosecond);

// One stop on: the 84 fares, the info digit and the stop name.
void BM_DataForwardAndBack(benchmark::State& state) {
    Windows w;
    if (!w.written) return state.SkipWithError("cannot write the route file");
    w.panel.Command1[1]->click();
    for (auto _ : state) {
        w.panel.Command2[1]->click();
        w.panel.Command2[0]->click();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_DataForwardAndBack)->Unit(benchmark::kMicrosecond);

} // namespace

FERROTAB_GUI_BENCHMARK_MAIN()
