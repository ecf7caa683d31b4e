// The whole page test (preparation, offline code, IP address or property
// values) on a saved status page, against one glibc memmem pass over the
// same bytes in the same run. "vs_memmem" is our time divided by that pass.
// The *Traced runs also record where each rule matched, as the editor does.
// ManyProperties: 2,000 properties whose values all run to the end of the
// page; run it alone (--benchmark_filter=ManyProperties) to read the
// process's peak memory, "peak_rss_MiB".

#include "PageEvaluation.h"
#include "PageTestRouter.h"
#include "SyntheticPage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

void PageTest(benchmark::State& state, int statusQuery, bool traced)
{
    const std::string page = SyntheticStatusPage(std::size_t(state.range(0)) * kMiB, kStatusPageTail);
    const TRouterEntry entry = StatusPageRouter();
    double ours = 0;
    double memmemTime = 0;
    for (auto _ : state) {
        std::string loaded = page; // stands for reading the file
        std::unique_ptr<TPageTest> test;
        const double seconds = SecondsOf(
            [&] { test = std::make_unique<TPageTest>(entry, std::move(loaded), statusQuery, traced); });
        if (test->Result().ipAddress.empty() && test->Result().values.Empty())
            state.SkipWithError("nothing found");
        state.SetIterationTime(seconds);
        ours += seconds;
        memmemTime += SecondsOf([&] {
            benchmark::DoNotOptimize(memmem(page.data(), page.size(), "<td>Uptime:</td>", 16));
        });
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(page.size()));
    state.counters["vs_memmem"] = ours / memmemTime;
}

void Status1(benchmark::State& state) { PageTest(state, 1, false); }
void Properties(benchmark::State& state) { PageTest(state, 2, false); }
void Status1Traced(benchmark::State& state) { PageTest(state, 1, true); }
void PropertiesTraced(benchmark::State& state) { PageTest(state, 2, true); }

// A page without any terminator: every value is the rest of the page.
void ManyProperties(benchmark::State& state)
{
    std::string page(std::size_t(state.range(0)) * kMiB, 'x');
    for (std::size_t i = 0; i < page.size(); i += 4096)
        page.replace(i, 3, "key");
    TRouterEntry entry = NewRouterEntry();
    AddKeyProperties(entry.Status3Values);
    for (auto _ : state) {
        std::string loaded = page;
        const TPageTest test(entry, std::move(loaded), 3, state.range(1) != 0);
        if (test.Result().values.Count() != 2000)
            state.SkipWithError("values missing");
    }
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["page_MiB"] = double(page.size()) / kMiB;
}

} // namespace

BENCHMARK(Status1)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Properties)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Status1Traced)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PropertiesTraced)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ManyProperties)->Args({64, 0})->Args({64, 1})->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
