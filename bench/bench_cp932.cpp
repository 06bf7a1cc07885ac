// Code page 932 on lines the size of a long broadcast text: all of it
// encodable, and the same line holding one character the code page has no
// code for (an emoji a user pasted), which must not fall back to one
// conversion and two allocations a character.
#include "platform/Cp932.h"

#include <benchmark/benchmark.h>

namespace {

QString line(bool withEmoji) {
    QString text;
    while (text.size() < 2000) text += QStringLiteral("次は、中央駅前です。Next stop: Chuo-ekimae. ");
    if (withEmoji) text.insert(10, QStringLiteral("🚌"));
    return text;
}

void encodeLine(benchmark::State& state) {
    const QString text = line(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(cp932::encode(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(encodeLine)->Arg(0)->Arg(1)->ArgNames({"unencodable"});

void decodeLine(benchmark::State& state) {
    const QByteArray bytes = cp932::encode(line(false));
    for (auto _ : state) benchmark::DoNotOptimize(cp932::decode(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(decodeLine);

} // namespace

BENCHMARK_MAIN();
