// The editor window: start-up to the first shown window with no, 10,000 and
// 100,000 routers, and switching from one router to another as the user
// does in the list.
#include "MainUnit.h"
#include "RouterFile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>

namespace {

constexpr int kRouters = 10000;

std::unique_ptr<TRouterEntry> BenchRouter(int number, int count)
{
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    char name[32];
    std::snprintf(name, sizeof name, "Router %06d", (number * 7919) % count);
    entry->RouterVendor = name;
    entry->HTTPPort = 80;
    entry->Comments = "Zeile eins\r\nZeile zwei\r\nZeile drei";
    entry->GoOnline = "<POST>cgi-bin/goinet.cgi?user=%USERNAME%&pass=%PASSWORD%";
    entry->StatusPage = "doc/m5.htm";
    entry->OfflineCode = "<td>0.0.0.0</td>";
    entry->BeforeIPAddress = "IP-Adresse:</td><td>";
    entry->AfterIPAddress = "</td>";
    for (int line = 0; line < 8; ++line)
        entry->Status2Values.Add("Wert" + std::to_string(line) + "=<td>Wert " + std::to_string(line) + ":</td><td>");
    return entry;
}

// A definitions file of that many routers, made once per count.
const std::string& RoutersFile(int count)
{
    static QTemporaryDir dir;
    static std::map<int, std::string> paths;
    std::string& path = paths[count];
    if (path.empty()) {
        path = QDir(dir.path()).filePath(QStringLiteral("Routers-%1.dat").arg(count)).toStdString();
        TRouterList routers(TRouterList::TOrder::Unsorted);
        for (int number = 0; number < count; ++number) {
            auto entry = BenchRouter(number, count);
            std::string name = entry->RouterVendor;
            routers.Add(std::move(name), std::move(entry));
        }
        SaveRouterList(routers, path);
    }
    return path;
}

void BM_StartUpToFirstShownWindow(benchmark::State& state)
{
    const std::string& path = RoutersFile(int(state.range(0)));
    for (auto _ : state) {
        auto window = std::make_unique<TMainEditor>(path);
        window->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window->Routers().Count());
        // Closing is not part of the start.
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstShownWindow)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SwitchRouter(benchmark::State& state)
{
    TMainEditor window(RoutersFile(kRouters));
    window.show();
    QCoreApplication::processEvents();
    auto* routers = window.findChild<QComboBox*>(QStringLiteral("RoutersCB"));
    int index = 0;
    for (auto _ : state) {
        index = (index + 3571) % kRouters;
        routers->setCurrentIndex(index);
        emit routers->activated(index);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_SwitchRouter)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
