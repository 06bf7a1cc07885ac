// A full redraw of the fare display's 84 cells (4 digits, 52 x 20 px, the
// bevelled style the display uses), as DispData does on every stop change.
// Goal: under 2 ms.
#include "display/M_Degit.h"
#include "platform/Device.h"

#include "GuiBenchmarkMain.h"

#include <QWidget>
#include <array>

namespace {

struct Board {
    QWidget window;
    std::array<M_Degit*, device::kFareCellCount> cells{};
    Board() {
        window.resize(device::kFaceWidth, device::kFaceHeight);
        for (int k = 0; k < device::kFareCellCount; ++k) {
            auto* cell = new M_Degit(&window);
            cell->setGeometry(95 + (k % 12) * 58, 40 + (k / 12) * 38, 52, 20);
            cell->setDegitStyle(1);
            cell->ResetDegit(false);
            cells[std::size_t(k)] = cell;
        }
        window.show();
    }
};

// Writing a new value into every cell: the faces are drawn.
void BM_Redraw84Cells(benchmark::State& state) {
    Board board;
    int fare = 0;
    for (auto _ : state) {
        fare = (fare + 10) % 2000;
        for (int k = 0; k < device::kFareCellCount; ++k) board.cells[std::size_t(k)]->setValue(fare + k * 10);
    }
}
BENCHMARK(BM_Redraw84Cells)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

// The same, and the window painted with the new faces.
void BM_Redraw84CellsAndPaint(benchmark::State& state) {
    Board board;
    int fare = 0;
    for (auto _ : state) {
        fare = (fare + 10) % 2000;
        for (int k = 0; k < device::kFareCellCount; ++k) board.cells[std::size_t(k)]->setValue(fare + k * 10);
        board.window.repaint();
    }
}
BENCHMARK(BM_Redraw84CellsAndPaint)->Unit(benchmark::kMillisecond)->Repetitions(15)->ReportAggregatesOnly(true);

} // namespace

FERROTAB_GUI_BENCHMARK_MAIN()
