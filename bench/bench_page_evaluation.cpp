// The whole page test (preparation, offline code, IP address or property
// values) on a saved status page, against one glibc memmem pass over the
// same bytes in the same run. "vs_memmem" is our time divided by that pass.

#include "PageEvaluation.h"
#include "SyntheticPage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

const char* kTail =
    "<tr>\r\n  <td>IP-Adresse:</td> <td> 84.1.2.3 </td>\r\n</tr>\r\n"
    "<tr><td>DNS:</td><td>9.9.9.9</td></tr>\r\n<tr><td>Firmware:</td><td>1.14</td></tr>\r\n"
    "<input type=\"checkbox\" name=\"dhcp\" checked>\r\n</table></body></html>\r\n";

TRouterEntry BenchRouter()
{
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = "Status:getrennt";
    entry.BeforeIPAddress = "IP-Adresse:</td><td>";
    entry.AfterIPAddress = "</td>";
    entry.Status2Values.Add("DNS=DNS:</td><td>");
    entry.Status2Values.Add("Firmware={startpos=Firmware}<td>");
    entry.Status2Values.Add("DHCP=name=\"dhcp\"");
    entry.Status2Values.Add("Verbindung={3}Verbindung");
    entry.Status2Values.Add("Fehlt=<td>Uptime:</td>");
    return entry;
}

void PageTest(benchmark::State& state, int statusQuery)
{
    const std::string page = SyntheticStatusPage(std::size_t(state.range(0)) * kMiB, kTail);
    const TRouterEntry entry = BenchRouter();
    double ours = 0;
    double memmemTime = 0;
    for (auto _ : state) {
        std::string loaded = page; // stands for reading the file
        TStaticTestResult result;
        const double seconds = SecondsOf([&] { result = RunPageTest(entry, std::move(loaded), statusQuery); });
        if (result.ipAddress.empty() && result.values.Empty())
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

void Status1(benchmark::State& state) { PageTest(state, 1); }
void Properties(benchmark::State& state) { PageTest(state, 2); }

} // namespace

BENCHMARK(Status1)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Properties)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
