// Rule proposals on large saved status pages: a value behind a unique label
// at the page's end, a value in the middle of rows that repeat, each from one
// save and from two saves of the page, and the offline code of two large
// pages that differ in one word.

#include "PageEvaluation.h"
#include "RuleProposal.h"
#include "SyntheticPage.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

std::string Tail(const char* state, const char* address)
{
    return std::string("<tr>\r\n  <td>Status:</td> <td>") + state + "</td>\r\n</tr>\r\n<tr>\r\n  <td>IP-Adresse:</td> <td> "
           + address + " </td>\r\n</tr>\r\n</table></body></html>\r\n";
}

std::string PreparedPage(std::size_t size, const char* state, const char* address = "84.1.2.3")
{
    return PreparePage(SyntheticStatusPage(size, Tail(state, address)));
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

// The same from two saves, with another address in the second.
void LabelledValueAtTheEndOfTwoSaves(benchmark::State& state)
{
    const std::string first = PreparedPage(std::size_t(state.range(0)) * kMiB, "verbunden");
    const std::string second = PreparedPage(std::size_t(state.range(0)) * kMiB, "verbunden", "91.6.7.8");
    for (auto _ : state) {
        const TRuleProposal proposal = ProposeRuleForPages(
            {{first, "84.1.2.3", std::nullopt}, {second, "91.6.7.8", std::nullopt}}, TRuleTarget::IPAddress);
        if (!proposal.found)
            state.SkipWithError("no proposal");
    }
    Report(state, first.size() + second.size());
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

// The same from two saves, the second with one row less before the value.
void ValueAmidRepeatedRowsOfTwoSaves(benchmark::State& state)
{
    const std::string first = PreparedPage(std::size_t(state.range(0)) * kMiB, "verbunden");
    const std::size_t middle = first.find("Paket", first.size() / 2) + 5;
    const TValueSpan span{middle, first.find('<', middle)};
    const std::size_t rowEnd = first.find("</tr>", first.size() / 4) + 5;
    const std::string second = first.substr(0, first.rfind("<tr", rowEnd)) + first.substr(rowEnd);
    const std::string_view value = std::string_view(first).substr(span.begin, span.end - span.begin);
    for (auto _ : state) {
        const TRuleProposal proposal =
            ProposeRuleForPages({{first, {}, span}, {second, value, std::nullopt}}, TRuleTarget::Property);
        if (!proposal.found)
            state.SkipWithError("no proposal");
    }
    Report(state, first.size() + second.size());
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
BENCHMARK(LabelledValueAtTheEndOfTwoSaves)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(ValueAmidRepeatedRows)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(ValueAmidRepeatedRowsOfTwoSaves)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(OfflineCode)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
