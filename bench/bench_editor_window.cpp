// The editor window with 10,000 routers: start-up to the first shown window,
// and switching from one router to another as the user does in the list.
#include "MainUnit.h"
#include "RouterFile.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int kRouters = 10000;

std::unique_ptr<TRouterEntry> BenchRouter(int number)
{
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    char name[32];
    std::snprintf(name, sizeof name, "Router %05d", (number * 7919) % kRouters);
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

const std::string& RoutersFile()
{
    static QTemporaryDir dir;
    static const std::string path = [] {
        const std::string file = QDir(dir.path()).filePath(QStringLiteral("Routers.dat")).toStdString();
        TRouterList routers;
        for (int number = 0; number < kRouters; ++number) {
            auto entry = BenchRouter(number);
            std::string name = entry->RouterVendor;
            routers.Add(std::move(name), std::move(entry));
        }
        SaveRouterList(routers, file);
        return file;
    }();
    return path;
}

void BM_StartUpToFirstShownWindow(benchmark::State& state)
{
    const std::string& path = RoutersFile();
    for (auto _ : state) {
        TMainEditor window(path);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.Routers().Count());
    }
}
BENCHMARK(BM_StartUpToFirstShownWindow)->Unit(benchmark::kMillisecond);

void BM_SwitchRouter(benchmark::State& state)
{
    TMainEditor window(RoutersFile());
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
