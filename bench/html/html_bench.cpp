// Tokenizing and building a generated 10 MB page, against libgumbo parsing
// the same bytes. The built document's heap size is reported beside it.
#include "html/builder.h"
#include "html/layout.h"
#include "html/paint.h"
#include "bench_page.h"

#include <benchmark/benchmark.h>

#include "../benchmark_main.h"
#if VELMORA_BASELINE_GUMBO
#include <gumbo.h>
#endif
#include <malloc.h>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>

using namespace velmora::html;
using velmora_bench::MakePage;

namespace {

const std::string& Page() {
    static const std::string page = MakePage(10 * 1024 * 1024);
    return page;
}

void BM_VelmoraBuild(benchmark::State& state) {
    const std::string& page = Page();
    FixedFontMetrics metrics;
    size_t documentBytes = 0;
    for (auto _ : state) {
        TSectionList doc(metrics);
        TAnchorList anchors;
        const size_t before = mallinfo2().uordblks;
        ParseHtmlText(doc, anchors, page);
        documentBytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(doc.Sections.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["input_MB"] = static_cast<double>(page.size()) / (1024.0 * 1024.0);
    state.counters["document_MB"] = static_cast<double>(documentBytes) / (1024.0 * 1024.0);
    state.counters["document_per_input"] =
        static_cast<double>(documentBytes) / static_cast<double>(page.size());
}
BENCHMARK(BM_VelmoraBuild)->Unit(benchmark::kMillisecond);

void BM_VelmoraTokenizeOnly(benchmark::State& state) {
    const std::string& page = Page();
    for (auto _ : state) {
        Tokenizer t(page);
        t.ReadChar();
        size_t symbols = 0;
        for (t.Next(); t.Sym != Sy::Eof; t.Next())
            ++symbols;
        benchmark::DoNotOptimize(symbols);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_VelmoraTokenizeOnly)->Unit(benchmark::kMillisecond);

// CPU time: the machine is shared, wall time says little.
double CpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Layout of the built page at 800 pixels, then again at 400 (a resize). The
// time of one iteration is both; each is also given on its own (CPU), with
// the heap the first layout added.
void LayoutBench(benchmark::State& state, const std::string& page) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, page);
    size_t layoutBytes = 0;
    double at800 = 0, at400 = 0;
    bool first = true;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        double t0 = CpuMilliseconds();
        benchmark::DoNotOptimize(doc.LayOut(800, 8));
        at800 += CpuMilliseconds() - t0;
        if (first) layoutBytes = mallinfo2().uordblks - before;
        first = false;
        t0 = CpuMilliseconds();
        benchmark::DoNotOptimize(doc.LayOut(400, 8));
        at400 += CpuMilliseconds() - t0;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["layout800_ms"] = at800 / n;
    state.counters["layout400_ms"] = at400 / n;
    state.counters["layout_MB"] = static_cast<double>(layoutBytes) / (1024.0 * 1024.0);
    state.counters["layout_per_input"] = static_cast<double>(layoutBytes) / static_cast<double>(page.size());
}

void BM_VelmoraLayout(benchmark::State& state) {
    LayoutBench(state, Page());
}
BENCHMARK(BM_VelmoraLayout)->Unit(benchmark::kMillisecond);

void BM_VelmoraLayout1MB(benchmark::State& state) {
    static const std::string page = MakePage(1024 * 1024);
    LayoutBench(state, page);
}
BENCHMARK(BM_VelmoraLayout1MB)->Unit(benchmark::kMillisecond);

void BM_VelmoraBuild1MB(benchmark::State& state) {
    static const std::string page = MakePage(1024 * 1024);
    FixedFontMetrics metrics;
    for (auto _ : state) {
        TSectionList doc(metrics);
        TAnchorList anchors;
        ParseHtmlText(doc, anchors, page);
        benchmark::DoNotOptimize(doc.Sections.size());
    }
}
BENCHMARK(BM_VelmoraBuild1MB)->Unit(benchmark::kMillisecond);

// One 800 x 600 screen painted at 50 places spread over the page: the time of
// one screen, and the most sections any screen touched.
void BM_VelmoraPaintScreen(benchmark::State& state) {
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHtmlText(doc, anchors, Page());
    const int32_t height = doc.LayOut(800, 8);
    size_t most = 0, ops = 0, screens = 0;
    for (auto _ : state) {
        TViewState view;
        view.ScrollY = static_cast<int32_t>((static_cast<int64_t>(height) * (screens % 50)) / 50);
        TPaintContext pc(doc, view, {0, 0, 800, 600}, 8);
        PaintDocument(pc);
        most = std::max(most, pc.SectionsPainted);
        ops += pc.Ops.size();
        ++screens;
    }
    state.counters["sections_total"] = static_cast<double>(doc.Sections.size());
    state.counters["most_sections_per_screen"] = static_cast<double>(most);
    state.counters["ops_per_screen"] = static_cast<double>(ops) / static_cast<double>(screens);
}
BENCHMARK(BM_VelmoraPaintScreen)->Unit(benchmark::kMicrosecond);

#if VELMORA_BASELINE_GUMBO
void BM_GumboParse(benchmark::State& state) {
    const std::string& page = Page();
    size_t treeBytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
        treeBytes = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
    state.counters["tree_MB"] = static_cast<double>(treeBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_GumboParse)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
#if VELMORA_BASELINE_GUMBO
    const char* note = nullptr;
#else
    // Built without its baseline library: say what is left out.
    const char* note = "html_bench: libgumbo not found at build time; built without its baseline "
                       "(install libgumbo-dev, or run scripts/bench, which does)";
#endif
    return RunBenchmarks(argc, argv, note);
}
