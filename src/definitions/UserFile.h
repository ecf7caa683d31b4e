#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <stdexcept>
#include <string>

// Reading the files a user names: the definitions file, a file to merge, a
// saved status page. Only regular files are read; a FIFO, a device or a
// folder is refused at once, without waiting for a writer or reading
// endlessly, and so is a file larger than the program can hold.

// A file that could not be opened, created or read; the text is German
// (UTF-8, like every message text) and meant for the user:
// Datei "<path>" kann nicht geöffnet werden. <reason>
// Datei "<path>" kann nicht erstellt werden. <reason>
class TFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How messages name the file: the path as given in double quotes
// (definitions files), or the full path without quotes (status pages).
enum class TFileNaming { Quoted, FullPath };

// Opens the regular file at path for reading (others may read and write it
// meanwhile) after checking that it holds at most maxBytes; info receives
// what the system says about it. Throws TFileError.
TFileHandle OpenUserFile(const std::string& path, std::uint64_t maxBytes, TFileInfo& info,
                         TFileNaming naming = TFileNaming::Quoted);

// The whole regular file at path, at most maxBytes of it (OpenUserFile,
// then ReadOpenUserFile). Throws TFileError.
std::string ReadUserFile(const std::string& path, std::uint64_t maxBytes,
                         TFileNaming naming = TFileNaming::Quoted);
// Reads a file that OpenUserFile opened to its end, at most maxBytes.
// Throws TFileError.
std::string ReadOpenUserFile(const TFileHandle& file, const TFileInfo& info, const std::string& path,
                             std::uint64_t maxBytes, TFileNaming naming = TFileNaming::Quoted);

// Datei "<path>" kann nicht gelesen werden. <reason>
std::string CannotRead(const std::string& path, int error, TFileNaming naming = TFileNaming::Quoted);

// The largest status page the page test takes: a quarter of the memory
// this process may use, as the page is searched in memory.
std::uint64_t MaxPageFileSize();

// Makes the next OpenUserFile fail to open its file with errno `error`, as
// if the system had refused it (0 clears it). For tests only.
void SetLoadFaultForTesting(int error);
