#pragma once

#include "FileSystem.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Replaces a file crash-safely. Normally the new bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is
// then renamed over the target, so that at every moment the path holds
// either the whole old file or the whole new one.
//
// The target is opened once, by its path (the system follows a symbolic
// link there and applies its own rules to it), and from then on the save
// works on what was opened: the folder that holds it is held open, every
// further name is taken relative to that folder, and right before the
// rename, and before bytes go into the file itself, the name is checked to
// still name the file opened (device and inode). A name that names another
// file by now is refused, never written through.
//
// Where a rename would fail or change more than the bytes (the folder is
// not writable, the file has other hard links, or its owner could not be
// kept), the file is written in place instead, after a flushed backup copy
// of the old bytes beside it, or in the user's state folder when the folder
// is not writable. The copy belongs to this user alone while the save runs,
// and is named after the file's device, inode, length and checksum
// (<name>.bak-<device>-<inode>-<length>-<checksum>), so that a copy that a
// killed save left behind tells which file it belongs to and whether it is
// complete. A write in place that fails puts the old bytes back into the
// file opened, after checking the copy against its checksum; the copy is
// removed once the new bytes are safe. A copy that a killed save left stays
// until the file is restored from it or saved again.
//
// Only a regular file is replaced, and only one that may be written:
// devices, FIFOs, folders, dangling symbolic links and read-only files are
// refused. A symbolic link is followed and stays a link.
//
// While a save runs, the existing target is held under an advisory lock,
// from Open (before its bytes are read with ReadCurrent) to the end of
// Commit. A second save waits up to ten seconds for it and then fails at
// Open; programs that do not lock (Tarvelo) are not affected. The lock lives
// on the file itself, so that no lock file is left in the folder and a
// killed process never leaves a stale lock behind. On a file system without
// locks (some network file systems) saves go on unlocked, and copies and
// temporary files count as held by no running save. A target that does not
// exist yet is created only if no other program has created it meanwhile.
// On Windows the target is instead opened for this save alone: while any
// other program has it open, the save fails at Open (Create), and no
// program can open, rename or delete it until the save is done (it is let
// go just before the rename, which Windows refuses over an open file).
// Windows names files in a folder only by path, so there the name is
// checked right before the rename, but nothing stops it from changing in
// the moment between check and rename. Temporary files that a killed save
// left behind are removed by the next save or load.

// The steps of a save, for error reports and for failure injection.
enum class TWriteStep {
    None,
    Target, // the target is no regular file, or a link that points nowhere
    Lock,   // another editor holds the target's lock
    Create, // the target cannot be written, or no temporary file be created
    Write,  // writing the bytes failed (disk full, short write, I/O error)
    Sync,   // fsync or close of the new bytes failed
    Backup, // the original could not be kept under a ".bak" name
    BackupLink, // only the hard link for the backup is refused: a copy is made
    Rename, // the temporary file could not be renamed over the target
};

// Makes the next save fail at `step` with errno `error`, as if the system
// had refused it. A Write fault writes the first half of the bytes before it
// fails. A Create fault hits the temporary file, so that a save over an
// existing file goes on in place when the error is one of missing rights.
// Consumed by the save that hits it; None clears it. For tests only.
void SetWriteFaultForTesting(TWriteStep step, int error);

// Moments of a save at which a test may step in, to change the file or its
// name meanwhile or to let another process run.
enum class TWritePause { Locked, BeforeWrite, BeforeRename, BeforeRestore };
// Calls `pause` at each of those moments of every save; empty clears it.
// For tests only.
void SetWritePauseForTesting(std::function<void(TWritePause)> pause);
// How long a save waits for another one's lock (ten seconds unless set).
// For tests only.
void SetLockWaitForTesting(int milliseconds);
// Makes every advisory lock of saves and loads fail with `error` (ENOLCK,
// as on a file system without locks); 0 clears it. For tests only.
void SetLockFaultForTesting(int error);

// A checksum of bytes and their number, to tell whether a file still holds
// what was read or written (64-bit FNV-1a; no protection against a forger).
class TContentHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const { return m_value; }
    std::uint64_t Size() const { return m_size; }
    bool operator==(const TContentHash&) const = default;

private:
    std::uint64_t m_value = 0xCBF29CE484222325ull;
    std::uint64_t m_size = 0;
};

TContentHash HashOf(std::string_view bytes);

// A hash of bytes and their number, to notice that a file changed since it
// was read or written. It takes eight bytes a step and so keeps pace with
// reading a large file, where TContentHash, one byte a step, would not;
// unlike that one it is never stored, so it may differ between builds.
class TQuickHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Size() const { return m_size; }
    bool operator==(const TQuickHash&) const = default;

private:
    static constexpr std::size_t kLanes = 4;
    std::array<std::uint64_t, kLanes> m_lanes{};
    std::uint64_t m_size = 0;
    std::uint64_t m_pending = 0; // the bytes of a word not yet complete
};

TQuickHash QuickHashOf(std::string_view bytes);

// How a crash-safe write ended.
struct TWriteResult {
    TWriteStep failedStep = TWriteStep::None;
    int error = 0; // errno of the failed step; 0 for a Target of the wrong kind
    TFileKind targetKind = TFileKind::Missing; // what lies at the target
    // Where the original was kept: by request, or after a write in place
    // whose old bytes could not be put back. Empty otherwise.
    std::string backupPath;
    // The folders in which a backup copy could not be made, for a Backup
    // failure.
    std::vector<std::string> backupFolders;
    bool targetChanged = false; // a write in place failed and left new bytes
    bool Ok() const { return failedStep == TWriteStep::None; }
};

class TAtomicFile {
public:
    explicit TAtomicFile(std::string path);
    // Removes the temporary file unless committed, or puts the old bytes
    // back after an unfinished write in place.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Opens, checks and locks the target and makes ready to write: a
    // temporary file next to it (mode, owner and group of the target, or
    // the defaults for a new file), or the backup copy for a write in
    // place. False on failure, with FailedStep Target, Lock, Create or
    // Backup.
    bool Open();
    // What the target holds now, read through the locked file (nothing for
    // a new one); between Open and the first Write. 0, EFBIG beyond
    // maxBytes, or the error of reading.
    int ReadCurrent(std::string& bytes, std::uint64_t maxBytes) const;
    // The copy that an interrupted save of the target left, or empty (see
    // FindInterruptedSave); after Open.
    std::string InterruptedSave() const;
    // That copy and its bytes, once they are found to be what its name
    // says; empty (and no bytes) otherwise.
    std::string ReadInterruptedSave(std::string& bytes) const;
    // Appends bytes; may be called many times.
    bool Write(std::string_view bytes);
    // Flushes the bytes, optionally keeps the existing target as
    // BackupPath(), puts the new file in place and flushes the folder. False
    // on failure: the target is then as it was (unless Result().targetChanged),
    // and no temporary file remains.
    bool Commit(bool keepOriginal);

    bool TargetExists() const { return m_targetExists; }
    // What the target was when opened.
    const TFileInfo& Original() const { return m_original; }
    // The bytes written so far.
    const TQuickHash& Written() const { return m_written; }
    bool WritesInPlace() const { return m_inPlace; }
    TWriteStep FailedStep() const { return m_result.failedStep; }
    const std::string& BackupPath() const { return m_result.backupPath; }
    const TWriteResult& Result() const { return m_result; }

private:
    bool Fail(TWriteStep step, int error);
    bool OpenTarget();
    bool OpenFolderOfNewFile(TFileInfo& atName);
    bool NameStillNamesTarget() const;
    bool BeginWriting();
    bool CreateTemporary();
    bool PrepareInPlace();
    bool TakeOverLeftCopy();
    bool BackUpInFolderOrStateFolder(TFolder& state, const std::function<bool(TFolder&, int&)>& make);
    bool CommitInPlace(bool keepOriginal);
    bool KeepOriginal();
    bool CopyOriginal(TFolder& folder, int& refused);
    bool MakeCopy(TFolder& folder, int& refused);
    bool HandOverCopy();
    void RestoreInPlace();
    void RemoveCopy();
    void RemoveTemporary();
    std::string CopyPath() const;

    std::string m_path;
    TFolder m_folder; // the folder that holds the target
    std::string m_name; // the target's name in it
    std::string m_tempName;
    TFileHandle m_target; // open for writing and locked while the save runs
    TFileHandle m_temp;
    TFileInfo m_original;
    // The backup copy of a write in place, in m_folder or the state folder.
    TFolder m_stateFolder;
    bool m_copyInStateFolder = false;
    std::string m_copyName;
    TFileHandle m_copy;
    TContentHash m_copyHash;
    bool m_copyReused = false; // the copy that a killed save left
    bool m_targetExists = false;
    bool m_inPlace = false;
    bool m_finished = false;
    bool m_touched = false; // bytes went to the target or the temporary file
    TQuickHash m_written;
    TWriteResult m_result;
};

// Replaces the file at path with bytes crash-safely (Open, Write, Commit).
// Every file the programs write goes through here or through TAtomicFile.
TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes,
                                bool keepOriginal = false);

// Removes what saves of path by processes that no longer run have left in
// its folder and in the state folder: temporary files, and backup copies
// that were never finished.
void RemoveStaleTemporaryFiles(const std::string& path);

// Takes the advisory lock of the open file, waiting as a save waits for
// another save; EWOULDBLOCK when it stays taken.
int LockWhenFree(const TFileHandle& file, bool exclusive);

// The backup copy that a write in place of the open file left when its
// process was killed, or empty: a complete copy (length and checksum as its
// name says) that belongs to this user alone and that no running save
// holds, beside the file or in the state folder. Its file then presumably
// holds a part of the new bytes only.
std::string FindInterruptedSave(const TFileHandle& file, const std::string& path);

// Puts the bytes of such a copy back over the file at path, crash-safely,
// after checking it once more; the copy is removed once that is done. A
// copy that no longer holds what its name says, or that belongs to another
// file than the one at path by now, is refused (Target, kErrorNameChanged).
TWriteResult RestoreInterruptedSave(const std::string& path, const std::string& copyPath);
