#include "FileSystem.h"

#include "CgroupMemory.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Fd(const TFileHandle& file)
{
    return static_cast<int>(file.Native());
}

int OpenNoInterrupt(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int Opened(int fd, TFileHandle& file)
{
    if (fd < 0)
        return errno;
    file = TFileHandle(fd);
    return 0;
}

TFileKind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return TFileKind::Regular;
    if (S_ISDIR(mode))
        return TFileKind::Directory;
    if (S_ISFIFO(mode))
        return TFileKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return TFileKind::Device;
    if (S_ISSOCK(mode))
        return TFileKind::Socket;
    return TFileKind::Other;
}

TFileInfo InfoFrom(const struct stat& st)
{
    TFileInfo info;
    info.kind = KindOf(st.st_mode);
    info.size = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    info.links = st.st_nlink;
    info.mode = st.st_mode & 07777;
    info.owner = st.st_uid;
    info.group = st.st_gid;
    return info;
}

int Result(int status)
{
    return status == 0 ? 0 : errno;
}

} // namespace

int TFileHandle::Close()
{
    if (!IsOpen())
        return 0;
    // The descriptor is gone after close whatever it reports, EINTR too.
    const int status = ::close(static_cast<int>(std::exchange(m_native, kClosed)));
    return status == 0 || errno == EINTR ? 0 : errno;
}

int OpenForReading(const std::string& path, TFileHandle& file)
{
    return Opened(OpenNoInterrupt(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK), file);
}

int CreateNewFile(const std::string& path, TFileHandle& file)
{
    // 0666 lets the kernel apply the umask.
    return Opened(OpenNoInterrupt(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666),
                  file);
}

int GetInfo(const TFileHandle& file, TFileInfo& info)
{
    struct stat st{};
    if (::fstat(Fd(file), &st) != 0)
        return errno;
    info = InfoFrom(st);
    return 0;
}

std::uint64_t BirthTime(const TFileHandle& file)
{
    struct statx st{};
    if (::statx(Fd(file), "", AT_EMPTY_PATH, STATX_BTIME, &st) != 0 || (st.stx_mask & STATX_BTIME) == 0)
        return 0;
    return std::uint64_t(st.stx_btime.tv_sec) * 1000000000u + st.stx_btime.tv_nsec;
}

int GetInfo(const std::string& path, TFileInfo& info)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) {
        info = TFileInfo{};
        return errno == ENOENT ? 0 : errno;
    }
    info = InfoFrom(st);
    return 0;
}

int ReadSome(const TFileHandle& file, char* buffer, std::size_t size, std::size_t& got)
{
    ssize_t count;
    do
        count = ::read(Fd(file), buffer, size);
    while (count < 0 && errno == EINTR);
    if (count < 0)
        return errno;
    got = static_cast<std::size_t>(count);
    return 0;
}

int ReadAt(const TFileHandle& file, std::uint64_t offset, char* buffer, std::size_t size,
           std::size_t& got)
{
    ssize_t count;
    do
        count = ::pread(Fd(file), buffer, size, static_cast<off_t>(offset));
    while (count < 0 && errno == EINTR);
    if (count < 0)
        return errno;
    got = static_cast<std::size_t>(count);
    return 0;
}

int OpenForWriting(const std::string& path, TFileHandle& file)
{
    constexpr int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = OpenNoInterrupt(path.c_str(), O_RDWR | flags);
    if (fd < 0 && errno == EACCES)
        fd = OpenNoInterrupt(path.c_str(), O_WRONLY | flags);
    if (const int error = Opened(fd, file))
        return error;
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        file.Close();
        return EACCES;
    }
    return 0;
}

int TryLockExclusive(const TFileHandle& file)
{
    return Result(::flock(Fd(file), LOCK_EX | LOCK_NB));
}

int TryLockShared(const TFileHandle& file)
{
    return Result(::flock(Fd(file), LOCK_SH | LOCK_NB));
}

int WriteAll(const TFileHandle& file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(Fd(file), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        // A write that makes no progress counts as a full disk.
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int WriteAt(const TFileHandle& file, std::uint64_t offset, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(Fd(file), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int SyncFile(const TFileHandle& file)
{
    return Result(::fsync(Fd(file)));
}

int TruncateFile(const TFileHandle& file, std::uint64_t size)
{
    int status;
    do
        status = ::ftruncate(Fd(file), static_cast<off_t>(size));
    while (status != 0 && errno == EINTR);
    return Result(status);
}

int KeepOwnerAndMode(const TFileHandle& file, const TFileHandle&, const TFileInfo& original,
                     bool& ownerKept)
{
    struct stat created{};
    if (::fstat(Fd(file), &created) != 0)
        return errno;
    ownerKept = created.st_uid == original.owner && created.st_gid == original.group;
    if (!ownerKept) {
        // The superuser may give it any owner; a member of the original's
        // group may at least give it that group.
        const uid_t owner = ::geteuid() == 0 ? original.owner : uid_t(-1);
        if (::fchown(Fd(file), owner, original.group) == 0 ||
            ::fchown(Fd(file), uid_t(-1), original.group) == 0)
            ::fstat(Fd(file), &created);
        ownerKept = created.st_uid == original.owner && created.st_gid == original.group;
    }
    // After fchown, which clears the set-id bits.
    return Result(::fchmod(Fd(file), original.mode | S_IRUSR));
}

void LetOwnerRead(const TFileHandle& file, const TFileInfo& info)
{
    if ((info.mode & S_IRUSR) == 0 && info.owner == ::geteuid())
        ::fchmod(Fd(file), info.mode | S_IRUSR);
}

bool IsOwnPrivateFile(const TFileHandle&, const TFileInfo& info)
{
    return info.owner == ::geteuid() && (info.mode & 022) == 0;
}

void ReleaseExclusiveOpen(TFileHandle&) {}

// ------------------------------------------------------- folders held open

int OpenFolder(const std::string& path, TFolder& folder)
{
    folder.path = path;
    // A folder that may be searched but not read still takes new files.
    int fd = OpenNoInterrupt(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = OpenNoInterrupt(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return Opened(fd, folder.handle);
}

int FinalPathOf(const TFileHandle& file, const std::string& path, std::string& finalPath)
{
    // Where the system has the open file; a path resolved afresh only where
    // /proc is missing.
    std::string where(PATH_MAX, '\0');
    const std::string link = "/proc/self/fd/" + std::to_string(Fd(file));
    const ssize_t length = ::readlink(link.c_str(), where.data(), where.size());
    if (length > 0 && static_cast<std::size_t>(length) < where.size() && where[0] == '/') {
        where.resize(static_cast<std::size_t>(length));
        finalPath = where;
        return 0;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return errno;
    finalPath = real;
    std::free(real);
    return 0;
}

int GetInfoAt(const TFolder& folder, const std::string& name, TFileInfo& info)
{
    struct stat st{};
    if (::fstatat(Fd(folder.handle), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        info = TFileInfo{};
        return errno == ENOENT ? 0 : errno;
    }
    info = InfoFrom(st);
    if (S_ISLNK(st.st_mode))
        info.kind = TFileKind::Other;
    return 0;
}

int CreateNewFileAt(const TFolder& folder, const std::string& name, bool privateFile, TFileHandle& file)
{
    // 0666 lets the kernel apply the umask.
    const int fd = ::openat(Fd(folder.handle), name.c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                            privateFile ? 0600 : 0666);
    return Opened(fd, file);
}

int OpenForReadingAt(const TFolder& folder, const std::string& name, TFileHandle& file)
{
    const int fd = ::openat(Fd(folder.handle), name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    return Opened(fd, file);
}

int RenameAt(const TFolder& folder, const std::string& from, const std::string& to, bool replace)
{
    const int dir = Fd(folder.handle);
    if (replace)
        return Result(::renameat(dir, from.c_str(), dir, to.c_str()));
    if (::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that rename: a second name, then the first goes.
    if (::linkat(dir, from.c_str(), dir, to.c_str(), 0) != 0)
        return errno;
    ::unlinkat(dir, from.c_str(), 0);
    return 0;
}

int LinkAt(const TFolder& folder, const std::string& existing, const std::string& newName)
{
    return Result(::linkat(Fd(folder.handle), existing.c_str(), Fd(folder.handle), newName.c_str(), 0));
}

int RemoveAt(const TFolder& folder, const std::string& name)
{
    return Result(::unlinkat(Fd(folder.handle), name.c_str(), 0));
}

void SyncFolder(const TFolder& folder)
{
    ::fsync(Fd(folder.handle));
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty() || directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

std::vector<std::string> FileNamesIn(const TFolder& folder)
{
    std::vector<std::string> names;
    const int fd = ::openat(Fd(folder.handle), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

std::size_t MaxFileNameLength(const std::string& directory)
{
    const long length = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    return length > 0 ? static_cast<std::size_t>(length) : NAME_MAX;
}

int CreateDirectories(const std::string& directory)
{
    if (directory.empty() || directory == "/" || directory == ".")
        return 0;
    struct stat st{};
    if (::stat(directory.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (const int error = CreateDirectories(DirectoryOf(directory)))
        return error;
    return ::mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

std::string UserStateDirectory()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
        return state;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = ::getpwuid(::geteuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && home[0] == '/' ? JoinPath(home, ".local/state") : std::string();
}

std::string ExeDirectory()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
        path.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos)
            return path.substr(0, slash + 1);
    }
    char* cwd = ::getcwd(nullptr, 0);
    std::string dir = cwd ? cwd : ".";
    std::free(cwd);
    return dir.back() == '/' ? dir : dir + "/";
}

long CurrentProcessId()
{
    return static_cast<long>(::getpid());
}

bool ProcessExists(long id)
{
    return id <= 0 || ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

std::uint64_t UsableMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::uint64_t memory = pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize)
                                                     : std::uint64_t(1) << 32;
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit{};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            limit.rlim_cur < memory)
            memory = limit.rlim_cur;
    }
    // A process stays in its groups; their figures change.
    static const std::vector<TMemoryGroup> groups = MemoryGroups();
    if (const auto left = MemoryLeftBy(groups))
        memory = std::min(memory, *left + ResidentMemory());
    return memory;
}

void PreferLargePages(void* data, std::size_t size)
{
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

namespace {

// The user interface is German, but the system's own texts follow a locale
// that is often not installed; the errors that file work meets are named in
// German here.
const char* GermanErrorText(int error)
{
    switch (error) {
    case EPERM: return "Die Operation ist nicht erlaubt";
    case ENOENT: return "Datei oder Verzeichnis nicht gefunden";
    case EIO: return "Eingabe-/Ausgabefehler";
    case ENXIO: return "Kein solches Gerät oder keine solche Adresse";
    case EAGAIN: return "Die Ressource ist zur Zeit nicht verfügbar";
    case ENOMEM: return "Nicht genügend Hauptspeicher verfügbar";
    case EACCES: return "Keine Berechtigung";
    case EBUSY: return "Das Gerät oder die Ressource ist belegt";
    case EEXIST: return "Die Datei existiert bereits";
    case EXDEV: return "Ungültiger Link über Gerätegrenzen hinweg";
    case ENOTDIR: return "Ist kein Verzeichnis";
    case EISDIR: return "Ist ein Verzeichnis";
    case EINVAL: return "Das Argument ist ungültig";
    case ENFILE: return "Zu viele offene Dateien im System";
    case EMFILE: return "Zu viele offene Dateien";
    case ETXTBSY: return "Die Datei wird gerade ausgeführt";
    case EFBIG: return "Die Datei ist zu groß";
    case ENOSPC: return "Auf dem Gerät ist kein Speicherplatz mehr verfügbar";
    case EROFS: return "Das Dateisystem ist nur lesbar";
    case EMLINK: return "Zu viele Links";
    case ENAMETOOLONG: return "Der Dateiname ist zu lang";
    case ENOLCK: return "Keine Sperren verfügbar";
    case ELOOP: return "Zu viele Ebenen aus symbolischen Links";
    case EDQUOT: return "Der zugewiesene Speicherplatz (Quota) ist überschritten";
    case ESTALE: return "Die Dateizugriffsnummer ist veraltet";
    default: return nullptr;
    }
}

} // namespace

std::string SystemErrorText(int error)
{
    const char* german = GermanErrorText(error);
    return german ? german : std::strerror(error);
}
