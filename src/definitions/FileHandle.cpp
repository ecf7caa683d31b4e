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
