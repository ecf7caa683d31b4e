#include "FileSystem.h"

#include <utility>

// Closing is the system's part, in FileSystemPosix.cpp and
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
