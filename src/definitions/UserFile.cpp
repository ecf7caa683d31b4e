#include "UserFile.h"

#include "FileMessages.h"

#include <cerrno>
#include <filesystem>
#include <utility>

namespace {

int g_openFault = 0;

std::string Named(const std::string& path, TFileNaming naming)
{
    if (naming == TFileNaming::Quoted)
        return Quoted(path);
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return MessageText(error ? path : full.string());
}

std::string OpenFailure(const std::string& path, const std::string& reason, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " kann nicht ge\xF6" "ffnet werden. " + reason;
}

std::string TooLarge(const std::string& path, std::uint64_t size, std::uint64_t maxBytes, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " ist zu gro\xDF (" + GroupedNumber(size) +
           " Bytes). Gelesen werden k\xF6nnen h\xF6" "chstens " + GroupedNumber(maxBytes) + " Bytes.";
}

} // namespace

std::string CannotRead(const std::string& path, int error, TFileNaming naming)
{
    return "Datei " + Named(path, naming) + " kann nicht gelesen werden. " + Reason(error);
}

TFileHandle OpenUserFile(const std::string& path, std::uint64_t maxBytes, TFileInfo& info, TFileNaming naming)
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
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.size));
    std::size_t filled = 0;
    for (;;) {
        // A file that grew meanwhile is read on, within the limit.
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes)
                throw TFileError(TooLarge(path, bytes.size(), maxBytes, naming));
            bytes.resize(std::min<std::uint64_t>(maxBytes + 1, bytes.size() + (std::size_t(1) << 16)));
        }
        std::size_t got = 0;
        if (const int error = ReadSome(file, bytes.data() + filled, bytes.size() - filled, got))
            throw TFileError(CannotRead(path, error, naming));
        if (got == 0)
            break;
        filled += got;
    }
    bytes.resize(filled);
    return bytes;
}

std::uint64_t MaxPageFileSize()
{
    return UsableMemory() / 4;
}

void SetLoadFaultForTesting(int error)
{
    g_openFault = error;
}
