#pragma once

#include "RouterFile.h"

#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <string>
#include <string_view>


// Sets up a command's parser with --help and the description, parses the
// arguments and checks the number of positional arguments. On a usage error
// it prints the reason and returns false.
bool ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                      const QString& description, int minPositional, int maxPositional);

// A path argument as the file system spells it.
std::string LocalPath(const QString& argument);

// Prints "routersdat: <message>" to standard error and returns exit status 1.
int Fail(const QString& message);
// The same for a Windows-1252 text (the core's German messages).
int FailCp1252(const std::string& message);
void WarnCp1252(const std::string& message);

// Reads a definitions file without ever creating or changing it. Prints the
// error and returns nothing when the file cannot be read; warns on standard
// error when it is damaged.
std::optional<TLoadResult> ReadDefinitions(const std::string& path, TRouterList& list);

// True when both paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

// Writes bytes to standard output, or crash-safely to a file.
bool WriteOutput(const QString& path, std::string_view bytes);
