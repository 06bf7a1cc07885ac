// Drawing a numbered ticket through the resource library, as DispData does
// on every stop change while the preview is on: the sample plug-ins (read
// once and kept), the plain one and the one with an NW-7 barcode. Goal: well
// under one frame (16 ms), so a stop change never waits for the ticket.
// Reading a plug-in file afresh is measured apart.
#include "GuiBenchmarkMain.h"
#include "platform/Cp932.h"
#include "ticket/TicketPlugin.h"
#include "platform_ui/ResourceLibrary.h"

#include <QImage>

namespace {

QString samplePlugin(const char* name) {
    return QStringLiteral(FERROTAB_SOURCE_DIR "/data/sample/plugins/") + QLatin1String(name);
}

void drawTickets(benchmark::State& state, const char* plugin) {
    const QByteArray path = cp932::encode(samplePlugin(plugin));
    QImage picture(180, 288, QImage::Format_RGB32);
    const QByteArray date = "12-06-2026";
    const QByteArray time = "09:05:00";
    std::int16_t ticket = 0;
    for (auto _ : state) {
        ticket = std::int16_t(ticket % 84 + 1);
        QByteArray stopName = cp932::encode(QStringLiteral("中央商店街"));
        picture.fill(Qt::white);
        if (ZelP4Res::ZEL4_DrawSeiriken(path, &picture, stopName, date, time, 12, ticket, ticket, 0) == 0)
            state.SkipWithError("the sample plug-in was not drawn");
    }
}

void BM_DrawPlainTicket(benchmark::State& state) { drawTickets(state, "sakuragawa_plain.4SP"); }
BENCHMARK(BM_DrawPlainTicket)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_DrawBarcodeTicket(benchmark::State& state) { drawTickets(state, "minatodai_barcode.4SP"); }
BENCHMARK(BM_DrawBarcodeTicket)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Reading and checking a plug-in file, as a new choice or a changed file does.
void BM_ReadPlugin(benchmark::State& state) {
    const QString path = samplePlugin("minatodai_barcode.4SP");
    for (auto _ : state) benchmark::DoNotOptimize(ticket::loadTicketPlugin(path));
}
BENCHMARK(BM_ReadPlugin)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

FERROTAB_GUI_BENCHMARK_MAIN()
