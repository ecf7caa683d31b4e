#include "NameCompare.h"

#include "Collation.h"

#include <algorithm>
#include <array>

namespace {

constexpr unsigned char FoldByte(unsigned char byte)
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

constexpr auto kFoldTable = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = FoldByte(static_cast<unsigned char>(byte));
    return table;
}();

// Orders names that the collation finds alike: by their folded bytes.
int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = kFoldTable[static_cast<unsigned char>(a[i])];
        const unsigned char y = kFoldTable[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

unsigned char FoldCp1252(unsigned char byte)
{
    return kFoldTable[byte];
}

bool SameNameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

int CompareNamesNoCase(std::string_view a, std::string_view b)
{
    if (SameNameNoCase(a, b))
        return 0;
    const int collated = UserCollator().Compare(a, b);
    if (collated != 0)
        return collated < 0 ? -1 : 1;
    return CompareFolded(a, b);
}

void AppendNameSortKey(std::string_view name, std::string& key)
{
    UserCollator().AppendSortKey(name, key);
}
