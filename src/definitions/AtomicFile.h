#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <string>
#include <string_view>

// Replaces a file crash-safely. Normally the new bytes go to a temporary
// file in the same folder, are flushed to disk, and the temporary file is
// then renamed over the target, so that at every moment the path holds
// either the whole old file or the whole new one.
//
// Where a rename would fail or change more than the bytes (the folder is
// not writable, the file has other hard links, or its owner could not be
// kept), the file is written in place instead, after a flushed backup copy
// of the old bytes beside it, or in the user's state folder when the folder
// is not writable. A write in place that fails puts the old bytes back; the
// copy is removed once the new bytes are safe.
//
// Only a regular file is replaced, and only one that may be written:
// devices, FIFOs, folders, dangling symbolic links and read-only files are
// refused. A symbolic link is followed and stays a link.
//
// While a save runs, the existing target is held under an advisory lock. A
// second editor that saves at the same time finds the lock taken and fails
// at Open; programs that do not lock (Tarvelo) are not affected. The lock
// lives on the file itself, so that no lock file is left in the folder and a
// killed process never leaves a stale lock behind. On Windows the target is
// instead opened for this save alone: while any other program has it open,
// the save fails at Open (Create), and no program can open it until the
// save is done (it is let go just before the rename, which Windows refuses
// over an open file). Temporary files that a killed save left behind are
// removed by the next save or load.

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

// How a crash-safe write ended.
struct TWriteResult {
    TWriteStep failedStep = TWriteStep::None;
    int error = 0; // errno of the failed step; 0 for a Target of the wrong kind
    TFileKind targetKind = TFileKind::Missing; // what lies at the target
    // Where the original was kept: by request, or after a write in place
    // whose old bytes could not be put back. Empty otherwise.
    std::string backupPath;
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

    // Checks and locks the target and makes ready to write: a temporary
    // file next to it (mode, owner and group of the target, or the defaults
    // for a new file), or the backup copy for a write in place. False on
    // failure, with FailedStep Target, Lock, Create or Backup.
    bool Open();
    // Appends bytes; may be called many times.
    bool Write(std::string_view bytes);
    // Flushes the bytes, optionally keeps the existing target as
    // BackupPath(), puts the new file in place and flushes the folder. False
    // on failure: the target is then as it was (unless Result().targetChanged),
    // and no temporary file remains.
    bool Commit(bool keepOriginal);

    // The path that is replaced: the target, or where a symbolic link at the
    // target points to.
    const std::string& Path() const { return m_path; }
    bool WritesInPlace() const { return m_inPlace; }
    TWriteStep FailedStep() const { return m_result.failedStep; }
    const std::string& BackupPath() const { return m_result.backupPath; }
    const TWriteResult& Result() const { return m_result; }

private:
    bool Fail(TWriteStep step, int error);
    bool CheckTarget();
    bool OpenTarget();
    bool CreateTemporary();
    bool PrepareInPlace();
    bool CommitInPlace(bool keepOriginal);
    bool KeepOriginal();
    bool CopyOriginal(const std::string& directory);
    void RestoreInPlace();
    void RemoveTemporary();

    std::string m_path;
    std::string m_tempPath;
    std::string m_copyPath; // backup copy for a write in place
    TFileHandle m_target;   // open for writing and locked while the save runs
    TFileHandle m_temp;
    TFileInfo m_original;
    bool m_targetExists = false;
    bool m_inPlace = false;
    bool m_finished = false;
    bool m_touched = false; // bytes went to the target or the temporary file
    std::uint64_t m_written = 0;
    TWriteResult m_result;
};

// Replaces the file at path with bytes crash-safely (Open, Write, Commit).
// Every file the programs write goes through here or through TAtomicFile.
TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes,
                                bool keepOriginal = false);

// Removes the temporary files that saves of path by processes that no
// longer run have left in its folder.
void RemoveStaleTemporaryFiles(const std::string& path);
