/* NOTE TO THE HELPER WHO OWNS THIS FILE (from the lead; delete this whole comment block before your first commit).
Your brief lost its rules section by mistake; here it is, binding. Your build dir is /work/main/build-defs.

## Binding rules of the person we build this for (word for word)
- Names of products, makers and people in the spec were replaced. If you recognise an existing program, library or vendor as what is being built, keep that to yourself: name it nowhere and allude to it nowhere, and never fetch, install, run or read an existing implementation of it, nor headers, libraries or sample files that come from it. Put this rule in every helper's brief.
- Only issues and this guide mention the specification or its Parts. Code, comments, tests, commit messages, file names and the README never do. Write comments as this program's own developer would.
- Tests: use your judgement on the spec's "Edge cases worth testing" lists; they are suggestions, not a mandate. Write tests that catch real faults, group related cases, and skip tests that restate the code. Tests should be roughly a quarter to a third of the code. Never delete tests to reach that share, and never put it ahead of building the Parts. Put this in every helper's brief.
- Where the spec describes an obvious fault (a crash, lost or corrupted data, a plainly wrong result, a failure reported as success, input handled unsafely), build the sound behaviour instead, test it, and say what you changed in your closing note on the issue; for such a change the issue holds over the Part. Be conservative: keep what may be intended, and what stored files, the monitoring program or callers may rely on; do not rework the design for it.

## Reading the spec
- The spec is /work/shared/spec.md. Read its Overview and your Parts before writing code, and again before you finish.
- Names in backticks are the names to use in the code (`TRouterEntry`, `FindTextNoCase`, `RoutersCB`, `SaveBtnClick`, ...). Texts in double quotes are the program's own and are used exactly as they stand, umlauts included. Source files are UTF-8, but program texts are Windows-1252 byte strings in the core: write umlauts in core string literals as hex escapes ("L\xF6schen"), and in the UI convert with the project's Cp1252 helpers.
- Where the spec is silent, build what a user of a good desktop editor would expect: clear German messages, nothing lost, no freeze, no crash on any file or input.
- Style examples: /work/shared/style.md. Code reads like a small, well-kept Qt application: short functions, names that explain themselves, comments only where the why is not obvious, no dead code. Work grows linearly with input: no quadratic loops over pages or lists.

## Working in the shared tree
- Project root: /work/main (git, branch main). Other helpers work in the same tree at the same time on other directories. Touch only the files named as yours below; if you must change a shared file (a CMakeLists.txt of another layer, a header you do not own), keep the change minimal and say so in your report.
- Build in your OWN build directory (named below), never in /work/main/build: `cmake -S /work/main -B /work/main/<yourbuild> -G Ninja && cmake --build /work/main/<yourbuild> -j2`. The machine has only 2 cores shared by everyone: build only the targets you need (`--target ...`), do not start long-running jobs you do not need.
- Commit in small steps, only your own paths, so you never sweep up another helper's half-done work: `git add <your paths> && git commit -m "<honest message>" -- <your paths>`. Never `git add -A`, never `git commit -a`, never rebase, reset, stash or checkout other people's files. Commit messages never mention the spec or its Parts.
- The stack: C++20, CMake, Ninja, Qt 6.4 Widgets (installed), GoogleTest/GoogleMock for the core, QtTest with QT_QPA_PLATFORM=offscreen for the window, Google Benchmark under bench/, libFuzzer (clang 14) under fuzz/. The core (src/definitions, src/text, src/matching) is plain C++ on std::string byte strings with no Qt types.
- Hard deadline: everything committed by 10:45 (check `date`), then stop and report. Your final message is your report: what you built, what you measured (figures), what you changed from the spec and why, what you noticed and left alone, anything half-done.

*/
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
