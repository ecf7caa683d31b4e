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

// A file that could not be opened, created or read; the text is German and
// meant for the user.
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TLoadResult {
    std::optional<std::uint32_t> version; // none for a file under 4 bytes
    bool complete = true;                 // every byte of the file was read
    std::uint64_t damagedOffset = 0;      // when not complete: first unread byte
};

// Frees the list, then fills it with the records held in `bytes`. A record
// cut off by the end keeps the fields it holds in full; the others stay
// empty or zero. Never reads beyond `bytes`. Selects the first item.
TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list);

enum class TMissingFile { Create, Fail };

// Frees the list and reads the file at path into it. A missing file is
// created empty (or, with TMissingFile::Fail, reported). Throws TFileError
// when the file exists but cannot be read, or can be neither read nor
// created; the list is then empty.
TLoadResult LoadRouterList(const std::string& path, TRouterList& list,
                           TMissingFile missing = TMissingFile::Create);

// The bytes of the file for the list, version 259. Removes the TABs before
// the first NUL of OfflineCode, BeforeIPAddress and AfterIPAddress from the
// records themselves. Throws TTextTooLong, leaving every record unchanged,
// when a text does not fit its 16-bit length.
std::string SerializeRouterList(TRouterList& list);

class TTextTooLong : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the list to path crash-safely (temporary file, flush, rename), under
// an advisory lock. On failure the previous file stays as it was, the user is
// told through ShowMsgBox and the result is false. With keepOriginal the
// file being replaced is kept as path + ".bak".
bool SaveRouterList(TRouterList& list, const std::string& path, bool keepOriginal = false);

// The directory of the running executable, ending in "/".
std::string ExeDirectory();

// The editor's own "Routers.dat". When it was not read completely (damaged
// or unreadable), its first successful save keeps the original as a backup.
class TRoutersFile {
public:
    explicit TRoutersFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    TLoadResult Load(TRouterList& list);
    bool Save(TRouterList& list);

private:
    std::string m_path;
    bool m_keepOriginalOnSave = false;
};
