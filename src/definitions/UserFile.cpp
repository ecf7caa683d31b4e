#include "UserFile.h"

#include "FileMessages.h"

#include <cerrno>
#include <utility>

namespace {

int g_openFault = 0;

std::string Named(const std::string& path, TFileNaming naming)
{
    if (naming == TFileNaming::Quoted)
        return Quoted(path);
    return MessageText(AbsolutePath(path));
}

std::string OpenFailure(const std::string& path, const std::string& reason, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " kann nicht geöffnet werden. " + reason;
}

std::string TooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " ist zu groß (" + GroupedNumber(size) +
           " Bytes). Gelesen werden können höchstens " + GroupedNumber(maxBytes) + " Bytes.";
}

} // namespace

std::string CannotRead(const std::string& path, int error, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " kann nicht gelesen werden. " + Reason(error);
}

TFileHandle OpenUserFile(const std::string& path, std::uint64_t maxBytes, TFileInfo& info,
                         TFileNaming naming)
{
    TFileHandle file;
    int error = std::exchange(g_openFault, 0);
    if (error || (error = OpenForReading(path, file)) || (error = GetInfo(file, info)))
        throw TFileError(OpenFailure(path, Reason(error), naming));
    if (info.kind == TFileKind::Directory)
        throw TFileError(OpenFailure(path, Reason(EISDIR), naming));
    if (info.kind != TFileKind::Regular)
        throw TFileError(OpenFailure(path, FileKindReason(info.kind), naming));
    if (info.size > maxBytes)
        throw TFileError(TooLarge(path, info.size, maxBytes, naming));
    return file;
}

std::string ReadUserFile(const std::string& path, std::uint64_t maxBytes, TFileNaming naming)
{
    TFileInfo info;
    const TFileHandle file = OpenUserFile(path, maxBytes, info, naming);
    return ReadOpenUserFile(file, info, path, maxBytes, naming);
}

std::string ReadOpenUserFile(const TFileHandle& file, const TFileInfo& info, const std::string& path,
                             std::uint64_t maxBytes, TFileNaming naming)
{
    const auto size = static_cast<std::size_t>(info.size);
    std::string bytes;
    bytes.reserve(size);
    PreferLargePages(bytes.data(), size);
    bytes.resize(size);
    std::size_t filled = 0;
    for (std::size_t got = 1; filled < size && got > 0; filled += got) {
        if (const int error = ReadSome(file, bytes.data() + filled, size - filled, got))
            throw TFileError(CannotRead(path, error, naming));
    }
    bytes.resize(filled);
    // A file that grew meanwhile, or whose size the system does not know,
    // is read on within the limit.
    char more[1 << 16];
    for (;;) {
        std::size_t got = 0;
        if (const int error = ReadSome(file, more, sizeof more, got))
            throw TFileError(CannotRead(path, error, naming));
        if (got == 0)
            return bytes;
        if (bytes.size() + got > maxBytes)
            throw TFileError(TooLarge(path, bytes.size() + got, maxBytes, naming));
        bytes.append(more, got);
    }
}

std::uint64_t MaxPageFileSize()
{
    return UsableMemory() / 4;
}

void SetLoadFaultForTesting(int error)
{
    g_openFault = error;
}
