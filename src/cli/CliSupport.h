#pragma once

#include "RouterFile.h"

#include <optional>
#include <string>
#include <string_view>

// Prints "routersdat: <message>" to standard error and returns exit status
// 1. Messages are shown as a message box shows them: characters that
// Windows-1252 lacks as "?", control characters escaped.
int Fail(const std::string& message);
// The same with "Warnung: " before the message.
void Warn(const std::string& message);
// Prints "routersdat: <message>" to standard error, for information.
void Note(const std::string& message);

// A router name or a value in double quotes, for a message: its control
// characters escaped, as Quoted does for paths.
std::string QuotedText(const TCp1252Text& text);

// A router name or a value given as an argument, as Windows-1252 text:
// UTF-8 is converted, and bytes that are no UTF-8 at all are taken as
// Windows-1252 already, as a terminal in that character set sends them.
// Prints "<what> holds characters that Windows-1252 lacks" and returns
// nothing for a character outside the code page.
std::optional<std::string> ArgumentAsCp1252(const std::string& argument, const std::string& what);

// The list a command reads its definitions into. It is left to the end of
// the process, which frees it at once; freeing a hundred thousand records
// one by one takes as long as reading them.
TRouterList& ListForTheRun(TRouterList::TOrder order = TRouterList::TOrder::Sorted);

// Reads a definitions file without ever creating or changing it. Prints the
// error and returns nothing when the file cannot be read; warns on standard
// error when it is damaged, texts had to be cut or a save of it was
// interrupted (TLoadResult::Faithful).
std::optional<TLoadResult> ReadDefinitions(const std::string& path, TRouterList& list);
// The warnings of ReadDefinitions for what was read from path.
void WarnAboutLoad(const std::string& path, const TLoadResult& result);

// Reads a saved status page whole. Prints the German error and returns
// nothing when it cannot be opened or read.
std::optional<std::string> ReadPage(const std::string& path);

// The exit status of a command that did its work on what it could read.
int StatusAfterReading(const TLoadResult& result);

// Whether standard output goes to a terminal, where a person reads it.
bool StandardOutputIsTerminal();

// Writes bytes to standard output (path empty), or crash-safely to a file.
// Prints the reason and returns false on failure.
bool WriteOutput(const std::string& path, std::string_view bytes);

// Opens the file that a command replaces (TAtomicFile::Open) before the
// command reads its input, so that its lock is held from reading to
// writing. Prints the reason and returns false on failure.
bool OpenOutput(TAtomicFile& output, const std::string& path);
// Whether the input names the file that the output was opened as.
bool IsOpenedOutput(const TAtomicFile& output, const std::string& input);
// Writes bytes or the list into the opened output and commits it. Prints
// the reason and returns false on failure.
bool WriteOpenedOutput(TAtomicFile& output, const std::string& path, std::string_view bytes);
bool WriteDefinitions(TRouterList& list, TAtomicFile& output, const std::string& path,
                      bool keepOriginal = false);
