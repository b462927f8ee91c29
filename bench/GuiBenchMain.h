#pragma once

// The main of a benchmark program that needs a Qt application: offscreen unless the caller chose
// a platform, then every benchmark the command line selects.
#include <benchmark/benchmark.h>

#include <QtGlobal>

namespace kvt::bench {

template <typename Application>
int runQtBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kvt::bench
