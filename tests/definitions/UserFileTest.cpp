// Reading the files a user names: only regular files, within a size limit,
// with a German message for everything else; never blocking, never reading
// endlessly.

#include "RouterTestUtil.h"
#include "UserFile.h"

#ifndef _WIN32
#include "CgroupMemory.h"
#endif

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace routertest;

namespace {

class UserFileTest : public ::testing::Test {
protected:
    TempDir dir;
};

} // namespace

TEST_F(UserFileTest, FilesOverTheLimitAreRefusedBeforeReading)
{
    const std::string page = dir / "page.htm";
    WriteBytes(page, std::string(1000, 'p'));
    EXPECT_EQ(ReadUserFile(page, 1000), std::string(1000, 'p'));
    EXPECT_EQ(ErrorOf([&] { ReadUserFile(page, 999); }),
              "Datei \"" + page + "\" ist zu groß (1.000 Bytes). Gelesen werden können höchstens 999 "
              "Bytes.");

    // A definitions file of a terabyte (sparse, so it costs no disk) is
    // refused at once instead of running out of memory.
    const std::string huge = dir / "Routers.dat";
    WriteBytes(huge, "");
    std::error_code noSparseFiles;
    std::filesystem::resize_file(FsPath(huge), std::uintmax_t(1) << 40, noSparseFiles);
    if (noSparseFiles)
        GTEST_SKIP() << "no sparse file of a terabyte here";
    TRouterList list;
    const std::string message = ErrorOf([&] { LoadRouterList(huge, list); });
    EXPECT_EQ(message.rfind("Datei \"" + huge + "\" ist zu groß (1.099.511.627.776 Bytes).", 0), 0u) << message;
    EXPECT_TRUE(list.Empty());
}

TEST_F(UserFileTest, CutTextsKeepTheOriginalAtTheFirstSave)
{
    // A pair whose name holds "=" joins into a value too long for the file.
    std::string bytes = std::string("\x03\x01\0\0", 4) + std::string(4 + 1 + 2 + 8, '\0') +
                        std::string("\x04\0long", 6) + std::string(2 * 9, '\0') + std::string("\x01\0\0\0", 4);
    const std::string name = "a=" + std::string(65000, 'x');
    const std::string value(1000, 'y');
    for (const std::string* text : {&name, &value})
        bytes += std::string{char(text->size() & 0xFF), char(text->size() >> 8)} + *text;
    bytes += std::string(2 * 5 + 1 + 2 + 2, '\0') + std::string(4, '\0') + std::string(2, '\0') +
             std::string(4, '\0');
    const std::string path = dir / "Routers.dat";
    WriteBytes(path, bytes);

    TRoutersFile file(path);
    TRouterList list;
    const TLoadResult result = file.Load(list);
    ASSERT_EQ(result.cutTexts.size(), 1u);
    EXPECT_TRUE(file.KeepsOriginalOnSave());
    const std::string message = CutTextsMessage(path, result.cutTexts);
    EXPECT_NE(message.find("Eigenschaft \"a\" der Statusabfrage 2 des Routers \"long\" (66.001 Bytes)"),
              std::string::npos)
        << message;

    MessageRecorder messages;
    ASSERT_TRUE(file.Save(list)) << "a record nobody changed never fails the save";
    EXPECT_EQ(ReadBytes(path + ".bak"), bytes);
    EXPECT_TRUE(messages.texts.empty());
}

// ------------------------------------------------------------------------
// What only POSIX systems have: FIFOs, /dev and /proc, limits of a process.
#ifndef _WIN32

TEST_F(UserFileTest, OnlyRegularFilesAreRead)
{
    const std::string fifo = dir / "Routers.dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string fifoReason = " kann nicht geöffnet werden. Sie ist eine benannte Pipe (FIFO), keine "
                                   "gewöhnliche Datei.";
    TRouterList list;
    // Without a writer a FIFO would block the open; with one, the reads.
    EXPECT_EQ(ErrorOf([&] { LoadRouterList(fifo, list); }), "Datei \"" + fifo + "\"" + fifoReason);
    EXPECT_EQ(ErrorOf([&] { ReadUserFile(fifo, 1000, TFileNaming::FullPath); }),
              "Datei " + fifo + fifoReason);

    EXPECT_EQ(ErrorOf([&] { ReadUserFile("/dev/zero", 1u << 30); }),
              "Datei \"/dev/zero\" kann nicht geöffnet werden. Sie ist ein Gerät, keine gewöhnliche "
              "Datei.");
    EXPECT_EQ(ErrorOf([&] { ReadUserFile(dir.Path(), 1000); }), "Datei \"" + dir.Path() +
                                                                    "\" kann nicht geöffnet werden. Ist ein Verzeichnis.");
}

TEST_F(UserFileTest, MemoryLimitOfTheProcessLowersTheFileLimit)
{
    const pid_t child = ::fork();
    if (child == 0) {
        // Once before the limit, which finds the process's control groups:
        // under AddressSanitizer, whose reserved shadow already exceeds any
        // such limit, nothing more could be allocated.
        UsableMemory();
        const rlimit limit{std::uint64_t(64) << 20, RLIM_INFINITY};
        ::setrlimit(RLIMIT_DATA, &limit);
        ::_exit(UsableMemory() == (std::uint64_t(64) << 20) &&
                        MaxDefinitionsFileSize() < (std::uint64_t(4) << 20)
                    ? 0
                    : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The groups are found as a container shows them: the process's group path
// in /proc/self/cgroup, and each hierarchy mounted from some group down.
TEST_F(UserFileTest, MemoryLeftByTheProcessGroupsIsTheLeastUpTheHierarchy)
{
    const auto group = [&](const std::string& path, std::vector<std::pair<std::string, std::string>> files) {
        std::filesystem::create_directories(path);
        for (const auto& [name, text] : files)
            WriteBytes(path + "/" + name, text);
    };
    constexpr std::uint64_t kMiB = 1 << 20;
    // Version 2, mounted from its top: the process's own group has no limit,
    // its parent 1 GiB of which 300 MiB are used, 100 MiB of them cache.
    group(dir / "v2/a", {{"memory.max", "1073741824\n"}, {"memory.current", "314572800\n"},
                        {"memory.stat", "anon 1\nfile 104857600\n"}});
    group(dir / "v2/a/b", {{"memory.max", "max\n"}, {"memory.current", "52428800\n"}});
    // Version 1, mounted from the group /box down, as in a container.
    group(dir / "v1/svc", {{"memory.limit_in_bytes", std::to_string(600 * kMiB)},
                          {"memory.usage_in_bytes", std::to_string(200 * kMiB)},
                          {"memory.stat", "cache 1\ntotal_cache " + std::to_string(50 * kMiB)}});
    group(dir / "v1", {{"memory.limit_in_bytes", "9223372036854771712"}, {"memory.usage_in_bytes", "1"}});
    const auto mountinfo = [&](const std::string& v1Root) {
        return "30 1 0:26 / " + dir / "v2" + " rw - cgroup2 cgroup2 rw\n" + "31 1 0:27 " + v1Root + " " +
               dir / "v1" + " rw - cgroup cgroup rw,memory\n" + "32 1 0:28 / /x rw - cgroup cgroup rw,cpu\n";
    };
    group(dir / "proc", {{"cgroup", "5:cpu:/other\n4:memory:/box/svc\n0::/a/b\n"},
                        {"mountinfo", mountinfo("/box")}});
    EXPECT_EQ(MemoryLeftBy(MemoryGroups(dir / "proc")), 450 * kMiB); // v1's 600 - (200 - 50)
    // A mount that does not show the group counts for nothing.
    WriteBytes(dir / "proc/mountinfo", mountinfo("/elsewhere"));
    EXPECT_EQ(MemoryLeftBy(MemoryGroups(dir / "proc")), 824 * kMiB); // v2's 1024 - (300 - 100)
    WriteBytes(dir / "v2/a/memory.max", "max\n");
    EXPECT_EQ(MemoryLeftBy(MemoryGroups(dir / "proc")), std::nullopt);
}

TEST_F(UserFileTest, FileReadEvenWhenItsSizeSaysNothing)
{
    // Files whose size the system gives as 0 are read to their end.
    const std::string version = ReadUserFile("/proc/self/status", 1u << 20);
    EXPECT_NE(version.find("Pid:"), std::string::npos);
    EXPECT_EQ(ErrorOf([] {
                  ReadUserFile("/proc/self/status", 10);
              }).rfind("Datei \"/proc/self/status\" ist zu groß", 0),
              0u);
}

#endif
