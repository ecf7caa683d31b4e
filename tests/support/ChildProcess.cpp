#include "ChildProcess.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include "Utf16.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// A file for one stream of a child, removed with the object.
class TCaptureFile {
public:
    TCaptureFile()
    {
        static std::atomic<int> counter{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("child-output-" + std::to_string(CurrentId()) + "-" + std::to_string(counter++));
    }
    ~TCaptureFile()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }
    std::string Bytes() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    static long CurrentId()
    {
#ifdef _WIN32
        return long(GetCurrentProcessId());
#else
        return long(::getpid());
#endif
    }
    std::filesystem::path m_path;
};

#ifdef _WIN32

// One argument as the C runtime of the child splits the command line again.
std::wstring Quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

HANDLE Inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts the command line with the given standard handles; the process
// handle, or null.
HANDLE Start(std::wstring commandLine, HANDLE in, HANDLE out, HANDLE err)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

#endif

} // namespace

#ifdef _WIN32

TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::wstring commandLine = Quoted(Utf8ToWide(program));
    for (const std::string& argument : arguments)
        commandLine += L" " + Quoted(Utf8ToWide(argument));
    TCaptureFile outFile, errFile;
    const HANDLE in = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = Inheritable(outFile.Path(), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = Inheritable(errFile.Path(), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE process = Start(commandLine, in, out, err);
    for (const HANDLE handle : {in, out, err})
        CloseHandle(handle);
    TProgramRun run;
    if (!process)
        return run;
    DWORD exitCode = 0;
    WaitForSingleObject(process, INFINITE);
    if (GetExitCodeProcess(process, &exitCode))
        run.exitCode = int(exitCode);
    CloseHandle(process);
    run.out = outFile.Bytes();
    run.err = errFile.Bytes();
    return run;
}

TEndedProcess::TEndedProcess()
{
    wchar_t commandLine[] = L"cmd.exe /c exit";
    const HANDLE nul = Inheritable(L"NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    const HANDLE process = Start(commandLine, nul, nul, nul);
    CloseHandle(nul);
    if (!process)
        return;
    WaitForSingleObject(process, INFINITE);
    m_id = long(GetProcessId(process));
    // Held, so that the id stays taken.
    m_handle = process;
}

TEndedProcess::~TEndedProcess()
{
    if (m_handle)
        CloseHandle(static_cast<HANDLE>(m_handle));
}

#else

TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    TCaptureFile outFile, errFile;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, outFile.Path().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, errFile.Path().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    const int error = ::posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    TProgramRun run;
    if (error != 0)
        return run;
    int status = 0;
    ::waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = outFile.Bytes();
    run.err = errFile.Bytes();
    return run;
}

TEndedProcess::TEndedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    m_id = long(child);
}

TEndedProcess::~TEndedProcess() = default;

#endif
