#pragma once

#include "RouterList.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The definitions file: a little-endian 32-bit version, then the records up
// to the end of the file. Versions 259, 258, 257 and older are read; 259 is
// written.

constexpr std::uint32_t kRouterFileVersion = 259;

// A file that could not be opened, created or read; the text is German
// (Windows-1252, like every message text) and meant for the user:
// Datei "<path>" kann nicht geöffnet werden. <reason>
// Datei "<path>" kann nicht erstellt werden. <reason>
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLoadResult {
    std::optional<std::uint32_t> version; // none for a file under 4 bytes
    bool complete = true;                 // every byte of the file was read
    // When not complete: the offset at which the first field that the file
    // does not hold in full begins (0 for a file of 1 to 3 bytes).
    std::uint64_t damagedOffset = 0;
};

// Frees the list, then fills it with the records held in `bytes`: sorted
// into a sorted list, in file order into an unsorted one. A record cut off
// by the end is kept with the fields it holds in full; every other field is
// as in a fresh record (zero or empty, or the default of an older version:
// HTTPPort 80, BrowserAuth 1). A cut string or property list is empty,
// never partly filled. Never reads beyond `bytes`, and no count or length in
// the file makes it allocate or loop beyond what `bytes` holds. Selects the
// first item.
TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list);

enum class TMissingFile { Create, Fail };

// Frees the list and reads the file at path into it (one read into memory,
// then ParseRouterFile). A missing file is created empty (or, with
// TMissingFile::Fail, reported as "kann nicht geöffnet werden"). Throws
// TFileError when the file exists but cannot be read (it is then left alone,
// never created anew or emptied), or is missing and cannot be created; the
// list is then empty.
TLoadResult LoadRouterList(const std::string& path, TRouterList& list,
                           TMissingFile missing = TMissingFile::Create);

// Reads the whole file at path into bytes. False, with errno set, when it
// cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Makes the next LoadRouterList fail to open its file with errno `error`,
// as if the system had refused it (0 clears it). For tests only.
void SetLoadFaultForTesting(int error);

// A text that does not fit the 16-bit length of a string in the file. The
// text of the exception is the German message for the user.
class TTextTooLong : public std::runtime_error {
public:
    TTextTooLong(int routerIndex, std::string routerName, std::string field, std::size_t length);
    int routerIndex;        // index of the record in the list
    std::string routerName; // its RouterVendor
    std::string field;      // German name of the field
    std::size_t length;     // bytes, after the writer's TAB removal
};

constexpr std::size_t kMaxTextLength = 65535;

// The bytes of the file for the list, version 259. Removes the TABs before
// the first NUL of OfflineCode, BeforeIPAddress and AfterIPAddress from the
// records themselves; property values lose theirs only in the bytes. Throws
// TTextTooLong, leaving every record unchanged, when a text does not fit its
// 16-bit length.
std::string SerializeRouterList(TRouterList& list);

// Writes the list to path crash-safely (temporary file, fsync, rename over
// the target, fsync of the folder), under an advisory lock on the target. On
// failure the previous file stays byte for byte as it was, no temporary file
// remains, the user is told through ShowMsgBox (mkError, btnOK) and the
// result is false. A text too long for the file refuses the save before
// anything is written or any record changed. With keepOriginal an existing
// file is first kept as path + ".bak" (or ".bak2", ".bak3", ... when that
// name is taken), whose name goes to *backupPath.
bool SaveRouterList(TRouterList& list, const std::string& path, bool keepOriginal = false,
                    std::string* backupPath = nullptr);

// The directory of the running executable, ending in "/".
std::string ExeDirectory();

// The editor's own "Routers.dat". When it was not read completely (damaged
// or unreadable), its first successful save keeps the original as a backup.
class TRoutersFile {
public:
    explicit TRoutersFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    // LoadRouterList with TMissingFile::Create; rethrows its TFileError.
    TLoadResult Load(TRouterList& list);
    // SaveRouterList to Path(); keeps the original first when the load did
    // not read it completely. Cleared by a successful save.
    bool Save(TRouterList& list);

    bool KeepsOriginalOnSave() const { return m_keepOriginalOnSave; }
    // Where the last Save kept the original, or empty.
    const std::string& LastBackupPath() const { return m_lastBackupPath; }

private:
    std::string m_path;
    bool m_keepOriginalOnSave = false;
    std::string m_lastBackupPath;
};
