// The editor window with 10,000 routers: start-up to the first shown window,
// and switching from one router to another as the user does in the list.
// A property list of 5,000 properties: showing it, scrolling through it and
// moving a row.
#include "MainUnit.h"
#include "PropertyListEditor.h"
#include "RouterFile.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QScrollBar>
#include <QTabWidget>
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

std::string WriteRoutersFile(const QTemporaryDir& dir, TRouterList& routers)
{
    const std::string file = QDir(dir.path()).filePath(QStringLiteral("Routers.dat")).toStdString();
    SaveRouterList(routers, file);
    return file;
}

const std::string& RoutersFile()
{
    static QTemporaryDir dir;
    static const std::string path = [] {
        TRouterList routers;
        for (int number = 0; number < kRouters; ++number) {
            auto entry = BenchRouter(number);
            std::string name = entry->RouterVendor;
            routers.Add(std::move(name), std::move(entry));
        }
        return WriteRoutersFile(dir, routers);
    }();
    return path;
}

constexpr int kProperties = 5000;

// Two routers, each with 5,000 properties in status query 2.
const std::string& LongListFile()
{
    static QTemporaryDir dir;
    static const std::string path = [] {
        TRouterList routers;
        for (const char* name : {"Router A", "Router B"}) {
            auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
            entry->RouterVendor = name;
            for (int line = 0; line < kProperties; ++line)
                entry->Status2Values.Add("Eigenschaft " + std::to_string(line) + "=<td>Wert "
                                         + std::to_string(line) + ":</td><td>");
            routers.Add(name, std::move(entry));
        }
        return WriteRoutersFile(dir, routers);
    }();
    return path;
}

// The window on the page of the long list.
struct TLongListWindow {
    TMainEditor window{LongListFile()};
    TPropertyListEditor* list = nullptr;

    TLongListWindow()
    {
        window.show();
        window.findChild<QTabWidget*>(QStringLiteral("PC"))->setCurrentIndex(4);
        list = window.findChild<TPropertyListEditor*>(QStringLiteral("VEditor0"));
        QCoreApplication::processEvents();
    }

    QAbstractButton* Button(const char* name) const
    {
        return window.findChild<QAbstractButton*>(QLatin1String(name));
    }
};

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

// Switching between two routers with 5,000 properties each, with the list
// on view.
void BM_ShowLongPropertyList(benchmark::State& state)
{
    TLongListWindow view;
    auto* routers = view.window.findChild<QComboBox*>(QStringLiteral("RoutersCB"));
    int index = 0;
    for (auto _ : state) {
        index = 1 - index;
        routers->setCurrentIndex(index);
        emit routers->activated(index);
        view.list->viewport()->repaint();
    }
}
BENCHMARK(BM_ShowLongPropertyList)->Unit(benchmark::kMillisecond);

// One page down through the list, painted each time.
void BM_ScrollLongPropertyList(benchmark::State& state)
{
    TLongListWindow view;
    QScrollBar* bar = view.list->verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        view.list->viewport()->repaint();
    }
}
BENCHMARK(BM_ScrollLongPropertyList)->Unit(benchmark::kMicrosecond);

// The row-down button in the middle of the list, painted each time.
void BM_MoveRowInLongPropertyList(benchmark::State& state)
{
    TLongListWindow view;
    view.Button("EditBtn")->click();
    view.list->Rows().SetCurrentRow(kProperties / 2);
    QAbstractButton* down = view.Button("RowDownBtn");
    QAbstractButton* up = view.Button("RowUpBtn");
    int moves = 0;
    for (auto _ : state) {
        (++moves % 2000 < 1000 ? down : up)->click();
        view.list->viewport()->repaint();
    }
}
BENCHMARK(BM_MoveRowInLongPropertyList)->Unit(benchmark::kMicrosecond);

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
