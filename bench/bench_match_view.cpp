// The test tab on a 64 MiB status page, through the window: a test (file
// read, rules, trace, displays), opening the match view on it, and scrolling
// the view a page at a time. ManyValues: 2,000 properties whose values all
// run to the end of the page, filled into the grid; run it alone
// (--benchmark_filter=ManyValues) to read the process's peak memory.
// Proposals: a rule for a value marked in the page, and the offline code
// from a second 64 MiB page; the time until the answer shows, and the
// longest time the window's thread was busy meanwhile (longest_stop_ms).
#include "FileDialog.h"
#include "MainUnit.h"
#include "PageTestRouter.h"
#include "PageEvaluation.h"
#include "PageView.h"
#include "ProposalPanel.h"
#include "MatchView.h"
#include "RouterFile.h"
#include "SyntheticPage.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <memory>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

TRouterEntry BenchRouter()
{
    TRouterEntry entry = StatusPageRouter();
    entry.RouterVendor = "Bench";
    AddKeyProperties(entry.Status3Values);
    return entry;
}

// The editor's routers file with the one bench router, and the pages,
// each written when first needed.
struct TBenchSetup {
    TBenchSetup()
    {
        TRouterList routers;
        routers.Add("Bench", std::make_unique<TRouterEntry>(BenchRouter()));
        SaveRouterList(routers, Path("Routers.dat").toStdString());
    }

    QString Path(const char* name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }

    QString StatusPage()
    {
        const QString path = Path("status.htm");
        if (!QFile::exists(path))
            Write(path, SyntheticStatusPage(64 * kMiB, kStatusPageTail), 1);
        return path;
    }

    // 64 MiB without a terminator, "key" every 4 KiB; written a block at a
    // time, so that the page is never in this process's memory before the test.
    // The status page as saved while the router was offline.
    QString OfflinePage()
    {
        const QString path = Path("offline.htm");
        if (!QFile::exists(path))
            Write(path, SyntheticStatusPage(64 * kMiB, std::string("<tr><td>Status:</td><td>getrennt</td></tr>") +
                                                           kStatusPageTail),
                  1);
        return path;
    }

    QString ValuesPage()
    {
        const QString path = Path("values.htm");
        std::string block(4096, 'x');
        block.replace(0, 3, "key");
        if (!QFile::exists(path))
            Write(path, block, 64 * kMiB / block.size());
        return path;
    }

    QTemporaryDir dir;

private:
    static void Write(const QString& path, const std::string& bytes, std::size_t times)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench page");
        for (std::size_t i = 0; i < times; ++i)
            if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
                qFatal("cannot write the bench page");
    }
};

TBenchSetup& Setup()
{
    static TBenchSetup setup;
    return setup;
}

template <typename T = QWidget>
T* Find(const QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no %s", name);
    return child;
}

void RunTest(TMainEditor& window, const char* statusButton, const QString& page)
{
    Find<QAbstractButton>(window, statusButton)->click();
    Find<QLineEdit>(window, "StatFileName")->setText(page);
    Find<QAbstractButton>(window, "TestBtn")->click();
    QCoreApplication::processEvents();
}

std::unique_ptr<TMainEditor> OpenEditor()
{
    auto window = std::make_unique<TMainEditor>(Setup().Path("Routers.dat").toStdString());
    window->show();
    QCoreApplication::processEvents();
    return window;
}

void BM_TestThroughTheWindow(benchmark::State& state)
{
    const auto window = OpenEditor();
    const char* button = state.range(0) == 1 ? "Status1Btn" : "Status2Btn";
    for (auto _ : state)
        RunTest(*window, button, Setup().StatusPage());
}
BENCHMARK(BM_TestThroughTheWindow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_OpenMatchView(benchmark::State& state)
{
    const auto window = OpenEditor();
    RunTest(*window, "Status2Btn", Setup().StatusPage());
    for (auto _ : state) {
        Find<QAbstractButton>(*window, "MatchViewBtn")->click();
        QWidget* view = Find(*window, "MatchView");
        view->repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        view->close(); // the next click opens it anew
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMatchView)->Unit(benchmark::kMillisecond);

// One page down, and the page drawn anew.
void BM_ScrollMatchView(benchmark::State& state)
{
    const auto window = OpenEditor();
    RunTest(*window, "Status2Btn", Setup().StatusPage());
    Find<QAbstractButton>(*window, "MatchViewBtn")->click();
    QCoreApplication::processEvents();
    auto* page = Find<QAbstractScrollArea>(*window, "MatchPageView");
    QImage frame(page->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = page->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() < bar->maximum() ? bar->value() + bar->pageStep() : 0);
        page->viewport()->render(&frame);
    }
    state.counters["rows"] = bar->maximum() + bar->pageStep();
}
BENCHMARK(BM_ScrollMatchView)->Unit(benchmark::kMicrosecond);

void BM_ManyValues(benchmark::State& state)
{
    const auto window = OpenEditor();
    for (auto _ : state)
        RunTest(*window, "Status3Btn", Setup().ValuesPage());
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_ManyValues)->Iterations(1)->Unit(benchmark::kMillisecond);

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop until the panel has its answer; the longest time the
// window's thread worked in one round of the loop, in milliseconds.
double WaitForAnswer(const TProposalPanel& panel)
{
    double longest = 0;
    while (panel.Busy()) {
        const double before = ThreadCpuSeconds();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longest = std::max(longest, 1000 * (ThreadCpuSeconds() - before));
    }
    return longest;
}

TProposalPanel& OpenProposals(TMainEditor& window, const char* statusButton)
{
    RunTest(window, statusButton, Setup().StatusPage());
    Find<QAbstractButton>(window, "MatchViewBtn")->click();
    QCoreApplication::processEvents();
    return *Find<TProposalPanel>(window, "ProposalPanel");
}

// Arg 1: the address at the page's end; arg 2: a property value amid rows
// that repeat, with no unique label near it.
void BM_ProposeForMarkedValue(benchmark::State& state)
{
    const auto window = OpenEditor();
    TProposalPanel& panel = OpenProposals(*window, state.range(0) == 1 ? "Status1Btn" : "Status2Btn");
    const std::string_view page = Find<TMatchView>(*window, "MatchView")->Test()->Page();
    std::size_t begin = page.rfind("84.1.2.3");
    std::size_t end = begin + 8;
    if (state.range(0) == 2) {
        begin = page.find("Paket", page.size() / 2) + 5;
        end = page.find('<', begin);
    }
    double call = 0;
    double longest = 0;
    for (auto _ : state) {
        call = std::max(call, 1000 * SecondsOf([&] { panel.TakeSelection({begin, end - begin}); }));
        longest = std::max(longest, WaitForAnswer(panel));
    }
    state.counters["marking_ms"] = call;
    state.counters["longest_stop_ms"] = longest;
}
BENCHMARK(BM_ProposeForMarkedValue)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_OfflineCodeFromSecondPage(benchmark::State& state)
{
    const auto window = OpenEditor();
    TProposalPanel& panel = OpenProposals(*window, "Status1Btn");
    const QString offline = Setup().OfflinePage();
    TFileDialog::SetAnswerForTesting([&](const TFileDialog&) { return std::optional<QString>(offline); });
    double click = 0;
    double longest = 0;
    for (auto _ : state) {
        click = std::max(click, 1000 * SecondsOf([&] {
                                    Find<QAbstractButton>(*window, "OfflinePageBtn")->click();
                                }));
        longest = std::max(longest, WaitForAnswer(panel));
    }
    TFileDialog::SetAnswerForTesting({});
    state.counters["click_ms"] = click;
    state.counters["longest_stop_ms"] = longest;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_OfflineCodeFromSecondPage)->Iterations(3)->Unit(benchmark::kMillisecond);

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
