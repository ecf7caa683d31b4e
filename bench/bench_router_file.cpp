// Load (parse), sort and save (serialise and write) of definitions files of
// 1,000, 10,000 and 100,000 records. The counter "per_record" is the time per
// record; it must grow no faster than log n.

#include "RouterFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

std::vector<TRouterItem> MakeItems(int count)
{
    std::mt19937 random(42);
    std::vector<TRouterItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
        entry->HTTPPort = 80;
        entry->BrowserAuth = 1;
        entry->SavedAt = 38000.5 + i;
        entry->RouterVendor = (random() % 2 ? "Router " : "router ") + std::to_string(random() % 1000000);
        entry->RouterVendorURL = "www.example.com";
        entry->Comments = std::string(80, 'c') + "\r\n" + std::string(40, 'd');
        entry->GoOnline = "cgi-bin/goinet.cgi";
        entry->GoOffline = "cgi-bin/online3.cgi";
        entry->StatusPage = "doc/m5.htm";
        entry->OfflineCode = "<td>0.0.0.0</td>";
        entry->BeforeIPAddress = "IP-Adresse:</td><td>";
        entry->AfterIPAddress = "</td>";
        for (int p = 0; p < 4; ++p)
            entry->Status2Values.Add("Eigenschaft" + std::to_string(p) + "=<td>Wert " + std::to_string(p) + ":</td>");
        std::string name = entry->RouterVendor;
        items.push_back({std::move(name), std::move(entry)});
    }
    return items;
}

std::string FileBytes(int count)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    list.AddAll(MakeItems(count));
    return SerializeRouterList(list);
}

void SetPerRecord(benchmark::State& state)
{
    state.counters["per_record"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Reading the bytes into a list in file order.
void BM_Parse(benchmark::State& state)
{
    const std::string bytes = FileBytes(int(state.range(0)));
    for (auto _ : state) {
        TRouterList list(TRouterList::TOrder::Unsorted);
        ParseRouterFile(bytes, list);
        benchmark::DoNotOptimize(list.Count());
    }
    SetPerRecord(state);
}

// Sorting the records into the main list.
void BM_Sort(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TRouterItem> items = MakeItems(int(state.range(0)));
        TRouterList list;
        state.ResumeTiming();
        list.AddAll(std::move(items));
        benchmark::DoNotOptimize(list.Count());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
    SetPerRecord(state);
}

// What the editor does at start: read the file into the sorted main list.
void BM_Load(benchmark::State& state)
{
    const std::string dir = std::filesystem::temp_directory_path() / "bench_router_file";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/Routers.dat";
    {
        TRouterList list(TRouterList::TOrder::Unsorted);
        ParseRouterFile(FileBytes(int(state.range(0))), list);
        SaveRouterList(list, path);
    }
    for (auto _ : state) {
        TRouterList list;
        LoadRouterList(path, list);
        benchmark::DoNotOptimize(list.Count());
    }
    SetPerRecord(state);
    std::filesystem::remove_all(dir);
}

// Writing the bytes of the list.
void BM_Serialize(benchmark::State& state)
{
    TRouterList list;
    ParseRouterFile(FileBytes(int(state.range(0))), list);
    for (auto _ : state)
        benchmark::DoNotOptimize(SerializeRouterList(list));
    SetPerRecord(state);
}

// A whole save: serialise, temporary file, fsync, rename, fsync of the folder.
void BM_Save(benchmark::State& state)
{
    const std::string dir = std::filesystem::temp_directory_path() / "bench_router_file";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/Routers.dat";
    TRouterList list;
    ParseRouterFile(FileBytes(int(state.range(0))), list);
    for (auto _ : state) {
        if (!SaveRouterList(list, path))
            state.SkipWithError("save failed");
    }
    SetPerRecord(state);
    std::filesystem::remove_all(dir);
}

} // namespace

BENCHMARK(BM_Parse)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Serialize)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
