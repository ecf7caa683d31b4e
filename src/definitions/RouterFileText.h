#pragma once

// Texts shared by the reader and the writer of the definitions file.

#include "Cp1252Text.h"

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

// The German name of a property's value in status query 2, 3 or 4.
std::string PropertyValueLabel(const TCp1252Text& name, int query);

// The editor's message for a save that failed.
std::string SaveFailureMessage(const std::string& path, const TWriteResult& result);
// WriteRouterList into the open file, telling the user of a failure as
// SaveRouterList does.
bool SaveRouterListTo(TRouterList& list, TAtomicFile& file, const std::string& path, bool keepOriginal);
