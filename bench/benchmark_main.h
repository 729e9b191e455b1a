// The main of a Google Benchmark program that may lack its baseline library:
// the note says what was left out, then the benchmarks run as usual.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdio>

inline int RunBenchmarks(int argc, char** argv, const char* missingBaselineNote) {
    if (missingBaselineNote) std::printf("%s\n", missingBaselineNote);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
