// What only Windows has: sharing modes that decide who may open a file
// while another has it open, file attributes and access rules, devices and
// named pipes, limits of a job.

#include "AtomicFile.h"
#include "FileMessages.h"
#include "RouterTestUtil.h"
#include "UserFile.h"
#include "Utf16.h"

#include <windows.h>

#include <aclapi.h>

using namespace routertest;

namespace {

const std::string kOld = "\x03\x01\0\0 the old file, never to be lost";

// An open handle of "another program"; sharing rules do not ask which
// process a handle belongs to.
class TOtherProgram {
public:
    TOtherProgram(const std::string& path, DWORD access, DWORD share)
        : m_handle(CreateFileW(Utf8ToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0,
                               nullptr))
    {
    }
    ~TOtherProgram() { Close(); }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return m_handle; }
    void Close()
    {
        if (IsOpen())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// The system's own text for a Windows error, as the messages show it.
std::string SystemText(DWORD error)
{
    wchar_t text[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, 512, nullptr);
    std::wstring message = text;
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return MessageText(WideToUtf8(message));
}

TRouterList OneRouter()
{
    TRouterList list;
    list.Add("Neu", Entry("Neu"));
    return list;
}

class WindowsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string path = dir / "Routers.dat";
    MessageRecorder messages;
};


} // namespace

TEST_F(WindowsFileTest, SaveFailsWhileAnotherProgramHasTheFileOpen)
{
    const std::string refused =
        "Fehler beim Erstellen der Datei " + path + "! " + SystemText(ERROR_SHARING_VIOLATION);
    // Without write sharing, as the issue's other program; with it, as a
    // reader like Tarvelo's: the save needs the file for itself alone.
    for (const DWORD share : {DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
        SCOPED_TRACE(share);
        WriteBytes(path, kOld);
        messages.texts.clear();
        TOtherProgram other(path, GENERIC_READ, share);
        ASSERT_TRUE(other.IsOpen());
        TRouterList list = OneRouter();
        EXPECT_FALSE(SaveRouterList(list, path));
        EXPECT_EQ(messages.texts, std::vector<std::string>{ToCp1252Text(refused).Bytes()});
        EXPECT_EQ(messages.styles.back(), MsgBoxStyle(mkError, btnOK));
        other.Close();
        EXPECT_EQ(ReadBytes(path), kOld);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"}) << "temporary file left";
        EXPECT_TRUE(SaveRouterList(list, path)) << "once the other program lets go";
        EXPECT_EQ(ReadBytes(path), SerializeRouterList(list));
    }
}

TEST_F(WindowsFileTest, NoProgramOpensTheFileWhileASaveRuns)
{
    WriteBytes(path, kOld);
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace);
        if (inPlace)
            SetWriteFaultForTesting(TWriteStep::Create, EACCES);
        TAtomicFile file(path);
        ASSERT_TRUE(file.Open());
        EXPECT_EQ(file.WritesInPlace(), inPlace);
        ASSERT_TRUE(file.Write("new"));
        const TOtherProgram reader(path, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
        ASSERT_TRUE(file.Commit(false));
        EXPECT_EQ(ReadBytes(path), "new") << "open again once the save is done";
    }
}

TEST_F(WindowsFileTest, ReaderLetsOtherProgramsReadAndWrite)
{
    WriteBytes(path, "old");
    TFileInfo info;
    const TFileHandle reading = OpenUserFile(path, 1000, info);
    TOtherProgram writer(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.IsOpen());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writer.Handle(), "new", 3, &written, nullptr));
    writer.Close();
    char bytes[8] = {};
    std::size_t got = 0;
    ASSERT_EQ(ReadSome(reading, bytes, sizeof bytes, got), 0);
    EXPECT_EQ(std::string(bytes, got), "new");
    // Renamed or deleted meanwhile too, as another program's save does.
    EXPECT_TRUE(DeleteFileW(Utf8ToWide(path).c_str()));
}

TEST_F(WindowsFileTest, AttributesAndAccessRulesAreKept)
{
    WriteBytes(path, kOld);
    constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    SetFileAttributesW(Utf8ToWide(path).c_str(), kSet);
    ASSERT_EQ(GetFileAttributesW(Utf8ToWide(path).c_str()) & kSet, kSet);
    // A rule of the file's own: everyone may read it, and nothing else.
    EXPLICIT_ACCESSW everyone{};
    BuildExplicitAccessWithNameW(&everyone, const_cast<wchar_t*>(L"EVERYONE"), GENERIC_READ,
                                 GRANT_ACCESS, NO_INHERITANCE);
    PACL rules = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &everyone, nullptr, &rules), DWORD(ERROR_SUCCESS));
    SetNamedSecurityInfoW(Utf8ToWide(path).data(), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, rules, nullptr);
    LocalFree(rules);
    const auto ruleCount = [&] {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        PACL kept = nullptr;
        GetNamedSecurityInfoW(Utf8ToWide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &kept, nullptr, &descriptor);
        const int count = kept ? kept->AceCount : -1;
        LocalFree(descriptor);
        return count;
    };
    const bool rulesSet = ruleCount() == 1;

    ASSERT_TRUE(WriteFileCrashSafe(path, "new").Ok());
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(GetFileAttributesW(Utf8ToWide(path).c_str()) & kSet, kSet);
    if (!rulesSet)
        GTEST_SKIP() << "access rules of files are not kept here";
    EXPECT_EQ(ruleCount(), 1);
}

TEST_F(WindowsFileTest, DevicesFoldersAndPipesAreRefused)
{
    const std::string device = " kann nicht geöffnet werden. Sie ist ein Gerät, keine gewöhnliche Datei.";
    EXPECT_EQ(ErrorOf([] { ReadUserFile("NUL", 1000); }), "Datei \"NUL\"" + device);
    EXPECT_EQ(WriteFileCrashSafe("NUL", "x").failedStep, TWriteStep::Target);
    EXPECT_EQ(ErrorOf([&] { ReadUserFile(dir.Path(), 1000); }), "Datei \"" + dir.Path() +
                                                                    "\" kann nicht geöffnet werden. " +
                                                                    Reason(EISDIR));
    EXPECT_EQ(WriteFileCrashSafe(dir.Path(), "x").failedStep, TWriteStep::Target);

    // A named pipe is refused at once, not waited on.
    const std::string pipe = R"(\\.\pipe\routers-test-)" + std::to_string(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeW(Utf8ToWide(pipe).c_str(), PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf([&] { ReadUserFile(pipe, 1000); }),
              "Datei \"" + pipe +
                  "\" kann nicht geöffnet werden. Sie ist eine benannte Pipe (FIFO), keine "
                  "gewöhnliche Datei.");
    CloseHandle(server);
}

TEST_F(WindowsFileTest, MemoryLimitOfAJobLowersTheFileLimit)
{
    // The job this process runs in, with a limit that is lifted again.
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    ASSERT_TRUE(job);
    if (!AssignProcessToJobObject(job, GetCurrentProcess()))
        GTEST_SKIP() << "this process cannot join a job here";
    const std::uint64_t half = UsableMemory() / 2;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit{};
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limit.ProcessMemoryLimit = std::size_t(half);
    ASSERT_TRUE(
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit));
    const std::uint64_t usable = UsableMemory();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION set{};
    QueryInformationJobObject(job, JobObjectExtendedLimitInformation, &set, sizeof set, nullptr);
    limit.BasicLimitInformation.LimitFlags = 0;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
    CloseHandle(job);
    if (!(set.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_PROCESS_MEMORY))
        GTEST_SKIP() << "jobs keep no memory limits here";
    EXPECT_EQ(usable, half);
}

TEST_F(WindowsFileTest, PathsTakeBothSeparatorsDrivesAndLongNames)
{
    EXPECT_EQ(DirectoryOf(R"(C:\Routers.dat)"), R"(C:\)");
    EXPECT_EQ(DirectoryOf("C:Routers.dat"), "C:");
    EXPECT_EQ(DirectoryOf(R"(C:\Tarvelo/Routers.dat)"), R"(C:\Tarvelo)");
    EXPECT_EQ(DirectoryOf(R"(\\server\share\Routers.dat)"), R"(\\server\share)");
    EXPECT_EQ(DirectoryOf("Routers.dat"), ".");
    EXPECT_EQ(FileNameOf(R"(C:\Tarvelo/Routers.dat)"), "Routers.dat");
    EXPECT_EQ(FileNameOf("C:Routers.dat"), "Routers.dat");
    EXPECT_EQ(JoinPath("C:", "Routers.dat"), "C:Routers.dat");
    EXPECT_EQ(JoinPath(R"(C:\)", "Routers.dat"), R"(C:\Routers.dat)");
    EXPECT_EQ(JoinPath(R"(C:\Tarvelo)", "Routers.dat"), R"(C:\Tarvelo\Routers.dat)");

    // Folders deeper than the old limit of 260 characters, made and used.
    std::string deep = dir.Path();
    while (deep.size() < 400)
        deep += "\\Ordner \xC3\xA4 " + std::to_string(deep.size());
    ASSERT_EQ(CreateDirectories(deep), 0);
    const std::string file = JoinPath(deep, "Routers.dat");
    ASSERT_TRUE(WriteFileCrashSafe(file, kOld).Ok());
    ASSERT_TRUE(WriteFileCrashSafe(file, "new", true).Ok());
    EXPECT_EQ(ReadUserFile(file, 1000), "new");
    EXPECT_EQ(ReadUserFile(file + ".bak", 1000), kOld);
}
