#pragma once

#include "AtomicFile.h"
#include "Cp1252Text.h"
#include "RouterList.h"
#include "UserFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The definitions file: a little-endian 32-bit version, then the records up
// to the end of the file. Versions 259, 258, 257 and older are read; 259 is
// written.

constexpr std::uint32_t kRouterFileVersion = 259;
constexpr std::size_t kMaxTextLength = 65535;

// A text read from the file that does not fit a string of the file when
// written again (a property line "a=b=c" from a name holding "="), cut to
// the longest text that fits.
struct TCutText {
    TCp1252Text router;     // RouterVendor of the record
    std::string field;      // German name of the field
    std::size_t length = 0; // bytes before the cut, as the writer counts them
};

struct TLoadResult {
    std::optional<std::uint32_t> version; // none for a file under 4 bytes
    bool complete = true;                 // every byte of the file was read
    // When not complete: the offset at which the first field that the file
    // does not hold in full begins (0 for a file of 1 to 3 bytes).
    std::uint64_t damagedOffset = 0;
    std::vector<TCutText> cutTexts;
    // The backup copy that an interrupted save of the file left (see
    // FindInterruptedSave): the file presumably lacks a part of its bytes.
    std::string interruptedCopy;

    // The list holds what the file holds, byte for byte, and the file was
    // written in full.
    bool Faithful() const { return complete && cutTexts.empty() && interruptedCopy.empty(); }
};

// Frees the list, then fills it with the records held in `bytes`: sorted
// into a sorted list, in file order into an unsorted one. A record cut off
// by the end is kept with the fields it holds in full, provided that its
// name was read in full (otherwise it is dropped); every other field is as
// in a fresh record (zero or empty, or the default of an older version:
// HTTPPort 80, BrowserAuth 1). A cut string or property list is empty,
// never partly filled. Never reads beyond `bytes`, and no count or length in
// the file makes it allocate or loop beyond what `bytes` holds. A property
// value too long for the file is cut (see TCutText). Selects the first item.
TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list);
// The same for bytes that the list then keeps.
TLoadResult LoadRouterBytes(std::string bytes, TRouterList& list);

enum class TMissingFile { Create, Fail };

// Frees the list and reads the file at path into it, as ParseRouterFile
// does. A missing file is created empty
// (or, with TMissingFile::Fail, reported as "kann nicht geöffnet werden").
// Waits while another save writes the file in place (LockWhenFree), and
// looks for the copy that an interrupted one left. Throws TFileError when
// the file exists but cannot be read (it is then left alone, never created
// anew or emptied), is no regular file, is larger than
// MaxDefinitionsFileSize(), or is missing and cannot be created; the list is
// then empty. `read` receives the checksum of the bytes read.
TLoadResult LoadRouterList(const std::string& path, TRouterList& list,
                           TMissingFile missing = TMissingFile::Create, TQuickHash* read = nullptr);

// The largest definitions file that is read: records read in full take up
// to about 18 times their size in the file.
std::uint64_t MaxDefinitionsFileSize();

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

// Throws TTextTooLong for the first text of the record that does not fit
// its 16-bit length in the file. routerIndex goes into the exception.
void CheckTextLengths(const TRouterEntry& entry, int routerIndex = -1);

// The bytes of the file for the list, version 259. Removes the TABs before
// the first NUL of OfflineCode, BeforeIPAddress and AfterIPAddress from the
// records themselves; property values lose theirs only in the bytes. Throws
// TTextTooLong, leaving every record unchanged, when a text does not fit its
// 16-bit length.
std::string SerializeRouterList(TRouterList& list);

// Records kept as the bytes that the writer makes of them, for lists of
// many records: a record of empty texts takes a dozen times the memory of
// its bytes. Each is read again when needed.
class TRecordStore {
public:
    TRecordStore();
    // Frees the record at index of a list that holds File(), which reads it
    // from its bytes from now on, where they give it back exactly: not for
    // a text too long for the file, or TABs or property lines that the file
    // does not keep.
    void Store(TRouterList& list, int index);
    // The file of the bytes, for the list that takes the items; the store
    // goes on adding to it.
    std::unique_ptr<TStoredFile> File();
    // Room for that many bytes, so that they are not copied as they grow.
    void Reserve(std::size_t bytes) { m_file->bytes.reserve(bytes); }
    std::size_t Size() const { return m_file->bytes.size(); }

private:
    std::optional<TStoredRecord> Add(const TRouterEntry& entry);

    std::unique_ptr<TStoredFile> m_owned;
    TStoredFile* m_file;
};

// Writes the list to path crash-safely (see TAtomicFile), in pieces as the
// bytes are made. On failure the previous file stays byte for byte as it
// was, no temporary file remains, the user is told through ShowMsgBox
// (mkError, btnOK) and the result is false. A text too long for the file
// refuses the save before anything is written or any record changed. With
// keepOriginal an existing file is first kept as path + ".bak" (or ".bak2",
// ".bak3", ... when that name is taken), whose name goes to *backupPath.
bool SaveRouterList(TRouterList& list, const std::string& path, bool keepOriginal = false,
                    std::string* backupPath = nullptr);
// Writes the list into a file that is open (TAtomicFile::Open) and commits
// it, without a message: false with file.Result() when writing failed.
// Throws TTextTooLong, like SerializeRouterList, before anything is written.
bool WriteRouterList(TRouterList& list, TAtomicFile& file, bool keepOriginal);

// The German warning about texts that were cut while the file was read.
std::string CutTextsMessage(const std::string& path, const std::vector<TCutText>& cutTexts);
// The German note that a save of the file was interrupted and where the
// copy of its previous bytes lies.
std::string InterruptedSaveMessage(const std::string& path, const std::string& copy);

// One change of the editor's list, kept until the file holds it, so that it
// can be made again to what the file holds when another program changed the
// file meanwhile.
struct TRouterChange {
    // The entry's name before the change; empty for an entry added (a new
    // one, or one taken over from another file).
    std::string name;
    // The record afterwards; none for an entry deleted.
    std::optional<TRouterEntry> record;
};

// Makes the change to the list. The entry is found by its former name (the
// same bytes first, else ignoring case); it takes the new record and name in
// place, or is deleted. An entry added, or one whose former name the list no
// longer holds, goes to its sorted place. A deleted entry that is no longer
// there changes nothing.
void ApplyRouterChange(TRouterList& list, const TRouterChange& change);

// Runs a change that replaces the whole list, such as reading it anew; the
// window wraps it so that its views hear of it.
using TListReplacer = std::function<void(const std::function<void()>& replace)>;

// The editor's own "Routers.dat". When it was not read faithfully (damaged,
// unreadable, or with texts cut), its first successful save keeps the
// original as a backup.
//
// The file is not locked while the user edits. Each save locks it, reads
// what it holds and compares that with what was last read or written; when
// another program changed it meanwhile, the list is read anew from the file
// (from the copy of its last whole bytes where a save in place was killed
// half way) and every change noted since the last successful write is made
// to it again (ApplyRouterChange) before it is written, and the user is
// told.
class TRoutersFile {
public:
    explicit TRoutersFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    // LoadRouterList with TMissingFile::Create; rethrows its TFileError.
    // Removes what killed saves left in the folder first.
    TLoadResult Load(TRouterList& list);
    // Notes a change that the list holds and the file does not yet.
    void Note(TRouterChange change) { m_pending.push_back(std::move(change)); }
    // Whether a change noted has not reached the file, as its save failed.
    bool HasUnwrittenChanges() const { return !m_pending.empty(); }
    // Writes the list to Path(), brought up to date first as described
    // above (through `replace`, which may be empty); keeps the original first
    // when the load did not read it faithfully. On failure the user is told
    // (SaveRouterList) and the noted changes stay for the next save.
    bool Save(TRouterList& list, const TListReplacer& replace = {});
    // Puts the copy that an interrupted save left back over the file (see
    // RestoreInterruptedSave); the file is then to be loaded again. Empty,
    // or the German reason why it was not done.
    std::string RestoreInterruptedSave(const std::string& copy);

    bool KeepsOriginalOnSave() const { return m_keepOriginalOnSave; }
    // Where the last Save kept the original, or empty.
    const std::string& LastBackupPath() const { return m_lastBackupPath; }

private:
    std::string BringUpToDate(const TAtomicFile& file, TRouterList& list, const TListReplacer& replace);

    std::string m_path;
    bool m_keepOriginalOnSave = false;
    std::string m_lastBackupPath;
    std::optional<TQuickHash> m_known; // what the file held when last read or written
    std::vector<TRouterChange> m_pending;
};
