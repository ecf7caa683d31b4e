// FindTextNoCase against glibc memmem (case-sensitive, the practical upper
// bound) on the same data in the same run. "vs_memmem" is our time divided
// by memmem's: 1.0 means as fast, 2.0 half as fast.

#include "SyntheticPage.h"
#include "mwIPos.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

void CompareWithMemmem(benchmark::State& state, const std::string& pattern, const std::string& text)
{
    double ours = 0;
    double memmemTime = 0;
    for (auto _ : state) {
        std::size_t found = 0;
        const double seconds = SecondsOf([&] { found = FindTextNoCase(pattern, text); });
        benchmark::DoNotOptimize(found);
        state.SetIterationTime(seconds);
        ours += seconds;
        memmemTime += SecondsOf([&] {
            benchmark::DoNotOptimize(memmem(text.data(), text.size(), pattern.data(), pattern.size()));
        });
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.counters["vs_memmem"] = ours / memmemTime;
    state.counters["memmem_GB/s"] = double(state.iterations()) * double(text.size()) / memmemTime / 1e9;
}

void TypicalHtml(benchmark::State& state)
{
    const std::string pattern = "<td>IP-Adresse:</td>";
    const std::string text = SyntheticStatusPage(std::size_t(state.range(0)) * kMiB, pattern + "84.1.2.3");
    CompareWithMemmem(state, pattern, text);
}

void PatternAbsent(benchmark::State& state)
{
    const std::string text = SyntheticStatusPage(std::size_t(state.range(0)) * kMiB, "");
    CompareWithMemmem(state, "<td>DNS-Server:</td>", text);
}

void SingleByte(benchmark::State& state)
{
    const std::string text = SyntheticStatusPage(std::size_t(state.range(0)) * kMiB, "");
    CompareWithMemmem(state, "{", text);
}

// 1,000 'a' then 'b' in a text of nothing but 'a'.
void AdversarialRun(benchmark::State& state)
{
    const std::string text(std::size_t(state.range(0)) * kMiB, 'a');
    CompareWithMemmem(state, std::string(1000, 'a') + "b", text);
}

// Matches the first and last byte everywhere, so every window is a candidate.
void AdversarialCandidates(benchmark::State& state)
{
    const std::string text(std::size_t(state.range(0)) * kMiB, 'a');
    CompareWithMemmem(state, std::string(500, 'a') + "b" + std::string(500, 'a'), text);
}

} // namespace

BENCHMARK(TypicalHtml)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PatternAbsent)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SingleByte)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(AdversarialRun)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(AdversarialCandidates)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
