// Merging routers into a list of 1,000, 10,000 and 100,000, and the way from
// a file to dump's JSON and back. The counter "per_record" is the time per
// record of the list; it must grow no faster than log n.

#include "PackReader.h"
#include "RouterDiff.h"
#include "RouterJson.h"
#include "RouterMerge.h"

#include <benchmark/benchmark.h>

#include <numeric>
#include <random>

namespace {

TRouterEntry Record(std::mt19937& random, int i)
{
    TRouterEntry entry = NewRouterEntry();
    entry.HTTPPort = 80;
    entry.BrowserAuth = 1;
    entry.SavedAt = 38000.5 + i;
    entry.RouterVendor = (random() % 2 ? "Router " : "router ") + std::to_string(random() % 1000000);
    entry.Comments = std::string(80, 'c') + "\r\n" + std::string(40, 'd');
    entry.GoOnline = "cgi-bin/goinet.cgi";
    entry.StatusPage = "doc/m5.htm";
    entry.OfflineCode = "<td>0.0.0.0</td>";
    entry.BeforeIPAddress = "IP-Adresse:</td><td>";
    for (int p = 0; p < 4; ++p)
        entry.Status2Values.Add("Eigenschaft" + std::to_string(p) + "=<td>Wert " + std::to_string(p) + ":</td>");
    return entry;
}

std::vector<TRouterEntry> Records(int count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<TRouterEntry> records;
    for (int i = 0; i < count; ++i)
        records.push_back(Record(random, i));
    return records;
}

void Fill(TRouterList& list, const std::vector<TRouterEntry>& records)
{
    std::vector<TRouterItem> items;
    for (const TRouterEntry& record : records)
        items.push_back({record.RouterVendor, std::make_unique<TRouterEntry>(record)});
    list.AddAll(std::move(items));
}

void SetPerRecord(benchmark::State& state)
{
    state.counters["per_record"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Merging `merged` routers into a list of range(0): the window's one merge,
// and a whole file of the same size.
void Merge(benchmark::State& state, int merged)
{
    const std::vector<TRouterEntry> target = Records(int(state.range(0)), 1);
    const std::vector<TRouterEntry> records = Records(merged < 0 ? int(state.range(0)) : merged, 2);
    std::vector<int> chosen(records.size());
    std::iota(chosen.begin(), chosen.end(), 0);
    for (auto _ : state) {
        state.PauseTiming();
        TRouterList list;
        Fill(list, target);
        // Many are taken over from the source, not copied.
        TRouterList sources(TRouterList::TOrder::Unsorted);
        Fill(sources, records);
        state.ResumeTiming();
        MergeRouters(list, sources, chosen, {false, 45000.0});
        benchmark::DoNotOptimize(list.Count());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
    SetPerRecord(state);
}

void BM_MergeOne(benchmark::State& state)
{
    Merge(state, 1);
}

void BM_MergeAsManyAgain(benchmark::State& state)
{
    Merge(state, -1);
}

void BM_Dump(benchmark::State& state)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    Fill(list, Records(int(state.range(0)), 1));
    for (auto _ : state)
        benchmark::DoNotOptimize(DumpDocument({}, list).size());
    SetPerRecord(state);
}

void BM_Pack(benchmark::State& state)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    Fill(list, Records(int(state.range(0)), 1));
    const std::string json = DumpDocument({}, list);
    for (auto _ : state) {
        TRouterList packed(TRouterList::TOrder::Unsorted);
        ReadPackedRouters(json, packed);
        benchmark::DoNotOptimize(SerializeRouterList(packed).size());
    }
    SetPerRecord(state);
}

// Two lists that differ in every tenth router.
void BM_Diff(benchmark::State& state)
{
    std::vector<TRouterEntry> records = Records(int(state.range(0)), 1);
    TRouterList a;
    Fill(a, records);
    for (std::size_t i = 0; i < records.size(); i += 10)
        records[i].HTTPPort = 8080;
    TRouterList b;
    Fill(b, records);
    for (auto _ : state)
        benchmark::DoNotOptimize(DiffRouters(a, b).size());
    SetPerRecord(state);
}

} // namespace

BENCHMARK(BM_MergeOne)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeAsManyAgain)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dump)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pack)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Diff)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
