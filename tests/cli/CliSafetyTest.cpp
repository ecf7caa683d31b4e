// routersdat against damaged inputs, inputs that are no files, outputs it
// must not replace, a full disk, paths that are no UTF-8, and locales.
// The tool runs with the raw argument bytes and limits set here.

#include "KilledSave.h"
#include "RouterFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

namespace {

struct TRun {
    int status = -1; // the exit status, or -1 when the tool died of a signal
    std::string out, err;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class CliSafetyTest : public ::testing::Test {
protected:
    CliSafetyTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "routersdat-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
    }
    ~CliSafetyTest() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Runs the tool with these argument bytes; `prepare` runs in the child
    // before the tool starts (limits, environment). A tool that blocks is
    // ended after 20 seconds.
    TRun Run(const std::vector<std::string>& arguments, const std::function<void()>& prepare = {}) const
    {
        const std::string out = Path(".out"), err = Path(".err");
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            if (prepare)
                prepare();
            ::alarm(20);
            std::vector<char*> argv{const_cast<char*>(ROUTERSDAT)};
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(ROUTERSDAT, argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }

    // A definitions file of two routers, and the same cut inside the second.
    std::string Whole() const
    {
        TRouterList list;
        for (const char* name : {"Beta", "Alpha"}) {
            auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
            entry->RouterVendor = name;
            entry->Comments = "Kommentar";
            list.Add(name, std::move(entry));
        }
        return SerializeRouterList(list);
    }
    std::string Damaged() const { return Whole().substr(0, Whole().size() - 5); }
    // Enough routers for outputs of some 30 KB.
    std::string Many() const
    {
        TRouterList list;
        for (int i = 0; i < 2000; ++i) {
            auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
            const std::string name = "Router " + std::to_string(i);
            entry->RouterVendor = name;
            list.Add(name, std::move(entry));
        }
        return SerializeRouterList(list);
    }

    std::string m_dir;
};

} // namespace

TEST_F(CliSafetyTest, DamagedInputGivesItsOwnExitStatus)
{
    WriteFile(Path("cut.dat"), Damaged());
    WriteFile(Path("page.htm"), "<html></html>");
    const TRun dump = Run({"dump", Path("cut.dat")});
    EXPECT_EQ(dump.status, 2);
    EXPECT_NE(dump.out.find("\"damaged\""), std::string::npos);
    const TRun names = Run({"names", Path("cut.dat")});
    EXPECT_EQ(names.status, 2);
    EXPECT_EQ(names.out, "Alpha\r\nBeta\r\n");
    EXPECT_EQ(Run({"test", Path("cut.dat"), Path("page.htm")}).status, 2);

    // convert writes nothing unless told to.
    const TRun refused = Run({"convert", Path("cut.dat"), Path("out.dat")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("out.dat")));
    EXPECT_EQ(Run({"convert", "--force", Path("cut.dat"), Path("out.dat")}).status, 2);
    TRouterList written;
    EXPECT_TRUE(ParseRouterFile(ReadFile(Path("out.dat")), written).complete);
    EXPECT_EQ(written.Count(), 2);

    // A whole file still gives 0.
    WriteFile(Path("whole.dat"), Whole());
    EXPECT_EQ(Run({"convert", Path("whole.dat"), Path("out.dat")}).status, 0);
    EXPECT_EQ(Run({"names", Path("whole.dat")}).status, 0);

    const TRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status:\n  0  success"), std::string::npos) << help.out;
    EXPECT_NE(Run({"convert", "--help"}).out.find("  2  a definitions file read is damaged"), std::string::npos);
}

TEST_F(CliSafetyTest, InputsThatAreNoFilesAreRefusedAtOnce)
{
    WriteFile(Path("whole.dat"), Whole());
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"dump", Path("fifo")}, {"names", Path("fifo")},
          {"convert", Path("fifo"), Path("out.dat")}, {"test", Path("fifo"), Path("whole.dat")},
          {"test", Path("whole.dat"), Path("fifo")}, {"test", Path("whole.dat"), "/dev/zero"},
          {"dump", "/dev/urandom"}}) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0] << " " << arguments[1];
        EXPECT_NE(run.err.find("keine gew\xC3\xB6hnliche Datei"), std::string::npos) << run.err;
    }
}

TEST_F(CliSafetyTest, OutputsThatMustNotBeReplacedAreRefused)
{
    WriteFile(Path("whole.dat"), Whole());
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(Path("no-folder/out.dat").c_str(), Path("dangling").c_str()), 0);
    WriteFile(Path("readonly.dat"), "keep me");
    ::chmod(Path("readonly.dat").c_str(), 0444);
    for (const std::string& target : {Path("fifo"), Path("dangling"), Path("readonly.dat")}) {
        const TRun convert = Run({"convert", Path("whole.dat"), target});
        EXPECT_EQ(convert.status, 1) << target;
        EXPECT_EQ(convert.err.rfind("routersdat: Datei \"" + target + "\" kann nicht erstellt werden. ", 0), 0u)
            << convert.err;
        EXPECT_EQ(Run({"names", Path("whole.dat"), "-o", target}).status, 1) << target;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(Path("fifo")));
    EXPECT_TRUE(std::filesystem::is_symlink(Path("dangling")));
    EXPECT_EQ(ReadFile(Path("readonly.dat")), "keep me");
}

TEST_F(CliSafetyTest, InterruptedSaveIsNamedAndNotBuiltUpon)
{
    WriteFile(Path("whole.dat"), Whole());
    WriteFile(Path("shared.dat"), Whole());
    std::filesystem::create_hard_link(Path("shared.dat"), Path("link.dat"));
    ASSERT_TRUE(KillSaveInPlaceMidway(Path("shared.dat"), Many()));
    const std::string halfWritten = ReadFile(Path("shared.dat"));
    std::string copy;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
        if (entry.path().filename().string().rfind("shared.dat.bak-", 0) == 0)
            copy = entry.path().string();
    }
    ASSERT_FALSE(copy.empty());
    const TRun dump = Run({"dump", Path("shared.dat")});
    EXPECT_EQ(dump.status, 2);
    EXPECT_NE(dump.err.find("\"" + copy + "\""), std::string::npos) << dump.err;
    const TRun merge = Run({"merge", Path("shared.dat"), Path("whole.dat"), "--all"});
    EXPECT_EQ(merge.status, 2);
    EXPECT_NE(merge.err.find("\"" + copy + "\""), std::string::npos) << merge.err;
    EXPECT_TRUE(ReadFile(Path("shared.dat")) == halfWritten);
}

TEST_F(CliSafetyTest, FullDiskKeepsTheOldOutput)
{
    WriteFile(Path("whole.dat"), Many());
    WriteFile(Path("names.txt"), "old names");
    WriteFile(Path("out.dat"), "old file");
    // The file size limit stands in for a full disk; the messages still fit.
    // The signal that the limit raises keeps its default action, which ends
    // a process that does not ignore it, as in a shell after "ulimit -f".
    const auto fullDisk = [] {
        ::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const TRun names = Run({"names", Path("whole.dat"), "-o", Path("names.txt")}, fullDisk);
    EXPECT_EQ(names.status, 1);
    EXPECT_NE(names.err.find("Die Datei ist zu gro\xC3\x9F"), std::string::npos) << names.err;
    EXPECT_EQ(ReadFile(Path("names.txt")), "old names");
    const TRun convert = Run({"convert", Path("whole.dat"), Path("out.dat")}, fullDisk);
    EXPECT_EQ(convert.status, 1);
    EXPECT_NE(convert.err.find("unver\xC3\xA4ndert"), std::string::npos) << convert.err;
    EXPECT_EQ(ReadFile(Path("out.dat")), "old file");
    const TRun fresh = Run({"convert", Path("whole.dat"), Path("new.dat")}, fullDisk);
    EXPECT_EQ(fresh.status, 1);
    EXPECT_NE(fresh.err.find("Es wurde keine Datei angelegt."), std::string::npos) << fresh.err;
    EXPECT_FALSE(std::filesystem::exists(Path("new.dat")));
    const TRun merge = Run({"merge", Path("out.dat"), Path("whole.dat"), "--all"}, fullDisk);
    EXPECT_EQ(merge.status, 1);
    EXPECT_NE(merge.err.find("unver\xC3\xA4ndert"), std::string::npos) << merge.err;
    EXPECT_EQ(ReadFile(Path("out.dat")), "old file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 5) << "temporary file left";
}

TEST_F(CliSafetyTest, PathsThatAreNoUtf8AreTakenAsGiven)
{
    // A Windows-1252 é in the name.
    WriteFile(Path("caf\xE9.dat"), Whole());
    EXPECT_EQ(Run({"names", Path("caf\xE9.dat"), "-o", Path("gel\xF6scht.txt")}).status, 0);
    EXPECT_EQ(ReadFile(Path("gel\xF6scht.txt")), "Alpha\r\nBeta\r\n");
    const TRun missing = Run({"dump", Path("fehlt-\xE9.dat")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("fehlt-\xC3\xA9.dat"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.err.find('?'), std::string::npos) << missing.err;
}

TEST_F(CliSafetyTest, NamesSortAlikeWhereNoLanguageIsSet)
{
    TRouterList list;
    for (const char* name : {"Zeta", "\xC4rger", "apfel", "Bach"}) {
        auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
        entry->RouterVendor = name;
        list.Add(name, std::move(entry));
    }
    WriteFile(Path("in.dat"), SerializeRouterList(list));
    const std::string expected = "apfel\r\n\xC4rger\r\nBach\r\nZeta\r\n";
    for (const char* locale : {"C", "C.UTF-8", "POSIX", "de_DE.UTF-8", ""}) {
        const TRun run = Run({"names", Path("in.dat")}, [locale] {
            ::unsetenv("LC_ALL");
            ::unsetenv("LC_COLLATE");
            ::setenv("LANG", locale, 1);
        });
        EXPECT_EQ(run.out, expected) << "LANG=" << locale;
    }
}

TEST_F(CliSafetyTest, NamesAndValuesInWindows1252AreTakenAsGiven)
{
    TRouterList list;
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = "G\xE4ste";
    list.Add("G\xE4ste", std::move(entry));
    WriteFile(Path("in.dat"), SerializeRouterList(list));
    WriteFile(Path("page.htm"), "<td>Gr\xF6\xDF" "e</td>");

    // As a terminal in Windows-1252 (or Latin-1) sends them: no UTF-8.
    EXPECT_EQ(Run({"test", Path("in.dat"), Path("page.htm"), "--router", "g\xE4ste"}).status, 0);
    EXPECT_EQ(Run({"merge", Path("out.dat"), Path("in.dat"), "--router", "G\xC4STE"}).status, 0);
    EXPECT_EQ(ReadFile(Path("out.dat")).find("G\xE4ste"), 21u); // the first record's name
    const TRun suggest = Run({"suggest", Path("page.htm"), "--value", "Gr\xF6\xDF" "e", "--for", "property"});
    EXPECT_EQ(suggest.status, 0) << suggest.err;
    EXPECT_EQ(suggest.out, "code: <td>\n");

    const TRun missing = Run({"merge", Path("out.dat"), Path("in.dat"), "--router", "nicht\xE4"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("\"nicht\xC3\xA4\""), std::string::npos) << missing.err;
    // UTF-8 for a character that the file cannot hold.
    const std::string check = "G\xE2\x9C\x93";
    for (const TRun& run : {Run({"merge", Path("out.dat"), Path("in.dat"), "--router", check}),
                            Run({"test", Path("in.dat"), Path("page.htm"), "--router", check})}) {
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("in Windows-1252 nicht gibt"), std::string::npos) << run.err;
    }
}

TEST_F(CliSafetyTest, SuggestRefusesPagesThatTogetherExceedTheMemory)
{
    // Under 64 MiB of data, a page may have 16 MiB; two of 10 MiB may not.
    const std::string page = std::string(10 << 20, 'x') + "<td>IP:</td><td>84.1.2.3</td>";
    WriteFile(Path("a.htm"), page);
    WriteFile(Path("b.htm"), page);
    const TRun run = Run({"suggest", Path("a.htm"), "--value", "84.1.2.3", "--also", Path("b.htm"), "--value2",
                          "84.1.2.3"},
                         [] {
                             const rlimit limit{std::uint64_t(64) << 20, RLIM_INFINITY};
                             ::setrlimit(RLIMIT_DATA, &limit);
                         });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Alle Seiten zusammen"), std::string::npos) << run.err;
}

namespace {

// A memory control group of its own for the tool, with a limit, where this
// machine lets a test make one (as root, or in a delegated hierarchy).
class TMemoryGroup {
public:
    explicit TMemoryGroup(std::uint64_t limit)
    {
        const std::string cgroups = ReadFile("/proc/self/cgroup");
        const std::string name = "/routersdat-test-" + std::to_string(::getpid());
        for (const auto& [controller, root, limitFile] :
             {std::tuple{"0::", "/sys/fs/cgroup", "memory.max"},
              std::tuple{"memory:", "/sys/fs/cgroup/memory", "memory.limit_in_bytes"}}) {
            const std::size_t at = cgroups.find(controller);
            if (at == std::string::npos)
                continue;
            const std::size_t start = at + std::strlen(controller);
            std::string dir = root + cgroups.substr(start, cgroups.find('\n', start) - start);
            dir = (dir.back() == '/' ? dir.substr(0, dir.size() - 1) : dir) + name;
            if (::mkdir(dir.c_str(), 0755) != 0)
                continue;
            // Where no such hierarchy is mounted, the folder is a plain one.
            if (!std::filesystem::exists(dir + "/cgroup.procs")) {
                ::rmdir(dir.c_str());
                continue;
            }
            std::ofstream(dir + "/" + limitFile) << limit;
            if (std::to_string(limit) + "\n" == ReadFile(dir + "/" + limitFile)) {
                m_dir = dir;
                return;
            }
            ::rmdir(dir.c_str());
        }
    }
    ~TMemoryGroup()
    {
        if (!m_dir.empty())
            ::rmdir(m_dir.c_str());
    }

    bool Made() const { return !m_dir.empty(); }
    // Moves the calling process into the group.
    void Enter() const { std::ofstream(m_dir + "/cgroup.procs") << ::getpid() << std::flush; }

private:
    std::string m_dir;
};

} // namespace

TEST_F(CliSafetyTest, GroupMemoryLimitGivesAMessageNeverAKill)
{
    const TMemoryGroup group(std::uint64_t(64) << 20);
    if (!group.Made())
        GTEST_SKIP() << "no memory control group can be made here";
    // 16 MB of minimal records, and one router of 16 MB of short property
    // lines, each many times their size in memory without care.
    TRouterList one(TRouterList::TOrder::Unsorted);
    one.Add("", std::make_unique<TRouterEntry>());
    const std::string record = SerializeRouterList(one).substr(4);
    std::string records = SerializeRouterList(one).substr(0, 4);
    while (records.size() < (16u << 20))
        records += record;
    WriteFile(Path("big.dat"), records);
    WriteFile(Path("one.dat"), SerializeRouterList(one));
    std::string json = Run({"dump", Path("one.dat")}).out;
    std::string lines = "\"a=1\"";
    while (lines.size() < (16u << 20))
        lines += ",\"a=1\"";
    json.replace(json.find("\"Status2Values\": []"), 19, "\"Status2Values\": [" + lines + "]");
    WriteFile(Path("big.json"), json);

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"dump", Path("big.dat")}, {"pack", Path("big.json"), Path("out.dat")}}) {
        const TRun run = Run(arguments, [&] { group.Enter(); });
        EXPECT_EQ(run.status, 1) << arguments[0] << " ended by a signal or succeeded";
        EXPECT_EQ(run.err.rfind("routersdat: ", 0), 0u) << run.err;
    }
}

TEST_F(CliSafetyTest, ControlCharactersFromInputAreEscapedInMessages)
{
    // Would set the terminal's title, clear it, and start a line of its own.
    const std::string evil = "\x1b]0;PWNED\x07\x1b[2J\n";
    const std::string shown = "\\x1b]0;PWNED\\x07\\x1b[2J\\x0a";
    WriteFile(Path("field.json"), "{\"routers\": [{\"\\u001b]0;PWNED\\u0007\\u001b[2J\\n\": 1}]}");
    WriteFile(Path("cut" + evil + ".dat"), Damaged());
    WriteFile(Path("whole.dat"), Whole());
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"pack", Path("field.json"), Path("out.dat")},
          {"dump", Path("cut" + evil + ".dat")},
          {"merge", Path("out.dat"), Path("whole.dat"), "--router", evil},
          {"test", Path("whole.dat"), Path("whole.dat"), "--router", evil},
          {evil}}) {
        const TRun run = Run(arguments);
        EXPECT_NE(run.err.find(shown), std::string::npos) << arguments[0] << ": " << run.err;
        for (const char c : run.err)
            ASSERT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)) << run.err;
    }
}

TEST_F(CliSafetyTest, ControlCharactersFromFilesReachNoOutputRaw)
{
    // A title set in the C0 and in the C1 way (0x9D is OSC, and U+009D in
    // UTF-8 too), and a line of its own.
    const std::string evil = "\x1b]0;T\x07\x9d" "0;T\x9c\nroutersdat: FAKE";
    TRouterList list;
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = "R" + evil;
    entry->Status2Values.Add("P" + evil + "=<td>");
    const std::string name = entry->RouterVendor;
    list.Add(name, std::move(entry));
    WriteFile(Path("evil.dat"), SerializeRouterList(list));
    WriteFile(Path("whole.dat"), Whole());
    WriteFile(Path("page.htm"), "<td>" + evil + "</td>");
    // names writes the export's bytes, but to a terminal it shows them.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    const std::string terminalName = ::ptsname(terminal);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"dump", Path("evil.dat")},
          {"diff", Path("evil.dat"), Path("whole.dat")},
          {"test", Path("evil.dat"), Path("page.htm"), "--router", "R" + evil, "--status", "2", "--explain"},
          {"probe", Path("whole.dat"), "--router", evil, "--address", "localhost"},
          {"probe", Path("whole.dat"), "--router", "Alpha", "--address", evil},
          {"names", Path("evil.dat")}}) {
        TRun run = Run(arguments, [&] {
            if (arguments[0] == "names")
                ::dup2(::open(terminalName.c_str(), O_WRONLY), 1);
        });
        if (arguments[0] == "names") {
            run.out.assign(4096, '\0');
            run.out.resize(std::size_t(std::max<ssize_t>(0, ::read(terminal, run.out.data(), run.out.size()))));
            EXPECT_NE(run.out.find("R\\x1b]0;T\\x07\\x9d0;T\xC5\x93\\x0aroutersdat: FAKE"), std::string::npos)
                << run.out;
        }
        for (const std::string& output : {run.out, run.err}) {
            EXPECT_EQ(output.find("\nroutersdat: FAKE"), std::string::npos) << arguments[0] << ": " << output;
            EXPECT_EQ(output.find("\xC2\x9D"), std::string::npos) << arguments[0] << ": " << output;
            for (const char c : output)
                ASSERT_TRUE(c == '\n' || c == '\r' || c == '\t' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F))
                    << arguments[0] << ": " << output;
        }
    }
    ::close(terminal);
}
