#pragma once
// The main() of a benchmark executable that needs a Qt application object: the models, timers
// and sockets under test only work inside one, and it must outlive every benchmark run.
#include <benchmark/benchmark.h>

namespace mojing {

template <class Application> int runBenchmarks(int argc, char** argv) {
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace mojing
