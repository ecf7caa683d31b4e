#pragma once

#include <string>
#include <string_view>

// Paths and command-line arguments are UTF-8 in the core and UTF-16 for the
// Windows system. Both directions keep every name the system can hold: a
// surrogate without its partner (which Windows file names may contain) is
// written as the three bytes that UTF-8 would give it, and read back as such.
// Bytes that are no UTF-8 at all are taken as Windows-1252, as a name written
// by an older Windows program would be.

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

#ifdef _WIN32
// The same for the system's wide characters, which are UTF-16 on Windows.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
#endif
