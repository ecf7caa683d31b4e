#include "AtomicFile.h"

#include <atomic>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace {

struct TWriteFault {
    TWriteStep step = TWriteStep::None;
    int error = 0;
};

TWriteFault g_fault;
std::function<void(TWritePause)> g_pause;
int g_lockWaitMilliseconds = 10000;
int g_lockFault = 0;

// The injected error when the fault is for `step` (consuming it), else 0.
int Injected(TWriteStep step)
{
    if (g_fault.step != step || step == TWriteStep::None)
        return 0;
    return std::exchange(g_fault, {}).error;
}

void Pause(TWritePause moment)
{
    if (g_pause)
        g_pause(moment);
}

int TryLock(const TFileHandle& file, bool exclusive)
{
    if (g_lockFault)
        return g_lockFault;
    return exclusive ? TryLockExclusive(file) : TryLockShared(file);
}

// Locks the file unless a running save holds it; false only then. On a
// file system without locks (some network file systems) nothing is held.
bool LockUnlessHeld(const TFileHandle& file)
{
    return TryLock(file, true) != EWOULDBLOCK;
}

// The path of a file in the folder, as the user would give it.
std::string PathIn(const TFolder& folder, const std::string& name)
{
    return folder.path == "." ? name : JoinPath(folder.path, name);
}

// Errors of a folder that this user may not write to.
bool IsMissingRight(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Reads the whole open file in pieces, from its start, each piece also
// added to `hash`; `sink` may be empty.
int ReadAll(const TFileHandle& from, TContentHash& hash,
            const std::function<int(std::string_view)>& sink = {})
{
    char buffer[1 << 16];
    for (std::uint64_t offset = 0;;) {
        std::size_t got = 0;
        if (const int error = ReadAt(from, offset, buffer, sizeof buffer, got))
            return error;
        if (got == 0)
            return 0;
        const std::string_view piece(buffer, got);
        hash.Add(piece);
        if (sink) {
            if (const int error = sink(piece))
                return error;
        }
        offset += got;
    }
}

// Copies the whole file `from` into the open file `to`, flushed.
int CopyInto(const TFileHandle& from, const TFileHandle& to, TContentHash& hash)
{
    const int error = ReadAll(from, hash, [&](std::string_view piece) { return WriteAll(to, piece); });
    return error ? error : SyncFile(to);
}

// The name, cut so that `reserve` more bytes still fit the file system's
// limit on names in the folder.
std::string NameWithRoom(const std::string& name, const TFolder& folder, std::size_t reserve)
{
    const std::size_t limit = MaxFileNameLength(folder.path);
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

std::string TemporaryPrefix(const std::string& name, const TFolder& folder)
{
    return NameWithRoom(name, folder, kTemporarySuffixRoom) + ".tmp-";
}

std::string TemporaryName(const std::string& name, const TFolder& folder)
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[kTemporarySuffixRoom];
    std::snprintf(suffix, sizeof suffix, "%ld-%x%06llx", CurrentProcessId(), counter.fetch_add(1) & 0xFFu,
                  static_cast<unsigned long long>(now) & 0xFFFFFFull);
    return TemporaryPrefix(name, folder) + suffix;
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

// Backup copies of a write in place are named
// <name>.bak-<device>-<inode>-<length>-<checksum>, in hexadecimal.
constexpr std::size_t kCopySuffixRoom = 5 + 4 * 17;

struct TCopyName {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::uint64_t hash = 0;

    bool Names(const TFileInfo& target) const
    {
        return device == target.device && inode == target.inode;
    }
};

std::string CopyPrefix(const std::string& name, const TFolder& folder)
{
    return NameWithRoom(name, folder, kCopySuffixRoom) + ".bak-";
}

std::string CopyName(const std::string& name, const TFolder& folder, const TFileInfo& target,
                     const TContentHash& hash)
{
    char suffix[kCopySuffixRoom];
    std::snprintf(suffix, sizeof suffix, "%llx-%llx-%llx-%016llx",
                  static_cast<unsigned long long>(target.device),
                  static_cast<unsigned long long>(target.inode),
                  static_cast<unsigned long long>(hash.Size()), static_cast<unsigned long long>(hash.Value()));
    return CopyPrefix(name, folder) + suffix;
}

bool ParseCopySuffix(std::string_view suffix, TCopyName& copy)
{
    std::uint64_t* const fields[] = {&copy.device, &copy.inode, &copy.size, &copy.hash};
    const char* pos = suffix.data();
    const char* const end = pos + suffix.size();
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0 && (pos == end || *pos++ != '-'))
            return false;
        const auto [next, error] = std::from_chars(pos, end, *fields[i], 16);
        if (error != std::errc() || next == pos)
            return false;
        pos = next;
    }
    return pos == end;
}

// The first name of <base>.bak, <base>.bak2, ... that does not exist yet,
// created empty for this user alone.
int CreateBackupFile(const TFolder& folder, const std::string& base, std::string& name, TFileHandle& file)
{
    for (int number = 1; number < 100000; ++number) {
        name = base + ".bak" + (number == 1 ? "" : std::to_string(number));
        const int error = CreateNewFileAt(folder, name, true, file);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

// Where backup copies go when the file's folder takes none; empty when
// this user has no state folder.
std::string StateFolderPath()
{
    const std::string home = UserStateDirectory();
    return home.empty() ? home : JoinPath(home, "tarvelo-editor");
}

// The state folder, made where missing when `create`; it must belong to
// this user alone.
int OpenStateFolder(TFolder& folder, bool create)
{
    const std::string state = StateFolderPath();
    if (state.empty())
        return ENOENT;
    if (create) {
        if (const int error = CreateDirectories(state))
            return error;
    }
    if (const int error = OpenFolder(state, folder))
        return error;
    TFileInfo info;
    if (folder.handle.IsOpen() &&
        (GetInfo(folder.handle, info) != 0 || !IsOwnPrivateFile(folder.handle, info)))
        return EACCES;
    return 0;
}

// A backup copy found in a folder, open and locked.
struct TFoundCopy {
    std::string name;
    TFileHandle file;
    TCopyName parsed;
};

// Opens the file of a copy's name when it is a regular file of this user
// alone that no running save holds, and locks it.
bool OpenUnheldCopy(const TFolder& folder, const std::string& name, TFileHandle& file, TFileInfo& info)
{
    return OpenForReadingAt(folder, name, file) == 0 && GetInfo(file, info) == 0 &&
           info.kind == TFileKind::Regular && IsOwnPrivateFile(file, info) && LockUnlessHeld(file);
}

// Calls `found` for each copy of the file `name` in the folder that no
// running save holds; it returns true to stop.
void ForEachCopy(const TFolder& folder, const std::string& name,
                 const std::function<bool(TFoundCopy&, const TFileInfo&)>& found)
{
    const std::string prefix = CopyPrefix(name, folder);
    for (const std::string& candidate : FileNamesIn(folder)) {
        TFoundCopy copy;
        TFileInfo info;
        if (candidate.compare(0, prefix.size(), prefix) != 0 ||
            !ParseCopySuffix(std::string_view(candidate).substr(prefix.size()), copy.parsed) ||
            !OpenUnheldCopy(folder, candidate, copy.file, info))
            continue;
        copy.name = candidate;
        if (found(copy, info))
            return;
    }
}

// Whether the copy holds exactly the bytes its name promises.
bool IsCompleteCopy(const TFoundCopy& copy, const TFileInfo& info, TContentHash& hash)
{
    hash = {};
    return info.size == copy.parsed.size && ReadAll(copy.file, hash) == 0 &&
           hash.Size() == copy.parsed.size && hash.Value() == copy.parsed.hash;
}

// Whether the open file holds exactly the bytes of the copy still: its save
// ended before it wrote anything, and the copy is of no more use.
bool HoldsCopiedBytes(const TFileHandle& target, const TCopyName& copy)
{
    TFileInfo info;
    TContentHash hash;
    return GetInfo(target, info) == 0 && copy.Names(info) && info.size == copy.size &&
           ReadAll(target, hash) == 0 && hash.Size() == copy.size && hash.Value() == copy.hash;
}

// Whether the open target may be what a save in place that was killed half
// way made of the bytes in the copy. Such a save writes over them from the
// start and cuts the file to its new length only once done, so the file is
// at least as long; and the file was there before the copy (a file made
// since merely got the number of the one that the copy was made of).
bool MayBeCutShortFrom(const TFoundCopy& copy, const TFileHandle& target, const TFileInfo& info)
{
    if (!copy.parsed.Names(info) || info.size < copy.parsed.size)
        return false;
    const std::uint64_t targetBorn = BirthTime(target);
    const std::uint64_t copyBorn = BirthTime(copy.file);
    return targetBorn == 0 || copyBorn == 0 || targetBorn <= copyBorn;
}

// The complete copy of the open target in the folder that no running save
// holds and that a killed save left of it, kept open and locked.
bool FindCompleteCopy(const TFolder& folder, const std::string& name, const TFileHandle& target,
                      TFoundCopy& result, TContentHash& hash)
{
    TFileInfo info;
    if (GetInfo(target, info) != 0)
        return false;
    bool any = false;
    ForEachCopy(folder, name, [&](TFoundCopy& copy, const TFileInfo& copyInfo) {
        if (!MayBeCutShortFrom(copy, target, info) || !IsCompleteCopy(copy, copyInfo, hash) ||
            HoldsCopiedBytes(target, copy.parsed))
            return false;
        result = std::move(copy);
        return any = true;
    });
    return any;
}

// Removes the copies in the folder that no running save holds: every copy
// of the file `ended` once a save of it ended; else those never finished
// and those whose bytes the open `target` still holds.
void RemoveCopies(const TFolder& folder, const std::string& name, const TFileInfo* ended,
                  const TFileHandle* target)
{
    ForEachCopy(folder, name, [&](TFoundCopy& copy, const TFileInfo& info) {
        if (ended ? copy.parsed.Names(*ended)
                  : info.size < copy.parsed.size || (target && HoldsCopiedBytes(*target, copy.parsed)))
            RemoveAt(folder, copy.name);
        return false;
    });
}

void RemoveStaleTemporaries(const TFolder& folder, const std::string& name)
{
    const std::string prefix = TemporaryPrefix(name, folder);
    for (const std::string& candidate : FileNamesIn(folder)) {
        if (candidate.compare(0, prefix.size(), prefix) != 0)
            continue;
        const long writer = WriterOfTemporary(std::string_view(candidate).substr(prefix.size()));
        if (writer == 0 || ProcessExists(writer))
            continue;
        // A save that runs holds the lock on its temporary file, whatever
        // its process id looks like from here.
        TFileHandle file;
        TFileInfo info;
        if (OpenForReadingAt(folder, candidate, file) == 0 && GetInfo(file, info) == 0 &&
            info.kind == TFileKind::Regular && LockUnlessHeld(file))
            RemoveAt(folder, candidate);
    }
}

// Removes what killed saves of the file `name` (open as `target`, if at
// all) left in its folder and in the state folder; with `ended`, also every
// copy of that file.
void RemoveLeftovers(const TFolder& folder, const std::string& name, const TFileHandle* target,
                     const TFileInfo* ended = nullptr)
{
    RemoveStaleTemporaries(folder, name);
    RemoveCopies(folder, name, ended, target);
    TFolder state;
    if (OpenStateFolder(state, false) == 0) {
        RemoveStaleTemporaries(state, name);
        RemoveCopies(state, name, ended, target);
    }
}

// Adds each piece read to the bytes.
std::function<int(std::string_view)> Appender(std::string& bytes)
{
    return [&bytes](std::string_view piece) {
        bytes += piece;
        return 0;
    };
}

// The copy that FindInterruptedSave names, open and locked, with the
// checksum of its bytes; the path, or empty.
std::string FindCopyOfKilledSave(const TFileHandle& file, const std::string& path, TFoundCopy& copy,
                                 TContentHash& hash)
{
    TFolder folder;
    std::string name;
    if (LocateFile(file, path, folder, name) != 0)
        return {};
    if (FindCompleteCopy(folder, name, file, copy, hash))
        return PathIn(folder, copy.name);
    TFolder state;
    if (OpenStateFolder(state, false) == 0 && FindCompleteCopy(state, name, file, copy, hash))
        return PathIn(state, copy.name);
    return {};
}

void RemoveByPath(const std::string& path)
{
    TFolder folder;
    if (OpenFolder(DirectoryOf(path), folder) == 0)
        RemoveAt(folder, FileNameOf(path));
}

} // namespace

void SetWriteFaultForTesting(TWriteStep step, int error)
{
    g_fault = {step, error};
}

void SetWritePauseForTesting(std::function<void(TWritePause)> pause)
{
    g_pause = std::move(pause);
}

void SetLockWaitForTesting(int milliseconds)
{
    g_lockWaitMilliseconds = milliseconds;
}

void SetLockFaultForTesting(int error)
{
    g_lockFault = error;
}

void TContentHash::Add(std::string_view bytes)
{
    std::uint64_t value = m_value;
    for (const char c : bytes)
        value = (value ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    m_value = value;
    m_size += bytes.size();
}

TContentHash HashOf(std::string_view bytes)
{
    TContentHash hash;
    hash.Add(bytes);
    return hash;
}

namespace {

std::uint64_t Mixed(std::uint64_t value, std::uint64_t word)
{
    value = (value ^ word) * 0x9E3779B97F4A7C15ull;
    return value ^ value >> 29;
}

// Eight bytes in the order `TQuickHash::Add` puts single ones together.
std::uint64_t WordAt(const unsigned char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = __builtin_bswap64(word);
    return word;
}

} // namespace

void TQuickHash::Add(std::string_view bytes)
{
    const auto* next = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = next + bytes.size();
    // Bytes go into words in the order read, whatever pieces they came in;
    // word k goes into lane k % kLanes, so that the lanes' work overlaps.
    const auto take = [&] {
        m_pending |= std::uint64_t(*next++) << (8 * (m_size % 8));
        if (++m_size % 8 == 0) {
            std::uint64_t& lane = m_lanes[(m_size / 8 - 1) % kLanes];
            lane = Mixed(lane, m_pending);
            m_pending = 0;
        }
    };
    while (next != end && m_size % (8 * kLanes) != 0)
        take();
    for (; end - next >= 8 * kLanes; next += 8 * kLanes, m_size += 8 * kLanes)
        for (std::size_t lane = 0; lane < kLanes; ++lane)
            m_lanes[lane] = Mixed(m_lanes[lane], WordAt(next + 8 * lane));
    while (next != end)
        take();
}

TQuickHash QuickHashOf(std::string_view bytes)
{
    TQuickHash hash;
    hash.Add(bytes);
    return hash;
}

int LockWhenFree(const TFileHandle& file, bool exclusive)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(g_lockWaitMilliseconds);
    for (auto delay = milliseconds(2);; delay = std::min(delay * 2, milliseconds(100))) {
        const int error = TryLock(file, exclusive);
        // File systems without locks still save: only a held lock counts.
        if (error != EWOULDBLOCK || steady_clock::now() >= deadline)
            return error == EWOULDBLOCK ? error : 0;
        std::this_thread::sleep_for(delay);
    }
}

void RemoveStaleTemporaryFiles(const std::string& path)
{
    TFolder folder;
    TFileHandle target;
    if (OpenFolder(DirectoryOf(path), folder) == 0)
        RemoveLeftovers(folder, FileNameOf(path), OpenForReading(path, target) == 0 ? &target : nullptr);
}

std::string FindInterruptedSave(const TFileHandle& file, const std::string& path)
{
    TFoundCopy copy;
    TContentHash hash;
    return FindCopyOfKilledSave(file, path, copy, hash);
}

TWriteResult RestoreInterruptedSave(const std::string& path, const std::string& copyPath)
{
    // The save takes the copy as its own backup and removes it at the end.
    TAtomicFile file(path);
    if (!file.Open())
        return file.Result();
    // Under the file's lock, so that no save ends meanwhile.
    std::string bytes;
    if (file.ReadInterruptedSave(bytes) != copyPath) {
        TWriteResult refused;
        refused.failedStep = TWriteStep::Target;
        refused.error = kErrorNameChanged;
        refused.targetKind = TFileKind::Regular;
        return refused;
    }
    if (file.Write(bytes))
        file.Commit(false);
    return file.Result();
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
    if (!m_tempName.empty()) {
        RemoveAt(m_folder, m_tempName);
        m_tempName.clear();
    }
}

std::string TAtomicFile::CopyPath() const
{
    return PathIn(m_copyInStateFolder ? m_stateFolder : m_folder, m_copyName);
}

void TAtomicFile::RemoveCopy()
{
    m_copy.Close();
    if (!m_copyName.empty())
        RemoveAt(m_copyInStateFolder ? m_stateFolder : m_folder, std::exchange(m_copyName, {}));
}

bool TAtomicFile::Open()
{
    // An empty path names no file; the temporary file would be made in the
    // working folder and could never be renamed to it.
    if (m_path.empty())
        return Fail(TWriteStep::Create, ENOENT);
    if (!OpenTarget())
        return false;
    Pause(TWritePause::Locked);
    RemoveLeftovers(m_folder, m_name, m_targetExists ? &m_target : nullptr);
    if (CreateTemporary())
        return true;
    return m_result.failedStep == TWriteStep::None && PrepareInPlace();
}

// Opens the existing target for writing, which also tells whether it may
// be written, and locks it. The lock belongs to the file; if another save
// renamed a new file over the name meanwhile, the new one is locked
// instead.
bool TAtomicFile::OpenTarget()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The kind first, so that a device or FIFO is refused unopened.
        TFileInfo named;
        if (const int error = GetInfo(m_path, named))
            return Fail(TWriteStep::Create, error);
        m_result.targetKind = named.kind;
        if (named.kind == TFileKind::Directory)
            return Fail(TWriteStep::Target, EISDIR);
        if (named.kind == TFileKind::Missing) {
            TFileInfo atName;
            if (!OpenFolderOfNewFile(atName))
                return false;
            if (atName.kind == TFileKind::Regular)
                continue; // created meanwhile
            // A symbolic link that points nowhere is refused, not followed.
            return atName.kind == TFileKind::Missing || Fail(TWriteStep::Target, ENOENT);
        }
        if (named.kind != TFileKind::Regular)
            return Fail(TWriteStep::Target, 0);

        TFileHandle target;
        int error = OpenForWriting(m_path, target);
        if (error == ENOENT)
            continue;
        TFileInfo opened;
        if (error || (error = GetInfo(target, opened)))
            return Fail(TWriteStep::Create, error);
        m_result.targetKind = opened.kind;
        if (opened.kind != TFileKind::Regular)
            return Fail(TWriteStep::Target, 0);
        error = Injected(TWriteStep::Lock);
        if (error || (error = LockWhenFree(target, true)))
            return Fail(TWriteStep::Lock, error);
        error = LocateFile(target, m_path, m_folder, m_name);
        if (error == kErrorNameChanged)
            continue;
        // As it is once the save that held the lock is done with it.
        if (error || (error = GetInfo(target, opened)))
            return Fail(TWriteStep::Create, error);
        m_original = opened;
        m_target = std::move(target);
        m_targetExists = true;
        return true;
    }
    return Fail(TWriteStep::Lock, EWOULDBLOCK);
}

// For a target that does not exist yet: holds its folder open and tells
// what stands at its name there now, without following a link.
bool TAtomicFile::OpenFolderOfNewFile(TFileInfo& atName)
{
    m_name = FileNameOf(m_path);
    if (m_name.empty() || m_name == "." || m_name == "..")
        return Fail(TWriteStep::Create, ENOENT);
    int error = OpenFolder(DirectoryOf(m_path), m_folder);
    if (error || (error = GetInfoAt(m_folder, m_name, atName)))
        return Fail(TWriteStep::Create, error);
    return true;
}

bool TAtomicFile::NameStillNamesTarget() const
{
    TFileInfo named;
    return GetInfoAt(m_folder, m_name, named) == 0 && named.kind == TFileKind::Regular &&
           named.SameFileAs(m_original);
}

int TAtomicFile::ReadCurrent(std::string& bytes, std::uint64_t maxBytes) const
{
    bytes.clear();
    if (!m_targetExists)
        return 0;
    TFileInfo now;
    if (const int error = GetInfo(m_target, now))
        return error;
    if (now.size > maxBytes)
        return EFBIG;
    bytes.reserve(static_cast<std::size_t>(now.size));
    TContentHash ignored;
    const int error = ReadAll(m_target, ignored, [&](std::string_view piece) {
        if (bytes.size() + piece.size() > maxBytes)
            return EFBIG;
        bytes += piece;
        return 0;
    });
    if (error)
        bytes.clear();
    return error;
}

std::string TAtomicFile::InterruptedSave() const
{
    // A write in place has taken that copy as its own by now.
    if (m_copyReused)
        return CopyPath();
    return m_targetExists ? FindInterruptedSave(m_target, m_path) : std::string();
}

std::string TAtomicFile::ReadInterruptedSave(std::string& bytes) const
{
    bytes.clear();
    TFoundCopy found;
    TContentHash expected;
    std::string copy;
    // A copy that this save took over is held open and locked already.
    if (m_copyReused) {
        copy = CopyPath();
        expected = m_copyHash;
    } else if (m_targetExists) {
        copy = FindCopyOfKilledSave(m_target, m_path, found, expected);
    }
    TContentHash read;
    if (!copy.empty() && ReadAll(m_copyReused ? m_copy : found.file, read, Appender(bytes)) == 0 &&
        read == expected)
        return copy;
    bytes.clear();
    return {};
}

// The temporary file for the rename. False without a failure when the file
// is to be written in place instead.
bool TAtomicFile::CreateTemporary()
{
    if (m_targetExists && m_original.links > 1)
        return false;
    for (int attempt = 0; attempt < 100 && !m_temp.IsOpen(); ++attempt) {
        const std::string candidate = TemporaryName(m_name, m_folder);
        int error = Injected(TWriteStep::Create);
        // Nobody else may open it before it has the target's mode.
        if (!error)
            error = CreateNewFileAt(m_folder, candidate, m_targetExists, m_temp);
        if (error == 0)
            m_tempName = candidate;
        else if (m_targetExists && IsMissingRight(error))
            return false;
        else if (error != EEXIST)
            return Fail(TWriteStep::Create, error);
    }
    if (!m_temp.IsOpen())
        return Fail(TWriteStep::Create, EEXIST);
    // Tells the cleanup of leftovers that this file is in use.
    TryLock(m_temp, true);
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

// Keeps a flushed copy of the old bytes before they are overwritten: the
// copy that a killed save of this file left, which holds its last complete
// bytes, or a new one beside it or in the state folder.
bool TAtomicFile::PrepareInPlace()
{
    m_inPlace = true;
    if (const int error = Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, error);
    const auto makeCopy = [this](TFolder& folder, int& refused) {
        m_copyInStateFolder = &folder == &m_stateFolder;
        return MakeCopy(folder, refused);
    };
    if (!TakeOverLeftCopy() && !BackUpInFolderOrStateFolder(m_stateFolder, makeCopy))
        return false;
    LetOwnerRead(m_target, m_original);
    return true;
}

// Takes the copy that a killed save of the target left as this save's own.
bool TAtomicFile::TakeOverLeftCopy()
{
    TFoundCopy left;
    if (FindCompleteCopy(m_folder, m_name, m_target, left, m_copyHash)) {
        m_copyInStateFolder = false;
    } else if (OpenStateFolder(m_stateFolder, false) == 0 &&
               FindCompleteCopy(m_stateFolder, m_name, m_target, left, m_copyHash)) {
        m_copyInStateFolder = true;
    } else {
        return false;
    }
    m_copyName = std::move(left.name);
    m_copy = std::move(left.file);
    return m_copyReused = true;
}

// Makes a backup with `make` in the target's folder or, where that folder
// refuses it, in the state folder (opened as `state`). Where both refuse,
// the save fails at Backup, naming both.
bool TAtomicFile::BackUpInFolderOrStateFolder(TFolder& state, const std::function<bool(TFolder&, int&)>& make)
{
    int refused = 0;
    if (make(m_folder, refused) || !refused)
        return m_result.failedStep == TWriteStep::None;
    m_result.backupFolders.push_back(m_folder.path);
    if ((refused = OpenStateFolder(state, true)) == 0 && (make(state, refused) || !refused))
        return m_result.failedStep == TWriteStep::None;
    if (!StateFolderPath().empty())
        m_result.backupFolders.push_back(StateFolderPath());
    return Fail(TWriteStep::Backup, refused);
}

// A copy of the target in the folder, named after its checksum, which is
// worked out first; the checksum of the bytes copied must match it. False
// with `refused` set when the folder may not take it.
bool TAtomicFile::MakeCopy(TFolder& folder, int& refused)
{
    TContentHash expected;
    if (const int error = ReadAll(m_target, expected))
        return Fail(TWriteStep::Backup, error);
    m_copyName = CopyName(m_name, folder, m_original, expected);
    int error = CreateNewFileAt(folder, m_copyName, true, m_copy);
    if (error == EEXIST) {
        // An unfinished copy of the same bytes that no running save holds.
        RemoveCopies(folder, m_name, &m_original, nullptr);
        error = CreateNewFileAt(folder, m_copyName, true, m_copy);
    }
    if (error) {
        m_copyName.clear();
        // A name that someone else took (with a FIFO, a folder) sends the
        // copy to the state folder, as a folder without rights does.
        if (!IsMissingRight(error) && error != EEXIST)
            return Fail(TWriteStep::Backup, error);
        refused = error;
        return false;
    }
    // Tells the cleanup and other programs that this copy is in use.
    TryLock(m_copy, true);
    m_copyHash = {};
    if ((error = CopyInto(m_target, m_copy, m_copyHash)) || !(m_copyHash == expected)) {
        RemoveCopy();
        return Fail(TWriteStep::Backup, error ? error : EIO);
    }
    SyncFolder(folder);
    return true;
}

bool TAtomicFile::Write(std::string_view bytes)
{
    if (m_finished)
        return false;
    if (!m_touched && !BeginWriting())
        return false;
    const TFileHandle& out = m_inPlace ? m_target : m_temp;
    m_touched = true;
    if (g_fault.step == TWriteStep::Write) {
        WriteAll(out, bytes.substr(0, bytes.size() / 2));
        return Fail(TWriteStep::Write, Injected(TWriteStep::Write));
    }
    if (const int error = WriteAll(out, bytes))
        return Fail(TWriteStep::Write, error);
    m_written.Add(bytes);
    return true;
}

// Before the first byte goes out: a write in place goes into the file
// opened only while its name still names it.
bool TAtomicFile::BeginWriting()
{
    Pause(TWritePause::BeforeWrite);
    if (m_inPlace && !NameStillNamesTarget())
        return Fail(TWriteStep::Write, kErrorNameChanged);
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
    Pause(TWritePause::BeforeRename);
    error = Injected(TWriteStep::Rename);
    if (!error && m_targetExists && !NameStillNamesTarget())
        error = kErrorNameChanged;
    // A new file replaces nothing that another program created meanwhile.
    if (error || (error = RenameAt(m_folder, m_tempName, m_name, m_targetExists))) {
        if (!m_result.backupPath.empty())
            RemoveByPath(std::exchange(m_result.backupPath, {}));
        return Fail(TWriteStep::Rename, error);
    }
    m_tempName.clear();
    m_finished = true;
    // Make the rename itself durable. The new file is in place by now and
    // the old one cannot be brought back, so a failure here changes nothing.
    SyncFolder(m_folder);
    if (m_targetExists)
        RemoveLeftovers(m_folder, m_name, nullptr, &m_original);
    m_target.Close();
    return true;
}

bool TAtomicFile::CommitInPlace(bool keepOriginal)
{
    if (!m_touched && !BeginWriting())
        return false;
    m_touched = true;
    if (const int error = TruncateFile(m_target, m_written.Size()))
        return Fail(TWriteStep::Write, error);
    int error = Injected(TWriteStep::Sync);
    if (error || (error = SyncFile(m_target)))
        return Fail(TWriteStep::Sync, error);
    m_finished = true;
    if (!keepOriginal || !HandOverCopy())
        RemoveCopy();
    RemoveLeftovers(m_folder, m_name, nullptr, &m_original);
    m_target.Close();
    return true;
}

// Keeps the copy of a write in place as <name>.bak (or .bakN), with the
// original's owner and mode now that the save no longer needs it.
bool TAtomicFile::HandOverCopy()
{
    TFolder& folder = m_copyInStateFolder ? m_stateFolder : m_folder;
    bool ownerKept = false;
    KeepOwnerAndMode(m_copy, m_target, m_original, ownerKept);
    m_copy.Close();
    const std::string base = NameWithRoom(m_name, folder, 10);
    for (int number = 1; number < 100000; ++number) {
        const std::string kept = base + ".bak" + (number == 1 ? "" : std::to_string(number));
        const int error = RenameAt(folder, m_copyName, kept, false);
        if (error == 0) {
            m_copyName.clear();
            m_result.backupPath = PathIn(folder, kept);
            SyncFolder(folder);
            return true;
        }
        if (error != EEXIST)
            break;
    }
    return false;
}

// Writes the copied old bytes back into the file opened, once the copy is
// found to hold them still. Where that fails, the copy stays and the result
// names it.
void TAtomicFile::RestoreInPlace()
{
    m_finished = true;
    if (m_copyName.empty())
        return;
    if (!m_touched) {
        // A copy that a killed save left still stands for the file.
        if (m_copyReused)
            m_copy.Close();
        else
            RemoveCopy();
        return;
    }
    Pause(TWritePause::BeforeRestore);
    // The copy is checked in full before a byte of it goes back.
    std::uint64_t offset = 0;
    const auto putBack = [&](std::string_view piece) {
        const int error = WriteAt(m_target, offset, piece);
        offset += piece.size();
        return error;
    };
    TContentHash checked;
    TContentHash copied;
    if (ReadAll(m_copy, checked) == 0 && checked == m_copyHash && ReadAll(m_copy, copied, putBack) == 0 &&
        copied == m_copyHash && TruncateFile(m_target, offset) == 0 && SyncFile(m_target) == 0) {
        RemoveCopy();
        return;
    }
    m_copy.Close();
    m_result.targetChanged = true;
    m_result.backupPath = CopyPath();
}

// Gives the original a second name, ".bak" or the first free ".bakN", so
// that it survives the rename. A hard link keeps the path in place all the
// time; where the file system has no hard links, a flushed copy is made.
bool TAtomicFile::KeepOriginal()
{
    if (const int error = Injected(TWriteStep::Backup))
        return Fail(TWriteStep::Backup, error);
    const std::string base = NameWithRoom(m_name, m_folder, 10);
    for (int number = 1; number < 100000; ++number) {
        const std::string candidate = base + ".bak" + (number == 1 ? "" : std::to_string(number));
        int error = Injected(TWriteStep::BackupLink);
        if (!error && (error = LinkAt(m_folder, m_name, candidate)) == 0) {
            TFileInfo linked;
            if (GetInfoAt(m_folder, candidate, linked) != 0 || !linked.SameFileAs(m_original)) {
                RemoveAt(m_folder, candidate);
                return Fail(TWriteStep::Backup, kErrorNameChanged);
            }
            m_result.backupPath = PathIn(m_folder, candidate);
            return true;
        }
        if (error != EEXIST)
            break;
    }
    TFolder state;
    return BackUpInFolderOrStateFolder(state, [this](TFolder& folder, int& refused) {
        return CopyOriginal(folder, refused);
    });
}

// A flushed copy of the original named <name>.bak (or .bakN) in the folder,
// given the original's owner and mode once complete. False with `refused`
// set when the folder may not take it.
bool TAtomicFile::CopyOriginal(TFolder& folder, int& refused)
{
    TFileHandle copy;
    std::string name;
    int error = CreateBackupFile(folder, NameWithRoom(m_name, folder, 10), name, copy);
    if (error && IsMissingRight(error)) {
        refused = error;
        return false;
    }
    if (error)
        return Fail(TWriteStep::Backup, error);
    bool ownerKept = false;
    TContentHash copied;
    if ((error = CopyInto(m_target, copy, copied)) ||
        (error = KeepOwnerAndMode(copy, m_target, m_original, ownerKept)) || (error = copy.Close())) {
        RemoveAt(folder, name);
        return Fail(TWriteStep::Backup, error);
    }
    SyncFolder(folder);
    m_result.backupPath = PathIn(folder, name);
    return true;
}

TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes, bool keepOriginal)
{
    TAtomicFile file(path);
    if (file.Open() && file.Write(bytes))
        file.Commit(keepOriginal);
    return file.Result();
}
