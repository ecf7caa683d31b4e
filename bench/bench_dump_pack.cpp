// routersdat dump and pack on inputs of 8, 32 and 128 MiB, each run as its
// own process: wall time, CPU time and peak memory of the process, and the
// peak as a multiple of the input. The inputs are those that multiply
// memory most: records with every text empty (each one a whole record in
// JSON, which pack reads back), and one router with a list of very short
// property lines.
//
//   bench_dump_pack [FOLDER]     (default: the system's temporary folder)

#include "RouterFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TRunFigures {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

// Runs the tool with its standard output going to `out`.
TRunFigures Measure(const std::vector<std::string>& arguments, const std::string& out)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file < 0 || ::dup2(file, 1) < 0)
            ::_exit(127);
        std::vector<char*> argv{const_cast<char*>(ROUTERSDAT)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(ROUTERSDAT, argv.data());
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
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

// Records whose texts and lists are all empty, 64 bytes each but for the
// name.
void WriteMinimalRecords(const std::string& path, std::size_t bytes)
{
    std::ofstream out(path, std::ios::binary);
    TRouterList one(TRouterList::TOrder::Unsorted);
    one.Add("", std::make_unique<TRouterEntry>());
    const std::string file = SerializeRouterList(one);
    out << file.substr(0, 4);
    for (std::size_t written = 4; written < bytes; written += file.size() - 4)
        out << file.substr(4);
}

// One router, as dump prints it, whose property list holds short lines
// "name=1" of distinct names.
void WriteShortPropertyLines(const std::string& path, const std::string& oneRouterDump, std::size_t bytes)
{
    const std::string empty = "\"Status2Values\": []";
    const std::size_t at = oneRouterDump.find(empty);
    std::ofstream out(path, std::ios::binary);
    out << oneRouterDump.substr(0, at) << "\"Status2Values\": [";
    std::size_t written = at;
    for (int i = 0; written < bytes; ++i) {
        const std::string line = (i ? ",\"" : "\"") + std::to_string(i) + "=1\"";
        out << line;
        written += line.size();
    }
    out << "]" << oneRouterDump.substr(at + empty.size());
}

void Print(const char* command, int mib, const TRunFigures& run, std::uintmax_t inputBytes)
{
    const double peakMB = double(run.peakKiB) * 1024 / 1e6;
    std::printf("%-12s %6d %9.2f %9.2f %10.1f %9.2f%s\n", command, mib, run.seconds, run.cpuSeconds, peakMB,
                peakMB * 1e6 / double(inputBytes), run.ok ? "" : "  (failed)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder =
        (argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path()) / "bench_dump_pack";
    std::filesystem::create_directories(folder);
    const std::string records = folder / "records.dat", json = folder / "records.json",
                      lines = folder / "lines.json", one = folder / "one.dat", out = folder / "out.dat",
                      dumped = folder / "dump.json";
    WriteMinimalRecords(one, 5);
    Measure({"dump", one}, dumped);
    std::ifstream in(dumped, std::ios::binary);
    const std::string oneRouterDump((std::istreambuf_iterator<char>(in)), {});

    std::printf("%-12s %6s %9s %9s %10s %9s\n", "command", "MiB", "s", "cpu s", "peak MB", "x input");
    for (const int mib : {8, 32, 128}) {
        const std::size_t bytes = std::size_t(mib) << 20;
        WriteMinimalRecords(records, bytes);
        Print("dump", mib, Measure({"dump", records}, json), std::filesystem::file_size(records));
        // dump's JSON of such records is about 9.4 times their size.
        WriteMinimalRecords(records, bytes * 10 / 94);
        Measure({"dump", records}, json);
        Print("pack records", mib, Measure({"pack", json, out}, "/dev/null"), std::filesystem::file_size(json));
        WriteShortPropertyLines(lines, oneRouterDump, bytes);
        Print("pack lines", mib, Measure({"pack", lines, out}, "/dev/null"), std::filesystem::file_size(lines));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
