#include "Utf16.h"

#include "Cp1252.h"

namespace {

// A surrogate in three bytes, as an unpaired one comes out of Utf16ToUtf8.
bool NextEncodedSurrogate(std::string_view utf8, std::size_t& pos, char16_t& unit)
{
    if (utf8.size() - pos < 3)
        return false;
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    const auto second = static_cast<unsigned char>(utf8[pos + 1]);
    const auto third = static_cast<unsigned char>(utf8[pos + 2]);
    if (lead != 0xED || second < 0xA0 || second > 0xBF || (third & 0xC0) != 0x80)
        return false;
    unit = char16_t(0xD000 | ((second & 0x3F) << 6) | (third & 0x3F));
    pos += 3;
    return true;
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        char16_t surrogate = 0;
        if (NextUtf8CodePoint(utf8, pos, cp)) {
            if (cp < 0x10000) {
                out += char16_t(cp);
            } else {
                out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
                out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
        } else if (NextEncodedSurrogate(utf8, pos, surrogate)) {
            out += surrogate;
        } else {
            out += Cp1252ToUnicode(static_cast<unsigned char>(utf8[pos++]));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() &&
                          utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
        if (pair) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            // A lone surrogate too, in the bytes UTF-8 would give its value.
            AppendUtf8(out, unit);
        }
    }
    return out;
}

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Utf8ToWide(std::string_view utf8)
{
    const std::u16string utf16 = Utf8ToUtf16(utf8);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string WideToUtf8(std::wstring_view wide)
{
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
#endif
