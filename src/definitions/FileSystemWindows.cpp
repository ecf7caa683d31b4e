#include "FileSystem.h"

#include "Utf16.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <windows.h>

#include <aclapi.h>

namespace {

// Windows errors that the code above does not tell apart keep their own
// number, lifted above every errno value.
constexpr int kSystemErrorBase = 1 << 16;

int ErrorFrom(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_LOCK_VIOLATION:
        return EWOULDBLOCK;
    default:
        return kSystemErrorBase + static_cast<int>(code);
    }
}

// The Windows error whose text stands for an errno value; 0 for none.
DWORD SystemErrorOf(int error)
{
    if (error >= kSystemErrorBase)
        return static_cast<DWORD>(error - kSystemErrorBase);
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case ENOSPC:
        return ERROR_DISK_FULL;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EWOULDBLOCK:
        return ERROR_LOCK_VIOLATION;
    case EIO:
        return ERROR_IO_DEVICE;
    case EBUSY:
        return ERROR_BUSY;
    case EFBIG:
        return ERROR_FILE_TOO_LARGE;
    default:
        return 0;
    }
}

int LastError()
{
    return ErrorFrom(GetLastError());
}

int Result(BOOL ok)
{
    return ok ? 0 : LastError();
}

HANDLE Handle(const TFileHandle& file)
{
    return reinterpret_cast<HANDLE>(file.Native());
}

int Opened(HANDLE handle, TFileHandle& file)
{
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    file = TFileHandle(reinterpret_cast<std::intptr_t>(handle));
    return 0;
}

// Windows takes both separators.
std::size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// "", ".", "\", "C:" or "C:\": nothing to create.
bool IsRoot(const std::string& directory)
{
    const bool drive = directory.size() >= 2 && directory[1] == ':';
    return directory.empty() || directory == "." ||
           (directory.size() == 1 && IsSeparator(directory[0])) ||
           (drive &&
            (directory.size() == 2 || (directory.size() == 3 && IsSeparator(directory[2]))));
}

// The path for the system's wide functions. A long one gets the prefix that
// lifts the old limit of 260 characters; as that prefix also turns off the
// system's clean-up of "/" and "..", the path is made absolute first.
std::wstring SystemPath(const std::string& path)
{
    std::wstring wide = Utf8ToWide(path);
    if (wide.size() < MAX_PATH - 12 || wide.starts_with(LR"(\\?\)") || wide.starts_with(LR"(\\.\)"))
        return wide;
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return wide;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    if (full.starts_with(LR"(\\)"))
        return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
}

// The path as the system gives it back, without the prefix of long paths.
std::string PathFromSystem(std::wstring path)
{
    if (path.starts_with(LR"(\\?\UNC\)"))
        path = LR"(\\)" + path.substr(8);
    else if (path.starts_with(LR"(\\?\)"))
        path = path.substr(4);
    return WideToUtf8(path);
}

HANDLE OpenExisting(const std::string& path, DWORD access, DWORD share, DWORD flags = 0)
{
    return CreateFileW(SystemPath(path).c_str(), access, share, nullptr, OPEN_EXISTING, flags,
                       nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The owner and access rules of an open file.
struct TSecurity {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PSID sid = nullptr;
    PACL dacl = nullptr;
    ~TSecurity() { LocalFree(descriptor); }
};

DWORD ReadSecurity(HANDLE file, SECURITY_INFORMATION what, TSecurity& security)
{
    return GetSecurityInfo(file, SE_FILE_OBJECT, what, &security.sid, nullptr, &security.dacl,
                           nullptr, &security.descriptor);
}

// Whether the access rules of a file say more than its folder passes on.
bool HasOwnAccessRules(const TSecurity& security)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(security.descriptor, &control, &revision))
        return true;
    if ((control & SE_DACL_PROTECTED) || !security.dacl)
        return true;
    for (DWORD i = 0; i < security.dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (GetAce(security.dacl, i, &ace) &&
            !(static_cast<const ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

// Gives `file` the access rules set on the original itself; the rules that
// its folder passes on, it has already. False when they cannot be set.
bool CopyAccessRules(HANDLE file, const TSecurity& original)
{
    if (!HasOwnAccessRules(original))
        return true;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(original.descriptor, &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, original.dacl, nullptr) ==
           ERROR_SUCCESS;
}

} // namespace

int TFileHandle::Close()
{
    if (!IsOpen())
        return 0;
    return Result(CloseHandle(reinterpret_cast<HANDLE>(std::exchange(m_native, kClosed))));
}

// ------------------------------------------------------------- reading

int OpenForReading(const std::string& path, TFileHandle& file)
{
    const HANDLE handle = OpenExisting(path, GENERIC_READ, kShareAll, FILE_FLAG_SEQUENTIAL_SCAN);
    // A folder opens only for its own calls; say what it is.
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED &&
        IsDirectory(path))
        return EISDIR;
    return Opened(handle, file);
}

int CreateNewFile(const std::string& path, TFileHandle& file)
{
    // WRITE_DAC for KeepOwnerAndMode; the creator may always set it.
    return Opened(CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr),
                  file);
}

int GetInfo(const TFileHandle& file, TFileInfo& info)
{
    info = TFileInfo{};
    SetLastError(NO_ERROR);
    switch (GetFileType(Handle(file))) {
    case FILE_TYPE_CHAR:
        info.kind = TFileKind::Device;
        return 0;
    case FILE_TYPE_PIPE:
        info.kind = TFileKind::Fifo;
        return 0;
    case FILE_TYPE_DISK:
        break;
    default:
        info.kind = TFileKind::Other;
        return GetLastError() == NO_ERROR ? 0 : LastError();
    }
    BY_HANDLE_FILE_INFORMATION about{};
    if (!GetFileInformationByHandle(Handle(file), &about))
        return LastError();
    info.kind = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? TFileKind::Directory
                                                                    : TFileKind::Regular;
    info.size = (std::uint64_t(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
    info.device = about.dwVolumeSerialNumber;
    info.inode = (std::uint64_t(about.nFileIndexHigh) << 32) | about.nFileIndexLow;
    info.links = about.nNumberOfLinks;
    info.mode = about.dwFileAttributes;
    return 0;
}

// NTFS gives a new file never the id of an old one (the id holds a
// sequence number), so the time of making is not needed to tell them apart.
std::uint64_t BirthTime(const TFileHandle&)
{
    return 0;
}

int GetInfo(const std::string& path, TFileInfo& info)
{
    // Asks for no access to the bytes, so that no sharing rule stands in the
    // way; folders open with backup semantics.
    TFileHandle file;
    const int error = Opened(
        OpenExisting(path, FILE_READ_ATTRIBUTES, kShareAll, FILE_FLAG_BACKUP_SEMANTICS), file);
    if (error) {
        info = TFileInfo{};
        return error == ENOENT ? 0 : error;
    }
    return GetInfo(file, info);
}

int ReadSome(const TFileHandle& file, char* buffer, std::size_t size, std::size_t& got)
{
    DWORD read = 0;
    got = 0;
    if (!ReadFile(Handle(file), buffer, DWORD(std::min<std::size_t>(size, 1u << 30)), &read,
                  nullptr)) {
        const DWORD error = GetLastError();
        return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE ? 0 : ErrorFrom(error);
    }
    got = read;
    return 0;
}

int ReadAt(const TFileHandle& file, std::uint64_t offset, char* buffer, std::size_t size,
           std::size_t& got)
{
    // A read at an offset moves the position of a synchronous handle; it is
    // put back afterwards.
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(Handle(file), LARGE_INTEGER{}, &position, FILE_CURRENT))
        return LastError();
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD read = 0;
    got = 0;
    int error = 0;
    if (ReadFile(Handle(file), buffer, DWORD(std::min<std::size_t>(size, 1u << 30)), &read, &at))
        got = read;
    else if (GetLastError() != ERROR_HANDLE_EOF)
        error = LastError();
    SetFilePointerEx(Handle(file), position, nullptr, FILE_BEGIN);
    return error;
}

// ------------------------------------------------------------- writing

int OpenForWriting(const std::string& path, TFileHandle& file)
{
    // Windows refuses it too; wine, run by the superuser, would not.
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return EACCES;
    // No sharing: while the save runs, no other program reads a half-written
    // file or writes between our steps; one that has the file open makes the
    // open fail (ERROR_SHARING_VIOLATION). READ_CONTROL gives the access
    // rules to KeepOwnerAndMode; reading is asked for where it is allowed.
    for (const DWORD access : {GENERIC_READ | GENERIC_WRITE | READ_CONTROL, DWORD(GENERIC_WRITE)}) {
        const HANDLE handle = OpenExisting(path, access, 0);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED)
            return Opened(handle, file);
    }
    return EACCES;
}

int TryLockExclusive(const TFileHandle& file)
{
    OVERLAPPED whole{};
    return Result(LockFileEx(Handle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                             MAXDWORD, MAXDWORD, &whole));
}

int TryLockShared(const TFileHandle&)
{
    // Byte-range locks of Windows would stop Tarvelo from reading the file.
    return 0;
}

int WriteAll(const TFileHandle& file, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(Handle(file), bytes.data(),
                       DWORD(std::min<std::size_t>(bytes.size(), 1u << 30)), &written, nullptr))
            return LastError();
        // A write that makes no progress counts as a full disk.
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(written);
    }
    return 0;
}

int WriteAt(const TFileHandle& file, std::uint64_t offset, std::string_view bytes)
{
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD written = 0;
        if (!WriteFile(Handle(file), bytes.data(), DWORD(std::min<std::size_t>(bytes.size(), 1u << 30)),
                       &written, &at))
            return LastError();
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

int SyncFile(const TFileHandle& file)
{
    return Result(FlushFileBuffers(Handle(file)));
}

int TruncateFile(const TFileHandle& file, std::uint64_t size)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return Result(SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end));
}

// Windows' counterpart of owner, group and mode: the owner, the access
// rules set on the file itself, and the attributes. The new file belongs to
// whoever saves; where that is not the original's owner, ownerKept is false
// (the caller then writes in place and the file keeps all of it), as it is
// when the original's rules cannot be read or given to the new file.
int KeepOwnerAndMode(const TFileHandle& file, const TFileHandle& original, const TFileInfo& info,
                     bool& ownerKept)
{
    constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (const DWORD attributes = info.mode & kKeptAttributes) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = attributes;
        if (!SetFileInformationByHandle(Handle(file), FileBasicInfo, &basic, sizeof basic))
            return LastError();
    }
    TSecurity before, now;
    ownerKept =
        ReadSecurity(Handle(original), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                     before) == ERROR_SUCCESS &&
        ReadSecurity(Handle(file), OWNER_SECURITY_INFORMATION, now) == ERROR_SUCCESS &&
        EqualSid(before.sid, now.sid) && CopyAccessRules(Handle(file), before);
    return 0;
}

void LetOwnerRead(const TFileHandle&, const TFileInfo&)
{
    // Windows has no mode that lets the owner write a file but not read it.
}

void ReleaseExclusiveOpen(TFileHandle& file)
{
    file.Close();
}

// Whether the file has the owner that this process gives the files it
// creates (the Administrators group for an elevated one). Its access rules
// come from its folder, which is this user's or the file's own.
bool IsOwnPrivateFile(const TFileHandle& file, const TFileInfo&)
{
    TSecurity security;
    if (ReadSecurity(Handle(file), OWNER_SECURITY_INFORMATION, security) != ERROR_SUCCESS)
        return false;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    GetTokenInformation(token, TokenOwner, nullptr, 0, &size);
    std::string buffer(size, '\0');
    const bool own = size > 0 && GetTokenInformation(token, TokenOwner, buffer.data(), size, &size) &&
                     EqualSid(reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner, security.sid);
    CloseHandle(token);
    return own;
}

// ------------------------------------------------------- folders held open
// Windows has no calls relative to an open folder: the folder's path names
// the files. The target of a save is held without FILE_SHARE_DELETE until
// just before it is replaced, so that nobody renames it meanwhile.

int OpenFolder(const std::string& path, TFolder& folder)
{
    folder.path = path;
    if (!IsDirectory(path))
        return GetFileAttributesW(SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES ? LastError()
                                                                                       : ENOTDIR;
    return 0;
}

int FinalPathOf(const TFileHandle& file, const std::string&, std::string& finalPath)
{
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(Handle(file), final.data(), DWORD(final.size()), VOLUME_NAME_DOS);
    if (length >= final.size()) {
        final.resize(length);
        length = GetFinalPathNameByHandleW(Handle(file), final.data(), DWORD(final.size()), VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= final.size())
        return LastError();
    final.resize(length);
    finalPath = PathFromSystem(final);
    return 0;
}

int GetInfoAt(const TFolder& folder, const std::string& name, TFileInfo& info)
{
    TFileHandle file;
    const int error = Opened(OpenExisting(JoinPath(folder.path, name), FILE_READ_ATTRIBUTES, kShareAll,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT),
                             file);
    if (error) {
        info = TFileInfo{};
        return error == ENOENT ? 0 : error;
    }
    if (const int error = GetInfo(file, info))
        return error;
    if (info.mode & FILE_ATTRIBUTE_REPARSE_POINT)
        info.kind = TFileKind::Other;
    return 0;
}

int CreateNewFileAt(const TFolder& folder, const std::string& name, bool, TFileHandle& file)
{
    // The folder's access rules pass on to the file.
    return CreateNewFile(JoinPath(folder.path, name), file);
}

int OpenForReadingAt(const TFolder& folder, const std::string& name, TFileHandle& file)
{
    return Opened(OpenExisting(JoinPath(folder.path, name), GENERIC_READ, kShareAll,
                               FILE_FLAG_OPEN_REPARSE_POINT),
                  file);
}

int RenameAt(const TFolder& folder, const std::string& from, const std::string& to, bool replace)
{
    // A virus scanner or an indexer may hold either file for a moment.
    const std::wstring source = SystemPath(JoinPath(folder.path, from));
    const std::wstring target = SystemPath(JoinPath(folder.path, to));
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), flags))
            return 0;
        const DWORD error = GetLastError();
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                              error != ERROR_LOCK_VIOLATION))
            return ErrorFrom(error);
        Sleep(50);
    }
}

int LinkAt(const TFolder& folder, const std::string& existing, const std::string& newName)
{
    return Result(CreateHardLinkW(SystemPath(JoinPath(folder.path, newName)).c_str(),
                                  SystemPath(JoinPath(folder.path, existing)).c_str(), nullptr));
}

int RemoveAt(const TFolder& folder, const std::string& name)
{
    return Result(DeleteFileW(SystemPath(JoinPath(folder.path, name)).c_str()));
}

void SyncFolder(const TFolder&)
{
    // MOVEFILE_WRITE_THROUGH has made the rename durable.
}

// ------------------------------------------------------------ folders

std::string AbsolutePath(const std::string& path)
{
    const std::wstring wide = Utf8ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    return PathFromSystem(full);
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    // "C:\name" and "\name" keep their root's separator.
    if (separator == 0 || (separator == 2 && path[1] == ':'))
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::string FileNameOf(const std::string& path)
{
    std::size_t start = LastSeparator(path);
    if (start == std::string::npos)
        start = path.size() >= 2 && path[1] == ':' ? 1 : std::string::npos;
    return start == std::string::npos ? path : path.substr(start + 1);
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty() || IsSeparator(directory.back()) ||
        (directory.size() == 2 && directory[1] == ':'))
        return directory + name;
    return directory + "\\" + name;
}

std::vector<std::string> FileNamesIn(const TFolder& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(SystemPath(JoinPath(folder.path, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(WideToUtf8(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::size_t MaxFileNameLength(const std::string&)
{
    // Every file system of Windows takes names of 255 UTF-16 units. The
    // caller counts UTF-8 bytes, of which a name has at least as many.
    return 255;
}

int CreateDirectories(const std::string& directory)
{
    if (IsRoot(directory))
        return 0;
    TFileInfo info;
    if (GetInfo(directory, info) == 0 && info.kind != TFileKind::Missing)
        return info.kind == TFileKind::Directory ? 0 : ENOTDIR;
    if (const int error = CreateDirectories(DirectoryOf(directory)))
        return error;
    if (CreateDirectoryW(SystemPath(directory).c_str(), nullptr) ||
        GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    return LastError();
}

std::string UserStateDirectory()
{
    // Local application data: not roamed, not meant to be edited.
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && *local ? WideToUtf8(local) : std::string();
}

std::string ExeDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return ".\\";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string exe = PathFromSystem(path);
    return exe.substr(0, LastSeparator(exe) + 1);
}

// ------------------------------------------------------------- process

long CurrentProcessId()
{
    return static_cast<long>(GetCurrentProcessId());
}

bool ProcessExists(long id)
{
    if (id <= 0)
        return true;
    const HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(id));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

std::uint64_t UsableMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    std::uint64_t memory = GlobalMemoryStatusEx(&status)
                               ? std::min(status.ullTotalPhys, status.ullTotalVirtual)
                               : std::uint64_t(1) << 32;
    // A job that the process runs in may allow it less.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    if (QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                  nullptr)) {
        const DWORD flags = job.BasicLimitInformation.LimitFlags;
        if ((flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) && job.ProcessMemoryLimit < memory)
            memory = job.ProcessMemoryLimit;
        if ((flags & JOB_OBJECT_LIMIT_JOB_MEMORY) && job.JobMemoryLimit < memory)
            memory = job.JobMemoryLimit;
    }
    return memory;
}

void FailAllocationsBeyondMemoryLimits()
{
    // A job's memory limit makes allocations fail already.
}

void PreferLargePages(void*, std::size_t)
{
    // Large pages need a privilege that users do not have.
}

std::string SystemErrorText(int error)
{
    const DWORD code = SystemErrorOf(error);
    if (code == 0)
        return std::strerror(error);
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() &&
           std::wstring_view(L" \r\n\t").find(message.back()) != std::wstring_view::npos)
        message.pop_back();
    return message.empty() ? "Systemfehler " + std::to_string(code) : WideToUtf8(message);
}
