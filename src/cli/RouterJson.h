#pragma once

#include "RouterFile.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// The JSON form of records, as dump prints them and pack reads them back.

// One field of a record under its JSON name. HTML code is the text whose
// TABs the editor's writer removes.
struct TRouterField {
    using TMember = std::variant<std::int32_t TRouterEntry::*, std::uint8_t TRouterEntry::*,
                                 double TRouterEntry::*, std::string TRouterEntry::*,
                                 TPropertyList TRouterEntry::*>;
    const char* name;
    TMember member;
    bool htmlCode = false;
};

// The 26 fields in the order in which dump prints them (the record's own).
std::span<const TRouterField> RouterFields();

// The value of one field as JSON: a number, a string or an array of the
// property lines.
std::string FieldJson(const TRouterEntry& entry, const TRouterField& field);

// Takes output piece by piece; false when it could not.
using TTextSink = std::function<bool(std::string_view)>;

// The whole dump: the file's version, every record in list order, and where
// a damaged file stops being readable. It is handed on in pieces, and a
// record that is only in its file's bytes is read for its piece alone, so
// that the dump of a large file needs little more memory than the file.
// Stops at the first piece that `write` refuses and returns false then.
bool WriteDump(const TLoadResult& result, const TRouterList& list, const TTextSink& write);
// The same as one text.
std::string DumpDocument(const TLoadResult& result, const TRouterList& list);
