#include "AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TWriteFault {
    TWriteStep step = TWriteStep::None;
    int error = 0;
};

TWriteFault g_fault;

// True, with errno set, when the injected fault is for `step`; consumes it.
bool Injected(TWriteStep step)
{
    if (g_fault.step != step || step == TWriteStep::None)
        return false;
    errno = g_fault.error;
    g_fault = {};
    return true;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int OpenNoInterrupt(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of `bytes`; false with errno set otherwise. A write that makes
// no progress counts as a full disk.
bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Copies the file at `from` into the open file `to` and flushes it.
bool CopyInto(const std::string& from, int to)
{
    const int in = OpenNoInterrupt(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (in < 0)
        return false;
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            ok = false;
            break;
        }
    }
    const int saved = errno;
    ::close(in);
    errno = saved;
    return ok && ::fsync(to) == 0;
}

std::string UniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof text, ".tmp-%ld-%x-%llx", static_cast<long>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned long long>(now) & 0xFFFFFFull);
    return text;
}

} // namespace

void SetWriteFaultForTesting(TWriteStep step, int error)
{
    g_fault = {step, error};
}

TAtomicFile::TAtomicFile(std::string path) : m_path(std::move(path))
{
    // Replace what a symbolic link points to, not the link itself.
    struct stat st{};
    if (::lstat(m_path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(m_path.c_str(), resolved))
            m_path = resolved;
    }
}

TAtomicFile::~TAtomicFile()
{
    RemoveTemporary();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool TAtomicFile::Fail(TWriteStep step, int error)
{
    m_failedStep = step;
    m_error = error;
    RemoveTemporary();
    return false;
}

void TAtomicFile::RemoveTemporary()
{
    if (m_tempFd >= 0) {
        ::close(m_tempFd);
        m_tempFd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool TAtomicFile::Open()
{
    // Lock the target. The lock belongs to the inode; if another editor
    // renamed a new file over the path while we waited for the open, lock
    // the new one instead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = OpenNoInterrupt(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            // Missing: nothing to lock. Unreadable: it cannot be locked, but
            // it can still be replaced.
            m_targetExists = errno != ENOENT;
            break;
        }
        m_targetExists = true;
        if (Injected(TWriteStep::Lock) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return Fail(TWriteStep::Lock, error);
        }
        struct stat locked{}, current{};
        if (::fstat(fd, &locked) == 0 && ::stat(m_path.c_str(), &current) == 0 &&
            locked.st_dev == current.st_dev && locked.st_ino == current.st_ino) {
            m_lockFd = fd;
            break;
        }
        ::close(fd);
    }

    struct stat target{};
    const bool haveTarget = ::stat(m_path.c_str(), &target) == 0 && S_ISREG(target.st_mode);
    if (Injected(TWriteStep::Create))
        return Fail(TWriteStep::Create, errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = m_path + UniqueSuffix();
        // 0666 lets the kernel apply the umask to a new file.
        m_tempFd = OpenNoInterrupt(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                                   0666);
        if (m_tempFd >= 0) {
            m_tempPath = candidate;
            break;
        }
        if (errno != EEXIST)
            return Fail(TWriteStep::Create, errno);
    }
    if (m_tempFd < 0)
        return Fail(TWriteStep::Create, EEXIST);
    if (haveTarget) {
        // Keep the original's permission bits (and owner, where allowed).
        ::fchmod(m_tempFd, target.st_mode & 07777);
        if (::geteuid() == 0)
            (void)::fchown(m_tempFd, target.st_uid, target.st_gid);
    }
    return true;
}

bool TAtomicFile::Commit(std::string_view bytes, bool keepOriginal)
{
    if (m_tempFd < 0)
        return Fail(TWriteStep::Create, EBADF);
    if (g_fault.step == TWriteStep::Write) {
        WriteAll(m_tempFd, bytes.substr(0, bytes.size() / 2));
        Injected(TWriteStep::Write);
        return Fail(TWriteStep::Write, errno);
    }
    if (!WriteAll(m_tempFd, bytes))
        return Fail(TWriteStep::Write, errno);
    if (Injected(TWriteStep::Sync) || ::fsync(m_tempFd) != 0)
        return Fail(TWriteStep::Sync, errno);
    const int fd = m_tempFd;
    m_tempFd = -1;
    if (::close(fd) != 0)
        return Fail(TWriteStep::Sync, errno);

    m_backupPath.clear();
    if (keepOriginal && m_targetExists && !KeepOriginal())
        return false;

    if (Injected(TWriteStep::Rename) || ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        if (!m_backupPath.empty()) {
            ::unlink(m_backupPath.c_str());
            m_backupPath.clear();
        }
        return Fail(TWriteStep::Rename, error);
    }
    m_tempPath.clear();

    // Make the rename itself durable. The new file is in place by now and
    // the old one cannot be brought back, so a failure here changes nothing.
    const int dir = OpenNoInterrupt(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// Gives the original a second name, ".bak" or the first free ".bakN", so
// that it survives the rename. A hard link keeps the path in place all the
// time; where the file system has no hard links, a flushed copy is made.
bool TAtomicFile::KeepOriginal()
{
    if (Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, errno);
    struct stat original{};
    if (::stat(m_path.c_str(), &original) != 0)
        return Fail(TWriteStep::Backup, errno);
    for (int number = 1; number < 100000; ++number) {
        const std::string candidate = m_path + ".bak" + (number == 1 ? "" : std::to_string(number));
        if (!Injected(TWriteStep::BackupLink) && ::link(m_path.c_str(), candidate.c_str()) == 0) {
            m_backupPath = candidate;
            return true;
        }
        if (errno == EEXIST)
            continue;
        const int copy = OpenNoInterrupt(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                                         original.st_mode & 0777);
        if (copy < 0) {
            if (errno == EEXIST)
                continue;
            return Fail(TWriteStep::Backup, errno);
        }
        ::fchmod(copy, original.st_mode & 07777);
        const bool copied = CopyInto(m_path, copy);
        const int error = errno;
        ::close(copy);
        if (!copied) {
            ::unlink(candidate.c_str());
            return Fail(TWriteStep::Backup, error);
        }
        m_backupPath = candidate;
        return true;
    }
    return Fail(TWriteStep::Backup, EEXIST);
}

TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes, bool keepOriginal)
{
    TAtomicFile file(path);
    if (file.Open())
        file.Commit(bytes, keepOriginal);
    return file.Result();
}
