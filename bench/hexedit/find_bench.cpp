// Find of an absent 8-byte pattern over a 512 MiB document, against memmem
// over the same bytes already in memory and against merely reading the file
// through 64 KiB pieces.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench_files.h"
#include "hexedit/hex_document.h"

using velmora::hex::HexDocument;
namespace os = velmora::os;

namespace {

constexpr int64_t kSize = int64_t{512} << 20;
const uint8_t kPattern[8] = {'v', 'E', 'l', 'M', 'o', 'R', 'a', '!'};

struct Fixture {
    std::string path = os::TempFolder() + "hexedit_find_bench.bin";
    std::vector<uint8_t> memory;
    HexDocument doc;
    Fixture() {
        if (!hexbench::WriteRandomFile(path, kSize, 0x9E3779B97F4A7C15ull)) std::abort();
        memory.resize(kSize);
        os::File f;
        f.Open(path, os::File::Mode::Read);
        for (int64_t at = 0; at < kSize; at += 1 << 20)
            f.Read(memory.data() + at, 1 << 20);
        if (memmem(memory.data(), memory.size(), kPattern, 8)) std::abort(); // must be absent
        if (!doc.LoadFromFile(path)) std::abort();
    }
    ~Fixture() { os::RemoveFile(path); }
};

Fixture& Get() {
    static Fixture fixture;
    return fixture;
}

void BM_Memmem(benchmark::State& state) {
    Fixture& f = Get();
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(f.memory.data(), f.memory.size(), kPattern, 8));
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_ReadThroughWindows(benchmark::State& state) {
    Fixture& f = Get();
    std::unique_ptr<uint8_t[]> window(new uint8_t[65536]);
    for (auto _ : state) {
        os::File file;
        file.Open(f.doc.WorkingCopyPath(), os::File::Mode::Read);
        int64_t sum = 0;
        while (int32_t n = file.Read(window.get(), 65536)) {
            if (n < 0) break;
            sum += window[n - 1];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_Find(benchmark::State& state) {
    Fixture& f = Get();
    const bool ignoreCase = state.range(0) != 0;
    for (auto _ : state) {
        uint8_t pattern[8];
        std::memcpy(pattern, kPattern, 8);
        int32_t r = f.doc.Find(pattern, 8, 0, f.doc.DataSize() - 1, ignoreCase, false);
        if (r != -1) state.SkipWithError("found an absent pattern");
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

} // namespace

BENCHMARK(BM_Memmem)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadThroughWindows)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Find)->Arg(0)->Arg(1)->ArgName("ignoreCase")->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
