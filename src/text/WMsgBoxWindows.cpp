#include "WMsgBox.h"

#include "Cp1252.h"

// After WMsgBox.h: windows.h defines the MB_ and ID names as macros.
#include <windows.h>

namespace {

// The box gets UTF-16 text, so that the umlauts of the messages show whatever
// the system's ANSI code page is.
std::wstring WideText(const std::string& cp1252)
{
    std::wstring wide;
    wide.reserve(cp1252.size());
    for (const char c : cp1252)
        wide += wchar_t(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return wide;
}

} // namespace

int SystemMessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    return MessageBoxW(GetActiveWindow(), WideText(text).c_str(), WideText(caption).c_str(), style);
}
