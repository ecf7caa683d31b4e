// The editor as a whole process, from its start until its window is on
// screen, with no, 10,000 and 100,000 routers (about 290 bytes each), in a
// file sorted as the editor saves it and in one of random order: the
// median of seven starts. Run it under the display to measure, for instance
//   xvfb-run -a build/bench/bench_editor_start
// or with QT_QPA_PLATFORM=offscreen.

#include "AtomicFile.h"
#include "EditorApplication.h"
#include "MainUnit.h"
#include "QtMessageBox.h"
#include "SyntheticRouters.h"

#include <QStyleFactory>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

double Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// What the editor's main does, until the window is exposed; then prints
// the moment.
int StartEditor(int argc, char** argv, const char* path)
{
    TEditorApplication app(argc, argv);
    InstallQtMessageBox();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    TMainEditor window(path);
    window.show();
    const double giveUp = Now() + 10;
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && Now() < giveUp)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::printf("%.6f\n", Now());
    std::fflush(stdout);
    ::_exit(0);
}

// Seconds from starting the process until its window was shown.
double TimeOneStart(const char* self, const std::string& path)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    const double start = Now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::execl(self, self, "--editor", path.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char text[64] = {};
    const ssize_t got = ::read(pipeEnds[0], text, sizeof text - 1);
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    return got > 0 ? std::atof(text) - start : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--editor") == 0)
        return StartEditor(argc, argv, argv[2]);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench_editor_start";
    std::filesystem::create_directories(folder);
    double emptyStart = 0;
    std::printf("%8s %-26s %10s %9s\n", "routers", "order in the file", "start ms", "x empty");
    const std::pair<TRouterOrder, const char*> orders[] = {{TRouterOrder::Sorted, "sorted, as the editor saves"},
                                                           {TRouterOrder::Random, "random"}};
    for (const int count : {0, 10000, 100000}) {
        for (const auto& [order, orderName] : orders) {
            const std::string path = folder / ("Routers-" + std::to_string(count) + ".dat");
            if (!WriteFileCrashSafe(path, DefinitionsFile(count, order)).Ok())
                return 1;
            std::vector<double> starts;
            for (int run = 0; run < 7; ++run)
                starts.push_back(TimeOneStart(argv[0], path));
            std::sort(starts.begin(), starts.end());
            const double median = starts[starts.size() / 2];
            if (count == 0)
                emptyStart = median;
            std::printf("%8d %-26s %10.1f %9.2f\n", count, orderName, median * 1e3, median / emptyStart);
            if (count == 0)
                break;
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
