#pragma once

#include "AtomicFile.h"

#include <string>
#include <string_view>

// The German texts (Windows-1252) that tell the user about files.

// A path or system text (UTF-8) as Windows-1252 message text. A character
// that the code page lacks becomes "?".
std::string MessageText(std::string_view utf8);
// The system's reason for errno `error`.
std::string Reason(int error);
// The path in double quotes.
std::string Quoted(const std::string& path);

// Datei "<path>" kann nicht geöffnet werden. <reason>
std::string CannotOpen(const std::string& path, int error);
// Datei "<path>" kann nicht erstellt werden. <reason>
std::string CannotCreate(const std::string& path, int error);

// What went wrong in a failed crash-safe write of `path`, naming the step
// and the system's reason. A failure to create the file gives CannotCreate;
// every later step adds that the previous file is unchanged.
std::string WriteFailureMessage(const std::string& path, const TWriteResult& result);
