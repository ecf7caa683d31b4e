#include "AtomicFile.h"

#include "FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

namespace {

struct TWriteFault {
    TWriteStep step = TWriteStep::None;
    int error = 0;
};

TWriteFault g_fault;

// The injected error when the fault is for `step` (consuming it), else 0.
int Injected(TWriteStep step)
{
    if (g_fault.step != step || step == TWriteStep::None)
        return 0;
    return std::exchange(g_fault, {}).error;
}

// Copies the file at `from` into the open file `to` and flushes it.
int CopyInto(const std::string& from, const TFileHandle& to)
{
    TFileHandle in;
    if (const int error = OpenForReading(from, in))
        return error;
    char buffer[1 << 16];
    for (;;) {
        std::size_t got = 0;
        if (const int error = ReadSome(in, buffer, sizeof buffer, got))
            return error;
        if (got == 0)
            return SyncFile(to);
        if (const int error = WriteAll(to, std::string_view(buffer, got)))
            return error;
    }
}

std::string UniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof text, ".tmp-%ld-%x-%llx", CurrentProcessId(), counter.fetch_add(1),
                  static_cast<unsigned long long>(now) & 0xFFFFFFull);
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
    std::string resolved;
    if (IsSymbolicLink(m_path) && ResolveLinks(m_path, resolved) == 0)
        m_path = resolved;
}

TAtomicFile::~TAtomicFile()
{
    RemoveTemporary();
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
    m_temp.Close();
    if (!m_tempPath.empty()) {
        RemoveFile(m_tempPath);
        m_tempPath.clear();
    }
}

bool TAtomicFile::Open()
{
    // Lock the target. The lock belongs to the inode; if another editor
    // renamed a new file over the path while we waited for the open, lock
    // the new one instead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        TFileHandle target;
        if (const int error = OpenForReading(m_path, target)) {
            // Missing: nothing to lock. Unreadable: it cannot be locked, but
            // it can still be replaced.
            m_targetExists = error != ENOENT;
            break;
        }
        m_targetExists = true;
        int error = Injected(TWriteStep::Lock);
        if (error || (error = TryLockExclusive(target)))
            return Fail(TWriteStep::Lock, error);
        TFileInfo locked, current;
        if (GetInfo(target, locked) == 0 && GetInfo(m_path, current) == 0 && locked.SameFileAs(current)) {
            m_lock = std::move(target);
            break;
        }
    }

    TFileInfo target;
    const bool haveTarget = GetInfo(m_path, target) == 0 && target.kind == TFileKind::Regular;
    if (const int error = Injected(TWriteStep::Create))
        return Fail(TWriteStep::Create, error);
    for (int attempt = 0; attempt < 100 && !m_temp.IsOpen(); ++attempt) {
        const std::string candidate = m_path + UniqueSuffix();
        const int error = CreateNewFile(candidate, m_temp);
        if (error == 0)
            m_tempPath = candidate;
        else if (error != EEXIST)
            return Fail(TWriteStep::Create, error);
    }
    if (!m_temp.IsOpen())
        return Fail(TWriteStep::Create, EEXIST);
    bool ownerKept = false;
    if (haveTarget)
        KeepOwnerAndMode(m_temp, target, ownerKept);
    return true;
}

bool TAtomicFile::Commit(std::string_view bytes, bool keepOriginal)
{
    if (!m_temp.IsOpen())
        return Fail(TWriteStep::Create, EBADF);
    if (g_fault.step == TWriteStep::Write) {
        WriteAll(m_temp, bytes.substr(0, bytes.size() / 2));
        return Fail(TWriteStep::Write, Injected(TWriteStep::Write));
    }
    if (const int error = WriteAll(m_temp, bytes))
        return Fail(TWriteStep::Write, error);
    int error = Injected(TWriteStep::Sync);
    if (error || (error = SyncFile(m_temp)) || (error = m_temp.Close()))
        return Fail(TWriteStep::Sync, error);

    m_backupPath.clear();
    if (keepOriginal && m_targetExists && !KeepOriginal())
        return false;

    error = Injected(TWriteStep::Rename);
    if (error || (error = RenameReplacing(m_tempPath, m_path))) {
        if (!m_backupPath.empty()) {
            RemoveFile(m_backupPath);
            m_backupPath.clear();
        }
        return Fail(TWriteStep::Rename, error);
    }
    m_tempPath.clear();
    // Make the rename itself durable. The new file is in place by now and
    // the old one cannot be brought back, so a failure here changes nothing.
    SyncDirectoryOf(m_path);
    return true;
}

// Gives the original a second name, ".bak" or the first free ".bakN", so
// that it survives the rename. A hard link keeps the path in place all the
// time; where the file system has no hard links, a flushed copy is made.
bool TAtomicFile::KeepOriginal()
{
    if (const int error = Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, error);
    TFileInfo original;
    if (const int error = GetInfo(m_path, original))
        return Fail(TWriteStep::Backup, error);
    for (int number = 1; number < 100000; ++number) {
        const std::string candidate = m_path + ".bak" + (number == 1 ? "" : std::to_string(number));
        int error = Injected(TWriteStep::BackupLink);
        if (!error && (error = HardLink(m_path, candidate)) == 0) {
            m_backupPath = candidate;
            return true;
        }
        if (error == EEXIST)
            continue;
        TFileHandle copy;
        error = CreateNewFile(candidate, copy);
        if (error == EEXIST)
            continue;
        if (error)
            return Fail(TWriteStep::Backup, error);
        bool ownerKept = false;
        if ((error = KeepOwnerAndMode(copy, original, ownerKept)) || (error = CopyInto(m_path, copy)) ||
            (error = copy.Close())) {
            RemoveFile(candidate);
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
