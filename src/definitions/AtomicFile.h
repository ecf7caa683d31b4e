#pragma once

#include "FileSystem.h"

#include <string>
#include <string_view>

// Replaces a file crash-safely: the new bytes go to a temporary file in the
// same folder, are flushed to disk, and the temporary file is then renamed
// over the target, so that at every moment the path holds either the whole
// old file or the whole new one.
//
// While a save runs, the existing target is held under an advisory lock
// (flock LOCK_EX | LOCK_NB on the target itself). A second editor that saves
// at the same time finds the lock taken and fails at Open; programs that do
// not lock (Tarvelo) are not affected. The lock lives on the file itself so
// that no lock file is left in the folder and a killed process never leaves
// a stale lock behind.

// The steps of a save, for error reports and for failure injection.
enum class TWriteStep {
    None,
    Lock,   // another editor holds the target's lock
    Create, // the temporary file cannot be created
    Write,  // writing the bytes failed (disk full, short write, I/O error)
    Sync,   // fsync or close of the temporary file failed
    Backup, // the original could not be kept under a ".bak" name
    BackupLink, // only the hard link for the backup is refused: a copy is made
    Rename, // the temporary file could not be renamed over the target
};

// Makes the next save fail at `step` with errno `error`, as if the system
// had refused it. A Write fault writes the first half of the bytes before it
// fails. Consumed by the save that hits it; None clears it. For tests only.
void SetWriteFaultForTesting(TWriteStep step, int error);

// How a crash-safe write ended.
struct TWriteResult {
    TWriteStep failedStep = TWriteStep::None;
    int error = 0;           // errno of the failed step
    std::string backupPath;  // where the original was kept, or empty
    bool Ok() const { return failedStep == TWriteStep::None; }
};

class TAtomicFile {
public:
    explicit TAtomicFile(std::string path);
    ~TAtomicFile(); // removes the temporary file unless committed; unlocks
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Locks the existing target and creates the temporary file next to it
    // (mode of the target, or 0666 minus the umask for a new file). False on
    // failure, with FailedStep Lock or Create.
    bool Open();

    // Writes `bytes` to the temporary file, flushes it, optionally keeps the
    // existing target as BackupPath(), renames the temporary file over the
    // target and flushes the folder. False on failure: the target is then as
    // it was, and no temporary file remains.
    bool Commit(std::string_view bytes, bool keepOriginal);

    // The path that is replaced: the target, or where a symbolic link at the
    // target points to.
    const std::string& Path() const { return m_path; }
    TWriteStep FailedStep() const { return m_failedStep; }
    int Error() const { return m_error; }
    // Where the original was kept by the last Commit with keepOriginal
    // (path + ".bak", or ".bak2", ".bak3", ... when that exists), or empty.
    const std::string& BackupPath() const { return m_backupPath; }
    TWriteResult Result() const { return {m_failedStep, m_error, m_backupPath}; }

private:
    bool Fail(TWriteStep step, int error);
    bool KeepOriginal();
    void RemoveTemporary();

    std::string m_path;
    std::string m_tempPath;
    std::string m_backupPath;
    TFileHandle m_lock;
    TFileHandle m_temp;
    bool m_targetExists = false;
    TWriteStep m_failedStep = TWriteStep::None;
    int m_error = 0;
};

// Replaces the file at path with bytes crash-safely (Open, then Commit).
// Every file the programs write goes through here or through TAtomicFile.
TWriteResult WriteFileCrashSafe(const std::string& path, std::string_view bytes,
                                bool keepOriginal = false);
