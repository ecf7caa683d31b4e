#include "NameCompare.h"

#include "Cp1252.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

std::wstring FoldedUnicode(std::string_view name)
{
    std::wstring out;
    out.reserve(name.size());
    for (const char c : name)
        out += wchar_t(Cp1252ToUnicode(FoldCp1252(static_cast<unsigned char>(c))));
    return out;
}

// The locale's collation of the text up to its first NUL.
std::wstring CollationKey(const std::wstring& folded)
{
    const std::wstring head = folded.substr(0, folded.find(L'\0'));
    std::wstring key(head.size() * 4 + 1, L'\0');
    std::size_t needed = std::wcsxfrm(key.data(), head.c_str(), key.size());
    if (needed >= key.size()) {
        key.assign(needed + 1, L'\0');
        needed = std::wcsxfrm(key.data(), head.c_str(), key.size());
    }
    key.resize(needed);
    return key;
}

} // namespace

unsigned char FoldCp1252(unsigned char byte)
{
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return byte + 0x20;
    switch (byte) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return byte + 0x10;
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return byte;
    }
}

bool SameNameNoCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return FoldCp1252(static_cast<unsigned char>(x)) == FoldCp1252(static_cast<unsigned char>(y));
    });
}

std::wstring NameSortKey(std::string_view name)
{
    // Texts the locale collates alike are ordered by code point behind the
    // separator, so that only names equal ignoring case get equal keys.
    const std::wstring folded = FoldedUnicode(name);
    return CollationKey(folded) + L'\0' + folded;
}

int CompareNamesNoCase(std::string_view a, std::string_view b)
{
    if (SameNameNoCase(a, b))
        return 0;
    return NameSortKey(a).compare(NameSortKey(b)) < 0 ? -1 : 1;
}
