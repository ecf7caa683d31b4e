#pragma once

#include "AtomicFile.h"

#include <cstdint>
#include <string>
#include <string_view>

// The German texts that tell the user about files.

// A path or system text as a message shows it (ToCp1252Text): characters
// that Windows-1252 lacks as "?", bytes that are no UTF-8 at all taken as
// Windows-1252 already (a name written by a Windows program).
std::string MessageText(std::string_view utf8);
// The system's reason for errno `error`.
std::string Reason(int error);
// The path in double quotes, its control characters escaped.
std::string Quoted(const std::string& path);
// A number with German thousands separators: 1.234.567
std::string GroupedNumber(std::uint64_t number);

// Why a file of that kind cannot be read or replaced: "Sie ist ein Gerät,
// keine gewöhnliche Datei."
std::string FileKindReason(TFileKind kind);

// Datei "<path>" kann nicht geöffnet werden. <reason>
std::string CannotOpen(const std::string& path, int error);
// Datei "<path>" kann nicht erstellt werden. <reason>
std::string CannotCreate(const std::string& path, int error);

// Why a crash-safe write failed, as the system or in German says it.
std::string WriteFailureReason(const TWriteResult& result);
// What went wrong in a failed crash-safe write of `path`, naming the step
// and the reason. A target that cannot be created or written gives
// CannotCreate; every later step adds that the previous file is unchanged
// (or that none was made where there was none), or where its backup lies
// when a write in place could not be undone.
std::string WriteFailureMessage(const std::string& path, const TWriteResult& result);
