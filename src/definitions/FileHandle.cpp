#include "FileSystem.h"

#include <utility>

// Opening and closing are the system's part, in FileSystemPosix.cpp and
// FileSystemWindows.cpp.

TFileHandle::~TFileHandle()
{
    Close();
}

TFileHandle::TFileHandle(TFileHandle&& other) noexcept
    : m_native(std::exchange(other.m_native, kClosed))
{
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_native = std::exchange(other.m_native, kClosed);
    }
    return *this;
}

bool SameFile(const std::string& a, const std::string& b)
{
    TFileInfo first, second;
    return GetInfo(a, first) == 0 && GetInfo(b, second) == 0 && first.kind != TFileKind::Missing &&
           second.kind != TFileKind::Missing && first.SameFileAs(second);
}

namespace {

// Whether the name in the folder at folderPath is the file itself (no link
// to it); the folder then stays open.
bool NamesFile(const std::string& folderPath, const std::string& name, const TFileInfo& held,
               TFolder& folder)
{
    TFileInfo named;
    return OpenFolder(folderPath, folder) == 0 && GetInfoAt(folder, name, named) == 0 &&
           named.kind == TFileKind::Regular && named.SameFileAs(held);
}

} // namespace

int LocateFile(const TFileHandle& file, const std::string& path, TFolder& folder, std::string& name)
{
    TFileInfo held;
    if (const int error = GetInfo(file, held))
        return error;
    // The path as given where it names the file itself, so that messages
    // show what the user gave.
    name = FileNameOf(path);
    if (NamesFile(DirectoryOf(path), name, held, folder))
        return 0;
    std::string where;
    if (const int error = FinalPathOf(file, path, where))
        return error;
    name = FileNameOf(where);
    return NamesFile(DirectoryOf(where), name, held, folder) ? 0 : kErrorNameChanged;
}
