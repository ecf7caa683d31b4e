// Rule proposals on large saved status pages: a value behind a unique label
// at the page's end, a value in the middle of rows that repeat, and the
// offline code of two large pages that differ in one word.

#include "PageEvaluation.h"
#include "RuleProposal.h"
#include "SyntheticPage.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

std::string Tail(const char* state)
{
    return std::string("<tr>\r\n  <td>Status:</td> <td>") + state
           + "</td>\r\n</tr>\r\n<tr>\r\n  <td>IP-Adresse:</td> <td> 84.1.2.3 </td>\r\n</tr>\r\n"
             "</table></body></html>\r\n";
}

std::string PreparedPage(std::size_t size, const char* state)
{
    return PreparePage(SyntheticStatusPage(size, Tail(state)));
}

void Report(benchmark::State& state, std::size_t pageSize)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(pageSize));
}

void LabelledValueAtTheEnd(benchmark::State& state)
{
    const std::string page = PreparedPage(std::size_t(state.range(0)) * kMiB, "verbunden");
    for (auto _ : state) {
        const TRuleProposal proposal = ProposeRuleForValue(page, "84.1.2.3", TRuleTarget::IPAddress);
        if (!proposal.found)
            state.SkipWithError("no proposal");
    }
    Report(state, page.size());
}

// A value amid rows that differ only in their numbers: no label is unique.
void ValueAmidRepeatedRows(benchmark::State& state)
{
    const std::string page = PreparedPage(std::size_t(state.range(0)) * kMiB, "verbunden");
    const std::size_t middle = page.find("Paket", page.size() / 2) + 5;
    const TValueSpan span{middle, page.find('<', middle)};
    for (auto _ : state) {
        const TRuleProposal proposal = ProposeRule(page, span, TRuleTarget::Property);
        if (!proposal.found)
            state.SkipWithError("no proposal");
    }
    Report(state, page.size());
}

void OfflineCode(benchmark::State& state)
{
    const std::size_t size = std::size_t(state.range(0)) * kMiB;
    const std::string online = PreparedPage(size, "verbunden");
    const std::string offline = PreparedPage(size, "getrennt");
    for (auto _ : state) {
        if (!ProposeOfflineCode(online, offline).found)
            state.SkipWithError("no offline code");
    }
    Report(state, offline.size());
}

} // namespace

BENCHMARK(LabelledValueAtTheEnd)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(ValueAmidRepeatedRows)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(OfflineCode)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
