#pragma once

// The operating system's file calls that the definitions layer needs, behind
// one small interface: FileSystemPosix.cpp and FileSystemWindows.cpp
// implement it, and nothing above it calls the system directly. Paths are
// UTF-8 on Windows. Functions that can fail return 0 or an error number:
// errno, or on Windows the errno value that the code above tests for (ENOENT,
// EACCES, EEXIST, EROFS, ENOSPC, ENOMEM, EWOULDBLOCK) and the system's own
// error otherwise; SystemErrorText names either.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The error of the calls below when a name no longer names the file that
// was opened through it: renamed, or replaced by another file meanwhile.
constexpr int kErrorNameChanged = 1 << 30;

enum class TFileKind { Missing, Regular, Directory, Fifo, Device, Socket, Other };

struct TFileInfo {
    TFileKind kind = TFileKind::Missing;
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t links = 0;
    unsigned mode = 0; // permission bits; on Windows the file's attributes
    unsigned owner = 0;
    unsigned group = 0;

    bool SameFileAs(const TFileInfo& other) const
    {
        return device == other.device && inode == other.inode;
    }
};

// An open file; closed when the handle goes.
class TFileHandle {
public:
    TFileHandle() = default;
    explicit TFileHandle(std::intptr_t native) : m_native(native) {}
    ~TFileHandle();
    TFileHandle(TFileHandle&& other) noexcept;
    TFileHandle& operator=(TFileHandle&& other) noexcept;
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    bool IsOpen() const { return m_native != kClosed; }
    std::intptr_t Native() const { return m_native; }
    // 0, or the error that closing reported (a write that failed late).
    int Close();

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t m_native = kClosed;
};

// ------------------------------------------------------------- reading

// Opens a file for reading while others may read and write it. Never waits
// for a writer (a FIFO opens at once) and never takes a terminal over.
int OpenForReading(const std::string& path, TFileHandle& file);
// Creates a file that must not exist yet, for reading and writing, with the
// usual permissions for new files.
int CreateNewFile(const std::string& path, TFileHandle& file);
int GetInfo(const TFileHandle& file, TFileInfo& info);
// When the open file was made, in nanoseconds; 0 where the file system does
// not tell.
std::uint64_t BirthTime(const TFileHandle& file);
// Follows symbolic links. A missing file is no error: kind Missing.
int GetInfo(const std::string& path, TFileInfo& info);
// True when both paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);
// Reads up to size bytes; got is 0 at the end of the file.
int ReadSome(const TFileHandle& file, char* buffer, std::size_t size, std::size_t& got);
// Reads up to size bytes at offset, leaving the position that ReadSome and
// WriteAll go on from where it was.
int ReadAt(const TFileHandle& file, std::uint64_t offset, char* buffer, std::size_t size,
           std::size_t& got);

// ------------------------------------------------------------- writing

// Opens an existing file for writing without emptying it, and for reading
// where that is allowed. The system follows a symbolic link at the path and
// applies its own rules to it (a link of another user in a shared folder
// such as /tmp may be refused). Refused like the system refuses it, and also
// when the file has no write permission for anyone (which the superuser
// would otherwise ignore). On Windows the file is this handle's alone while
// it is open: the open fails while another program has the file open, and
// nobody else opens, renames or deletes it meanwhile.
int OpenForWriting(const std::string& path, TFileHandle& file);
// Advisory locks for the whole file that die with the process; EWOULDBLOCK
// when another process holds a lock that stands in the way. Windows needs no
// shared lock (a save there has the file for itself alone), so it takes none.
int TryLockExclusive(const TFileHandle& file);
int TryLockShared(const TFileHandle& file);
int WriteAll(const TFileHandle& file, std::string_view bytes);
// Writes all bytes at offset; where the position goes is left open.
int WriteAt(const TFileHandle& file, std::uint64_t offset, std::string_view bytes);
// Flushes the file's data to the disk.
int SyncFile(const TFileHandle& file);
int TruncateFile(const TFileHandle& file, std::uint64_t size);
// Gives the new file the original's owner and group where this process may
// set them, and its permission bits, except that the owner keeps the right
// to read it. ownerKept tells whether owner and group are the original's.
// On Windows: the original's attributes (hidden, system, ...) and the access
// rules set on it, when the new file has the original's owner.
// `original` is the open original, `info` what GetInfo said of it.
int KeepOwnerAndMode(const TFileHandle& file, const TFileHandle& original, const TFileInfo& info,
                     bool& ownerKept);
// Makes sure the owner may read the existing file (mode 0200 would lock the
// editor out of its own file at the next start). Only where this process
// owns it.
void LetOwnerRead(const TFileHandle& file, const TFileInfo& info);
// Whether the open file belongs to the user this process runs as and nobody
// else may write it: only then are its bytes trusted to go back over a file.
bool IsOwnPrivateFile(const TFileHandle& file, const TFileInfo& info);

// Lets go of a file that OpenForWriting holds for itself alone (Windows),
// before the file is replaced or opened anew, which the system would refuse
// while it is held. Elsewhere the file only carries an advisory lock and
// stays open.
void ReleaseExclusiveOpen(TFileHandle& file);

// ------------------------------------------------------- folders held open

// A folder held open: the files in it are named relative to the folder
// itself, so that renaming or replacing a folder on its path meanwhile
// changes nothing. On Windows, which has no such calls, the path is used.
struct TFolder {
    TFileHandle handle;
    std::string path; // for messages, and on Windows the folder itself
};

int OpenFolder(const std::string& path, TFolder& folder);
// The path of the open file as the system knows it, links resolved.
int FinalPathOf(const TFileHandle& file, const std::string& path, std::string& finalPath);
// The folder and the name under which the open file stands, as the system
// knows it (links resolved), checked by device and inode:
// kErrorNameChanged when no such name names this file any more. `path` is where it was opened.
int LocateFile(const TFileHandle& file, const std::string& path, TFolder& folder, std::string& name);
// What stands at the name in the folder; a symbolic link is not followed. A
// missing file is no error: kind Missing.
int GetInfoAt(const TFolder& folder, const std::string& name, TFileInfo& info);
// Creates a file that must not exist yet, for reading and writing: with the
// usual permissions for new files, or (privateFile) for this user alone.
int CreateNewFileAt(const TFolder& folder, const std::string& name, bool privateFile, TFileHandle& file);
// Opens a file for reading without following a symbolic link.
int OpenForReadingAt(const TFolder& folder, const std::string& name, TFileHandle& file);
// Renames within the folder; without `replace`, EEXIST when `to` exists.
int RenameAt(const TFolder& folder, const std::string& from, const std::string& to, bool replace);
int LinkAt(const TFolder& folder, const std::string& existing, const std::string& newName);
int RemoveAt(const TFolder& folder, const std::string& name);
// Makes renames in the folder durable; failures change nothing and are
// ignored.
void SyncFolder(const TFolder& folder);

// ------------------------------------------------------------ folders

// The path made absolute (for messages); as given when that fails.
std::string AbsolutePath(const std::string& path);
// The folder part of a path ("." for a bare name) and the name part.
std::string DirectoryOf(const std::string& path);
std::string FileNameOf(const std::string& path);
std::string JoinPath(const std::string& directory, const std::string& name);
std::vector<std::string> FileNamesIn(const TFolder& folder);
// The longest file name that the folder's file system takes, in bytes.
std::size_t MaxFileNameLength(const std::string& directory);
// Creates the folder and its parents where missing.
int CreateDirectories(const std::string& directory);
// Where this user's programs keep state that is not meant to be edited
// (backups of files in folders the user cannot write); empty when unknown.
std::string UserStateDirectory();

// The directory of the running executable, ending in a path separator.
std::string ExeDirectory();

// ------------------------------------------------------------- process

long CurrentProcessId();
// False only when no process of that id exists.
bool ProcessExists(long id);
// The memory this process may use at most: the machine's memory, or less
// where a limit is set (the process's own, or its control groups').
std::uint64_t UsableMemory();
// Makes an allocation beyond what the control groups leave the process
// fail with std::bad_alloc, which the program can report, where the system
// would otherwise kill it without a word. For a short-lived program that
// reports failed allocations; where there is no such limit, nothing changes.
void FailAllocationsBeyondMemoryLimits();

// Asks for large memory pages for a buffer not yet written, which makes
// filling a large one cheaper; a hint that may be ignored.
void PreferLargePages(void* data, std::size_t size);

// The system's text for an error number (UTF-8).
std::string SystemErrorText(int error);
