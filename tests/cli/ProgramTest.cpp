// routersdat started as a program, as a user's shell starts it, on every
// system the tests run on (on Windows under wine): file names beyond
// Windows-1252 in its arguments, output byte for byte, messages in UTF-8.

#include "ChildProcess.h"
#include "Cp1252.h"
#include "FileMessages.h"
#include "RouterJson.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "Utf16.h"

#include <windows.h>
#endif

using namespace routertest;

namespace {

TProgramRun Routersdat(const std::vector<std::string>& arguments)
{
    return RunProgram(ROUTERSDAT, arguments);
}

std::unique_ptr<TRouterEntry> Router(const std::string& name)
{
    auto entry = Entry(name);
    entry->OfflineCode = "getrennt";
    entry->BeforeIPAddress = "WAN-IP:</td><td>";
    entry->AfterIPAddress = "</td>";
    return entry;
}

// A definitions file and a page in a folder named with an umlaut, a Greek
// letter and a character beyond 16 bits in UTF-16.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRouterList list;
        list.Add("zeta", Router("zeta"));
        list.Add("\xC4rger-Router", Router("\xC4rger-Router"));
        list.Add("alpha", Router("alpha"));
        bytes = SerializeRouterList(list);
        WriteBytes(file, bytes);
        WriteBytes(page, "<tr><td>WAN-IP:</td><td>84.1.2.3</td>");
    }

    TempDir dir{"Routers \xC3\x84 \xCE\xA9 \xF0\x9F\x90\xA7 "};
    const std::string file = dir / "Routers \xC3\x9C.dat";
    const std::string page = dir / "Status \xCE\xA9.htm";
    std::string bytes;
};

} // namespace

TEST_F(ProgramTest, HelpAndUsageEndLinesWithLineFeedsAlone)
{
    const TProgramRun help = Routersdat({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: routersdat COMMAND", 0), 0u) << help.out;
    EXPECT_EQ(help.out.find('\r'), std::string::npos);
    const TProgramRun usage = Routersdat({});
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_EQ(usage.err.rfind("Usage: routersdat COMMAND", 0), 0u) << usage.err;
    EXPECT_EQ(usage.err.find('\r'), std::string::npos);
}

TEST_F(ProgramTest, DumpConvertAndNamesReachFilesNamedBeyondTheCodePage)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    const TLoadResult loaded = LoadRouterList(file, list, TMissingFile::Fail);

    const TProgramRun dump = Routersdat({"dump", file});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(dump.out, DumpDocument(loaded, list));
    EXPECT_EQ(dump.err, "");

    const std::string converted = dir / "Neu \xC3\x9F \xE2\x82\xAC.dat";
    const TProgramRun convert = Routersdat({"convert", file, converted});
    ASSERT_EQ(convert.exitCode, 0) << convert.err;
    EXPECT_EQ(ReadBytes(converted), bytes);
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"Neu \xC3\x9F \xE2\x82\xAC.dat", "Routers \xC3\x9C.dat",
                                        "Status \xCE\xA9.htm"}));

    // CR LF lines of Windows-1252 names, as the editor exports them.
    const TProgramRun names = Routersdat({"names", file});
    ASSERT_EQ(names.exitCode, 0) << names.err;
    EXPECT_EQ(names.out, "alpha\r\n\xC4rger-Router\r\nzeta\r\n");
}

TEST_F(ProgramTest, TestReadsAPageNamedBeyondTheCodePage)
{
    const TProgramRun one = Routersdat({"test", file, page, "--router", "\xC3\x84rger-router"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(one.out.find("ONLINE"), std::string::npos) << one.out;
    EXPECT_NE(one.out.find("84.1.2.3"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("\r\n"), std::string::npos);

    const TProgramRun all = Routersdat({"test", file, page});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out, "alpha\t84.1.2.3\n\xC3\x84rger-Router\t84.1.2.3\nzeta\t84.1.2.3\n");
}

TEST_F(ProgramTest, MessagesAreUtf8AndNameThePath)
{
    const std::string missing = dir / "fehlt \xC3\xA4.dat";
    const TProgramRun run = Routersdat({"dump", missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // The path as the German messages hold it: what Windows-1252 lacks is "?".
    const std::string shown = MessageText(missing);
    EXPECT_NE(shown.find("Routers \xC3\x84 ? ? "), std::string::npos);
    EXPECT_EQ(run.err.rfind("routersdat: Datei \"" + shown +
                                "\" kann nicht ge\xC3\xB6"
                                "ffnet werden. ",
                            0),
              0u)
        << run.err;
    EXPECT_TRUE(run.err.ends_with("\n") && !run.err.ends_with("\r\n")) << run.err;
}

#ifdef _WIN32
TEST_F(ProgramTest, ConvertFailsOntoAFileAnotherProgramHasOpen)
{
    const std::string target = dir / "Ziel.dat";
    WriteBytes(target, "old");
    const HANDLE other = CreateFileW(Utf8ToWide(target).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const TProgramRun run = Routersdat({"convert", file, target});
    CloseHandle(other);
    EXPECT_EQ(run.exitCode, 1);
    // The folder's name has characters that messages show as "?".
    EXPECT_EQ(run.err.rfind("routersdat: Datei \"", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("Ziel.dat\" kann nicht erstellt werden. "), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(Routersdat({"convert", file, target}).exitCode, 0);
    EXPECT_EQ(ReadBytes(target), bytes);
}
#endif
