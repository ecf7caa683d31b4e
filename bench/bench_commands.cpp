// Every routersdat command on inputs of 8, 32 and 128 MiB of the shapes
// that cost it most, each run as its own process: wall time, CPU time and
// peak memory of the process, and the peak as a multiple of the input (the
// sum of the files it reads). The shapes:
//   records  records with short names and every other text empty
//   lists    one router whose property lists hold very short lines
//   names    records whose names are 2,000 bytes that differ at the end
//   old      records of the oldest version, every text empty: 43 bytes
//   page     a status page of table rows, the wanted rows at its end
//   values   a status page that holds the wanted value on every line
// probe reads the page from a local HTTP server, whose answers may have at
// most 16 MiB: at 8 MiB only its page grows, beyond that only its file.
//
//   bench_commands [FOLDER] [COMMAND...]   (default: the temporary folder,
//                                           every command)

#include "PageTestRouter.h"
#include "RouterFile.h"
#include "SyntheticPage.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TRunFigures {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    int status = -1;
    std::string error; // the first line on standard error
};

pid_t Start(const std::vector<std::string>& command, const std::string& out, const std::string& err)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int outFile = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFile = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFile < 0 || errFile < 0 || ::dup2(outFile, 1) < 0 || ::dup2(errFile, 2) < 0)
            ::_exit(127);
        std::vector<char*> argv;
        for (const std::string& argument : command)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

TRunFigures Measure(const std::vector<std::string>& arguments, const fs::path& folder)
{
    std::vector<std::string> command{ROUTERSDAT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const std::string err = folder / "stderr.txt";
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = Start(command, "/dev/null", err);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    TRunFigures figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    figures.peakKiB = usage.ru_maxrss;
    figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::ifstream in(err);
    std::getline(in, figures.error);
    return figures;
}

// Makes a file in a child process, so that the memory it takes does not
// count as the peak of the commands run later.
void Make(const std::function<void()>& make)
{
    const pid_t child = ::fork();
    if (child == 0) {
        make();
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Records of one template whose name is a number of `digits` digits at its
// end, different in each record and in no particular order.
void WriteNamedRecords(const std::string& path, std::size_t bytes, const TRouterEntry& pattern,
                       std::size_t prefix)
{
    constexpr int kDigits = 7;
    TRouterList one(TRouterList::TOrder::Unsorted);
    auto entry = std::make_unique<TRouterEntry>(pattern);
    entry->RouterVendor = std::string(prefix, 'r') + std::string(kDigits, '0');
    one.Add("", std::move(entry));
    const std::string file = SerializeRouterList(one);
    std::string record = file.substr(4);
    const std::size_t digitsAt = record.find(std::string(prefix, 'r') + std::string(kDigits, '0')) + prefix;
    std::ofstream out(path, std::ios::binary);
    out << file.substr(0, 4);
    char digits[16];
    for (std::size_t i = 0, written = 4; written < bytes; ++i, written += record.size()) {
        std::snprintf(digits, sizeof digits, "%07zu", (i * 2654435761u) % 10000000);
        record.replace(digitsAt, kDigits, digits);
        out << record;
    }
}

// Records of the oldest version with every text empty and every number 0.
void WriteOldRecords(const std::string& path, std::size_t bytes)
{
    constexpr std::size_t kRecord = 43;
    std::string file(4 + (bytes - 4) / kRecord * kRecord, '\0');
    file[1] = 1; // version 256
    Write(path, file);
}

// One router whose property lists hold short lines "name=1" of distinct
// names.
std::string ListsFile(std::size_t bytes)
{
    TRouterList one(TRouterList::TOrder::Unsorted);
    auto entry = std::make_unique<TRouterEntry>(StatusPageRouter());
    entry->RouterVendor = "Listen";
    for (TPropertyList* list : {&entry->Status2Values, &entry->Status3Values, &entry->Status4Values}) {
        for (std::size_t i = 0, size = 0; size < bytes / 3; ++i) {
            const std::string line = std::to_string(i) + "=1";
            list->Add(line);
            size += line.size() + 2;
        }
    }
    one.Add("Listen", std::move(entry));
    return SerializeRouterList(one);
}

// The same file with one byte changed: the value of a property line in the
// middle of a list, else a digit of the last record's name, else the last
// record's ReservedFlag.
void WriteChangedCopy(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t value = bytes.find("=1", bytes.size() / 2), name = bytes.rfind('r');
    bytes[value != std::string::npos ? value + 1 : name != std::string::npos ? name + 1 : bytes.size() - 1] ^= 1;
    Write(to, bytes);
}

// Serves the files of a folder on 127.0.0.1 until killed; returns the port.
int Serve(const std::string& folder, pid_t& server)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    ::close(probe);
    server = Start({"/usr/bin/python3", "-m", "http.server", std::to_string(port), "--bind", "127.0.0.1",
                    "--directory", folder},
                   "/dev/null", "/dev/null");
    for (int i = 0; i < 100; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        if (up)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return port;
}

void Dump(const std::string& from, const std::string& to)
{
    ::waitpid(Start({ROUTERSDAT, "dump", from}, to, "/dev/null"), nullptr, 0);
}

std::uintmax_t Size(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

void Print(const std::string& what, int mib, const TRunFigures& run, std::uintmax_t inputBytes)
{
    const double peakMB = double(run.peakKiB) * 1024 / 1e6;
    std::printf("%-26s %4d %8.1f %8.2f %8.2f %9.1f %7.2f", what.c_str(), mib, double(inputBytes) / 1e6, run.seconds,
                run.cpuSeconds, peakMB, peakMB * 1e6 / double(inputBytes));
    if (run.status != 0)
        std::printf("  exit %d: %.70s", run.status, run.error.c_str());
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path folder = (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "bench_commands";
    const std::vector<std::string> only(argv + std::min(argc, 2), argv + argc);
    fs::create_directories(folder / "www");
    const auto path = [&](const char* name) { return (folder / name).string(); };
    const std::string records = path("records.dat"), records2 = path("records2.dat"), lists = path("lists.dat"),
                      lists2 = path("lists2.dat"), names = path("names.dat"), names2 = path("names2.dat"), old = path("old.dat"), old2 = path("old2.dat"), small = path("small.dat"),
                      json = path("records.json"), listsJson = path("lists.json"), namesJson = path("names.json"),
                      page = path("page.htm"), offline = path("offline.htm"), values = path("values.htm"),
                      out = path("out.dat"), served = (folder / "www" / "status.htm").string();
    Make([&] {
        TRouterList list(TRouterList::TOrder::Unsorted);
        auto entry = std::make_unique<TRouterEntry>(StatusPageRouter());
        entry->RouterVendor = entry->StatusPage = "status.htm";
        list.Add("status.htm", std::move(entry));
        Write(small, SerializeRouterList(list));
    });
    pid_t server = 0;
    const int port = Serve((folder / "www").string(), server);
    const std::string address = "127.0.0.1:" + std::to_string(port);

    struct TCase {
        std::string label;
        std::vector<std::string> arguments;
        std::vector<std::string> inputs;
        std::string target = {}; // copied to out before the run
    };
    const std::vector<TCase> cases = {
        {"dump records", {"dump", records}, {records}},
        {"dump lists", {"dump", lists}, {lists}},
        {"dump names", {"dump", names}, {names}},
        {"dump old", {"dump", old}, {old}},
        {"convert records", {"convert", records, out}, {records}},
        {"convert lists", {"convert", lists, out}, {lists}},
        {"convert names", {"convert", names, out}, {names}},
        {"convert old", {"convert", old, out}, {old}},
        {"names records", {"names", records}, {records}},
        {"names names", {"names", names}, {names}},
        {"names old", {"names", old}, {old}},
        {"pack records", {"pack", json, out}, {json}},
        {"pack lists", {"pack", listsJson, out}, {listsJson}},
        {"pack names", {"pack", namesJson, out}, {namesJson}},
        {"merge --all records", {"merge", out, records, "--all", "--saved-at", "1"}, {records}, small},
        {"merge --all lists", {"merge", out, lists, "--all", "--saved-at", "1"}, {lists}, small},
        {"merge --all names", {"merge", out, names, "--all", "--saved-at", "1"}, {names}, small},
        {"merge --all old", {"merge", out, old, "--all", "--saved-at", "1"}, {old}, small},
        {"merge --all into itself", {"merge", out, records, "--all", "--saved-at", "1"}, {records, records},
         records},
        {"merge --router records", {"merge", out, records2, "--router", "r0000000", "--saved-at", "1"},
         {records, records2}, records},
        {"diff records", {"diff", records, records2}, {records, records2}},
        {"diff lists", {"diff", lists, lists2}, {lists, lists2}},
        {"diff names", {"diff", names, names2}, {names, names2}},
        {"diff old", {"diff", old, old2}, {old, old2}},
        {"test records", {"test", records, page}, {records, page}},
        {"test old", {"test", old, page}, {old, page}},
        {"test page", {"test", small, page, "--router", "status.htm", "--explain"}, {small, page}},
        {"test lists", {"test", lists, page, "--router", "Listen", "--status", "3"}, {lists, page}},
        {"test values", {"test", small, values, "--router", "status.htm", "--explain"}, {small, values}},
        {"suggest page", {"suggest", page, "--value", "84.1.2.3"}, {page}},
        {"suggest --offline-page", {"suggest", page, "--value", "84.1.2.3", "--offline-page", offline},
         {page, offline}},
        {"suggest values", {"suggest", values, "--value", "84.1.2.3", "--occurrence", "1000"}, {values}},
        {"probe records", {"probe", records, "--router", "r0000000", "--address", address}, {records}},
        {"probe page", {"probe", small, "--router", "status.htm", "--address", address}, {small, served}},
    };

    // records, lists and names, as described above
    const std::vector<std::function<void(const std::string&, std::size_t)>> shapes = {
        [](const std::string& to, std::size_t size) { WriteNamedRecords(to, size, TRouterEntry(), 1); },
        [](const std::string& to, std::size_t size) { Write(to, ListsFile(size)); },
        [](const std::string& to, std::size_t size) { WriteNamedRecords(to, size, TRouterEntry(), 2000); },
    };
    std::printf("%-26s %4s %8s %8s %8s %9s %7s\n", "command and input", "MiB", "input MB", "s", "cpu s", "peak MB",
                "x input");
    for (const int mib : {8, 32, 128}) {
        const std::size_t bytes = std::size_t(mib) << 20;
        Make([&] {
            shapes[0](records, bytes);
            WriteChangedCopy(records, records2);
            shapes[1](lists, bytes);
            WriteChangedCopy(lists, lists2);
            shapes[2](names, bytes);
            WriteChangedCopy(names, names2);
            WriteOldRecords(old, bytes);
            WriteChangedCopy(old, old2);
            Write(page, SyntheticStatusPage(bytes, kStatusPageTail));
            std::string offlineTail = kStatusPageTail;
            offlineTail.replace(offlineTail.find("84.1.2.3"), 8, "getrennt");
            Write(offline, SyntheticStatusPage(bytes, offlineTail));
            std::string repeated;
            while (repeated.size() < bytes)
                repeated += "<tr><td>IP-Adresse:</td><td>84.1.2.3</td></tr>\r\n";
            Write(values, repeated);
            Write(served, SyntheticStatusPage(std::min<std::size_t>(bytes, 8u << 20), kStatusPageTail));
        });
        // The JSON that dump prints of such files, of about the same size.
        for (const auto& [shape, to] : {std::pair{shapes[0], json}, {shapes[1], listsJson}, {shapes[2], namesJson}}) {
            const std::string sample = path("sample.dat");
            Make([&, shape = shape] { shape(sample, 1u << 20); });
            Dump(sample, to);
            const double ratio = double(Size(to)) / double(Size(sample));
            Make([&, shape = shape] { shape(sample, std::size_t(double(bytes) / ratio)); });
            Dump(sample, to);
            fs::remove(sample);
        }
        for (const TCase& test : cases) {
            if (!only.empty() && std::find(only.begin(), only.end(), test.arguments[0]) == only.end())
                continue;
            if (!test.target.empty())
                fs::copy_file(test.target, out, fs::copy_options::overwrite_existing);
            std::uintmax_t input = 0;
            for (const std::string& file : test.inputs)
                input += Size(file);
            Print(test.label, mib, Measure(test.arguments, folder), input);
        }
    }
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    fs::remove_all(folder);
    return 0;
}
