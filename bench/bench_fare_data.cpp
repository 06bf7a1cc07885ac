// Reading a full-size fare data file: 301 stops, 150 columns each, names of
// ten characters. This is what route setting does before the lamp test; the
// goal is well under a millisecond.
#include "platform/Cp932.h"
#include "route/DataIo.h"
#include "route/FareDataFile.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray fullFile() {
    route::FareData d;
    for (int r = 1; r <= route::kMaxFareRows; ++r) {
        route::FareRow row;
        row.StopName = QStringLiteral("桜川ニュータウン%1").arg(r % 100, 2, 10, QChar(u'0'));
        row.TicketNo = std::int16_t(r);
        for (int c = 0; c < route::kFareColumns; ++c) row.Cols[size_t(c)] = std::int16_t(c < r ? 170 + 10 * (r - c) : -1);
        d.Rows.push_back(route::FareRecord::fromFareRow(row));
    }
    return route::encodeFareData(d);
}

// The full file written into `dir`; empty when it cannot be written.
QString writeFullFile(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("1.hy3"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(fullFile()) < 0) return {};
    return path;
}

void BM_DecodeFareData(benchmark::State& state) {
    const QByteArray bytes = fullFile();
    for (auto _ : state) {
        auto result = route::decodeFareData(bytes);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeFareData)->Unit(benchmark::kMicrosecond);

// Opening and reading the file and decoding it.
void BM_ReadFareDataFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeFullFile(dir);
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the test file");
        return;
    }
    for (auto _ : state) {
        auto result = route::readFareDataFile(path);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ReadFareDataFile)->Unit(benchmark::kMicrosecond);

// From the file on disk into the fare table, names decoded from CP932: all of
// route setting's reading.
void BM_ReadFileIntoTable(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = writeFullFile(dir);
    if (path.isEmpty()) {
        state.SkipWithError("cannot write the test file");
        return;
    }
    for (auto _ : state) {
        auto result = route::readFareDataFile(path);
        DataIo::StoreFareData(std::get<route::FareData>(result));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReadFileIntoTable)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
