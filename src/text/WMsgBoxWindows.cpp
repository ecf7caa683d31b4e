#include "WMsgBox.h"

#include "Cp1252.h"

// After WMsgBox.h: windows.h defines the MB_ and ID names as macros.
#include <windows.h>

namespace {

// The box gets UTF-16 text, so that the umlauts of the messages show whatever
// the system's ANSI code page is.
std::wstring WideText(const TCp1252Text& text)
{
    std::wstring wide;
    wide.reserve(text.Bytes().size());
    for (const char c : text.Bytes())
        wide += wchar_t(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return wide;
}

} // namespace

int SystemMessageBox(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)
{
    return MessageBoxW(GetActiveWindow(), WideText(text).c_str(), WideText(caption).c_str(), style);
}
