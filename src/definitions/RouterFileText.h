#pragma once

// Texts shared by the reader and the writer of the definitions file.

#include <string>
#include <string_view>

#include <memory>

class TAtomicFile;
class TRouterList;
struct TRouterEntry;
struct TStoredRecord;
struct TWriteResult;

// Reads a record that a list keeps stored (TStoredFile::read).
std::unique_ptr<TRouterEntry> ReadStoredRecord(const TStoredRecord& record);

// The length of a text once the writer has removed the TABs before its
// first NUL byte (the TABs that the file loses).
std::size_t WrittenLength(std::string_view text);
// How many bytes of text make a prefix of that written length.
std::size_t PrefixWrittenAs(std::string_view text, std::size_t writtenLength);

// A text for messages, cut to 60 bytes.
std::string Shortened(std::string_view text);
// The German name of a property's value in status query 2, 3 or 4.
std::string PropertyValueLabel(std::string_view name, int query);

// The editor's message for a save that failed.
std::string SaveFailureMessage(const std::string& path, const TWriteResult& result);
// WriteRouterList into the open file, telling the user of a failure as
// SaveRouterList does.
bool SaveRouterListTo(TRouterList& list, TAtomicFile& file, const std::string& path, bool keepOriginal);
