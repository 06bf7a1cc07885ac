#pragma once
// The main of a Google Benchmark program that needs widgets: offscreen unless
// a platform is asked for, so that it runs on a machine without a display.
#include <QApplication>
#include <benchmark/benchmark.h>

#define FERROTAB_GUI_BENCHMARK_MAIN()                                                                                  \
    int main(int argc, char** argv) {                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");                   \
        QApplication app(argc, argv);                                                                                  \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }
