// routersdat convert (load, sort, save) of 1,000, 10,000 and 100,000
// routers against a durable copy of the same file (dd conv=fsync): time,
// CPU time and peak memory of the whole process, the median of five runs.
//
//   bench_convert [FOLDER]     (default: the system's temporary folder)

#include "AtomicFile.h"
#include "SyntheticRouters.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TRunFigures {
    double seconds = 0;    // wall clock
    double cpuSeconds = 0; // user and system
    long peakKiB = 0;      // maximum resident set
};

// Runs the program to its end and measures it.
TRunFigures Measure(const std::vector<std::string>& command)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& argument : command)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    TRunFigures figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    figures.peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
    return figures;
}

TRunFigures Median(const std::vector<std::string>& command)
{
    std::vector<TRunFigures> runs;
    for (int i = 0; i < 5; ++i)
        runs.push_back(Measure(command));
    std::sort(runs.begin(), runs.end(),
              [](const TRunFigures& a, const TRunFigures& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        (argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path()) / "bench_convert";
    std::filesystem::create_directories(folder);
    const std::string in = folder / "Routers.dat";
    const std::string copy = folder / "copy.dat";
    const std::string out = folder / "converted.dat";

    std::printf("%8s %9s %9s %11s %9s %8s %12s %10s %9s\n", "routers", "file MB", "dd ms", "convert ms",
                "cpu ms", "x dd", "us/router", "peak MB", "x file");
    for (const int count : {1000, 10000, 100000}) {
        // Made in a child process: a child's peak memory counts the memory
        // of the process it was forked from, which must stay small.
        const pid_t maker = ::fork();
        if (maker == 0)
            ::_exit(WriteFileCrashSafe(in, DefinitionsFile(count)).Ok() ? 0 : 1);
        int made = 0;
        ::waitpid(maker, &made, 0);
        if (!WIFEXITED(made) || WEXITSTATUS(made) != 0)
            return 1;
        const TRunFigures dd =
            Median({"dd", "if=" + in, "of=" + copy, "bs=1M", "conv=fsync", "status=none"});
        const TRunFigures convert = Median({ROUTERSDAT, "convert", in, out});
        const double fileMB = double(std::filesystem::file_size(in)) / 1e6;
        const double peakMB = double(convert.peakKiB) * 1024 / 1e6;
        std::printf("%8d %9.2f %9.1f %11.1f %9.1f %8.1f %12.2f %10.1f %9.2f\n", count, fileMB,
                    dd.seconds * 1e3, convert.seconds * 1e3, convert.cpuSeconds * 1e3,
                    convert.seconds / dd.seconds, convert.seconds * 1e6 / count, peakMB, peakMB / fileMB);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
