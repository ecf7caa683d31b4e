#include "AtomicFile.h"

#include <atomic>
#include <cctype>
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

// Errors of a folder that this user may not write to.
bool IsMissingRight(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Copies the whole file `from` into the open file `to` and flushes it.
int CopyInto(const TFileHandle& from, const TFileHandle& to)
{
    char buffer[1 << 16];
    for (std::uint64_t offset = 0;;) {
        std::size_t got = 0;
        if (const int error = ReadAt(from, offset, buffer, sizeof buffer, got))
            return error;
        if (got == 0)
            return SyncFile(to);
        if (const int error = WriteAll(to, std::string_view(buffer, got)))
            return error;
        offset += got;
    }
}

// The name of path, cut so that `reserve` more bytes still fit the file
// system's limit on names.
std::string NameWithRoom(const std::string& path, const std::string& directory, std::size_t reserve)
{
    const std::string name = FileNameOf(path);
    const std::size_t limit = MaxFileNameLength(directory);
    if (limit <= reserve || name.size() <= limit - reserve)
        return name;
    // Not inside a UTF-8 character, which Windows could not store as such.
    std::size_t cut = limit - reserve;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

// Temporary files are named <name>.tmp-<process id>-<number>.
constexpr std::size_t kTemporarySuffixRoom = 32;

std::string TemporaryPrefix(const std::string& path)
{
    const std::string directory = DirectoryOf(path);
    return JoinPath(directory, NameWithRoom(path, directory, kTemporarySuffixRoom) + ".tmp-");
}

std::string TemporaryName(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[kTemporarySuffixRoom];
    std::snprintf(suffix, sizeof suffix, "%ld-%x%06llx", CurrentProcessId(), counter.fetch_add(1) & 0xFFu,
                  static_cast<unsigned long long>(now) & 0xFFFFFFull);
    return TemporaryPrefix(path) + suffix;
}

// The process id in "<id>-<hex digits>", or 0.
long WriterOfTemporary(std::string_view suffix)
{
    long id = 0;
    std::size_t i = 0;
    for (; i < suffix.size() && i < 10 && suffix[i] >= '0' && suffix[i] <= '9'; ++i)
        id = id * 10 + (suffix[i] - '0');
    if (i == 0 || i + 1 >= suffix.size() || suffix[i] != '-')
        return 0;
    for (const char c : suffix.substr(i + 1)) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return 0;
    }
    return id;
}

// The first name of <base>.bak, <base>.bak2, ... that does not exist yet,
// created empty.
int CreateBackupFile(const std::string& base, std::string& path, TFileHandle& file)
{
    for (int number = 1; number < 100000; ++number) {
        path = base + ".bak" + (number == 1 ? "" : std::to_string(number));
        const int error = CreateNewFile(path, file);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

} // namespace

void SetWriteFaultForTesting(TWriteStep step, int error)
{
    g_fault = {step, error};
}

void RemoveStaleTemporaryFiles(const std::string& path)
{
    const std::string prefix = FileNameOf(TemporaryPrefix(path));
    const std::string directory = DirectoryOf(path);
    for (const std::string& name : FileNamesIn(directory)) {
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const long writer = WriterOfTemporary(std::string_view(name).substr(prefix.size()));
        if (writer == 0 || ProcessExists(writer))
            continue;
        // A save that runs holds the lock on its temporary file, whatever
        // its process id looks like from here.
        const std::string leftover = JoinPath(directory, name);
        TFileHandle file;
        TFileInfo info;
        if (OpenForReading(leftover, file) == 0 && GetInfo(file, info) == 0 &&
            info.kind == TFileKind::Regular && TryLockExclusive(file) == 0)
            RemoveFile(leftover);
    }
}

TAtomicFile::TAtomicFile(std::string path) : m_path(std::move(path)) {}

TAtomicFile::~TAtomicFile()
{
    if (m_inPlace && !m_finished)
        RestoreInPlace();
    RemoveTemporary();
}

bool TAtomicFile::Fail(TWriteStep step, int error)
{
    m_result.failedStep = step;
    m_result.error = error;
    if (m_inPlace && !m_finished)
        RestoreInPlace();
    RemoveTemporary();
    m_target.Close();
    m_finished = true;
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
    if (!CheckTarget() || (m_targetExists && !OpenTarget()))
        return false;
    RemoveStaleTemporaryFiles(m_path);
    if (CreateTemporary())
        return true;
    return m_result.failedStep == TWriteStep::None && PrepareInPlace();
}

// Follows a symbolic link and accepts only a regular file or none.
bool TAtomicFile::CheckTarget()
{
    // An empty path names no file; the temporary file would be made in the
    // working folder and could never be renamed to it.
    if (m_path.empty())
        return Fail(TWriteStep::Create, ENOENT);
    if (IsSymbolicLink(m_path)) {
        std::string resolved;
        if (const int error = ResolveLinks(m_path, resolved))
            return Fail(TWriteStep::Target, error);
        m_path = resolved;
    }
    if (const int error = GetInfo(m_path, m_original))
        return Fail(TWriteStep::Create, error);
    m_result.targetKind = m_original.kind;
    if (m_original.kind == TFileKind::Directory)
        return Fail(TWriteStep::Target, EISDIR);
    if (m_original.kind != TFileKind::Regular && m_original.kind != TFileKind::Missing)
        return Fail(TWriteStep::Target, 0);
    m_targetExists = m_original.kind == TFileKind::Regular;
    return true;
}

// Opens the existing target for writing, which also tells whether it may
// be written, and locks it. The lock belongs to the file; if another editor
// renamed a new file over the path meanwhile, the new one is locked instead.
bool TAtomicFile::OpenTarget()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        TFileHandle target;
        int error = OpenForWriting(m_path, target);
        if (error == ENOENT) {
            m_targetExists = false;
            return true;
        }
        if (error)
            return Fail(TWriteStep::Create, error);
        TFileInfo opened, current;
        if ((error = GetInfo(target, opened)))
            return Fail(TWriteStep::Create, error);
        m_result.targetKind = opened.kind;
        if (opened.kind != TFileKind::Regular)
            return Fail(TWriteStep::Target, 0);
        error = Injected(TWriteStep::Lock);
        // File systems without locks still save: only a held lock counts.
        if (error || (error = TryLockExclusive(target)) == EWOULDBLOCK)
            return Fail(TWriteStep::Lock, error);
        if (GetInfo(m_path, current) == 0 && opened.SameFileAs(current)) {
            m_original = opened;
            m_target = std::move(target);
            return true;
        }
    }
    return Fail(TWriteStep::Lock, EWOULDBLOCK);
}

// The temporary file for the rename. False without a failure when the file
// is to be written in place instead.
bool TAtomicFile::CreateTemporary()
{
    if (m_targetExists && m_original.links > 1)
        return false;
    for (int attempt = 0; attempt < 100 && !m_temp.IsOpen(); ++attempt) {
        const std::string candidate = TemporaryName(m_path);
        int error = Injected(TWriteStep::Create);
        if (!error)
            error = CreateNewFile(candidate, m_temp);
        if (error == 0)
            m_tempPath = candidate;
        else if (m_targetExists && IsMissingRight(error))
            return false;
        else if (error != EEXIST)
            return Fail(TWriteStep::Create, error);
    }
    if (!m_temp.IsOpen())
        return Fail(TWriteStep::Create, EEXIST);
    // Tells the cleanup of leftovers that this file is in use.
    TryLockExclusive(m_temp);
    if (!m_targetExists)
        return true;
    bool ownerKept = false;
    if (const int error = KeepOwnerAndMode(m_temp, m_target, m_original, ownerKept))
        return Fail(TWriteStep::Create, error);
    if (ownerKept)
        return true;
    RemoveTemporary();
    return false;
}

// Keeps a flushed copy of the old bytes before they are overwritten.
bool TAtomicFile::PrepareInPlace()
{
    m_inPlace = true;
    if (!CopyOriginal(DirectoryOf(m_path)))
        return false;
    LetOwnerRead(m_target, m_original);
    return true;
}

bool TAtomicFile::Write(std::string_view bytes)
{
    if (m_finished)
        return false;
    const TFileHandle& out = m_inPlace ? m_target : m_temp;
    m_touched = true;
    if (g_fault.step == TWriteStep::Write) {
        WriteAll(out, bytes.substr(0, bytes.size() / 2));
        return Fail(TWriteStep::Write, Injected(TWriteStep::Write));
    }
    if (const int error = WriteAll(out, bytes))
        return Fail(TWriteStep::Write, error);
    m_written += bytes.size();
    return true;
}

bool TAtomicFile::Commit(bool keepOriginal)
{
    if (m_finished)
        return false;
    if (m_inPlace)
        return CommitInPlace(keepOriginal);
    int error = Injected(TWriteStep::Sync);
    if (error || (error = SyncFile(m_temp)) || (error = m_temp.Close()))
        return Fail(TWriteStep::Sync, error);

    if (keepOriginal && m_targetExists && !KeepOriginal())
        return false;
    ReleaseExclusiveOpen(m_target);
    error = Injected(TWriteStep::Rename);
    if (error || (error = RenameReplacing(m_tempPath, m_path))) {
        if (!m_result.backupPath.empty()) {
            RemoveFile(m_result.backupPath);
            m_result.backupPath.clear();
        }
        return Fail(TWriteStep::Rename, error);
    }
    m_tempPath.clear();
    m_target.Close();
    m_finished = true;
    // Make the rename itself durable. The new file is in place by now and
    // the old one cannot be brought back, so a failure here changes nothing.
    SyncDirectoryOf(m_path);
    return true;
}

bool TAtomicFile::CommitInPlace(bool keepOriginal)
{
    if (const int error = TruncateFile(m_target, m_written))
        return Fail(TWriteStep::Write, error);
    int error = Injected(TWriteStep::Sync);
    if (error || (error = SyncFile(m_target)))
        return Fail(TWriteStep::Sync, error);
    m_target.Close();
    m_finished = true;
    if (keepOriginal)
        m_result.backupPath = m_copyPath;
    else
        RemoveFile(m_copyPath);
    return true;
}

// Writes the copied old bytes back over a file written in place. Where that
// fails too, the copy stays and the result names it.
void TAtomicFile::RestoreInPlace()
{
    m_finished = true;
    if (m_copyPath.empty())
        return;
    if (!m_touched) {
        RemoveFile(m_copyPath);
        return;
    }
    ReleaseExclusiveOpen(m_target);
    TFileHandle target, copy;
    TFileInfo copyInfo;
    if (OpenForWriting(m_path, target) == 0 && OpenForReading(m_copyPath, copy) == 0 &&
        GetInfo(copy, copyInfo) == 0 && CopyInto(copy, target) == 0 &&
        TruncateFile(target, copyInfo.size) == 0 && SyncFile(target) == 0) {
        copy.Close();
        RemoveFile(m_copyPath);
        return;
    }
    m_result.targetChanged = true;
    m_result.backupPath = m_copyPath;
}

// Gives the original a second name, ".bak" or the first free ".bakN", so
// that it survives the rename. A hard link keeps the path in place all the
// time; where the file system has no hard links, a flushed copy is made.
bool TAtomicFile::KeepOriginal()
{
    if (const int error = Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, error);
    const std::string directory = DirectoryOf(m_path);
    const std::string base = JoinPath(directory, NameWithRoom(m_path, directory, 10));
    for (int number = 1; number < 100000; ++number) {
        const std::string candidate = base + ".bak" + (number == 1 ? "" : std::to_string(number));
        int error = Injected(TWriteStep::BackupLink);
        if (!error && (error = HardLink(m_path, candidate)) == 0) {
            m_result.backupPath = candidate;
            return true;
        }
        if (error != EEXIST)
            break;
    }
    if (!CopyOriginal(directory))
        return false;
    m_result.backupPath = m_copyPath;
    return true;
}

// A flushed copy of the original named <name>.bak (or .bakN) in the folder,
// or in the user's state folder when the folder cannot take it.
bool TAtomicFile::CopyOriginal(const std::string& directory)
{
    if (const int error = Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, error);
    TFileHandle copy;
    const std::string beside = JoinPath(directory, NameWithRoom(m_path, directory, 10));
    int error = CreateBackupFile(beside, m_copyPath, copy);
    if (IsMissingRight(error)) {
        const std::string state = JoinPath(UserStateDirectory(), "tarvelo-editor");
        error = CreateDirectories(state);
        if (!error)
            error = CreateBackupFile(JoinPath(state, NameWithRoom(m_path, state, 10)), m_copyPath, copy);
    }
    if (error) {
        m_copyPath.clear();
        return Fail(TWriteStep::Backup, error);
    }
    bool ownerKept = false;
    if ((error = KeepOwnerAndMode(copy, m_target, m_original, ownerKept)) ||
        (error = CopyInto(m_target, copy)) || (error = copy.Close())) {
        RemoveFile(std::exchange(m_copyPath, {}));
        return Fail(TWriteStep::Backup, error);
    }
    SyncDirectoryOf(m_copyPath);
    return true;
}

TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes, bool keepOriginal)
{
    TAtomicFile file(path);
    if (file.Open() && file.Write(bytes))
        file.Commit(keepOriginal);
    return file.Result();
}
