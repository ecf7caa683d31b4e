#include "NameCompare.h"

#include "Collation.h"
#include "Cp1252.h"

#include <algorithm>

namespace {

std::u16string Unicode(std::string_view name)
{
    std::u16string out(name.size(), u'\0');
    std::transform(name.begin(), name.end(), out.begin(),
                   [](char c) { return Cp1252ToUnicode(static_cast<unsigned char>(c)); });
    return out;
}

// Orders names that the collation finds alike: by their folded bytes.
int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCp1252(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldCp1252(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
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
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

int CompareNamesNoCase(std::string_view a, std::string_view b)
{
    if (SameNameNoCase(a, b))
        return 0;
    const int collated = UserCollator().Compare(Unicode(a), Unicode(b));
    if (collated != 0)
        return collated < 0 ? -1 : 1;
    return CompareFolded(a, b);
}

void AppendNameSortKey(std::string_view name, std::string& key)
{
    // The collation key holds no zero byte, so the folded bytes behind the
    // separator only decide between names that the collation finds alike.
    UserCollator().AppendSortKey(Unicode(name), key);
    key += '\0';
    for (const char c : name)
        key += char(FoldCp1252(static_cast<unsigned char>(c)));
}
