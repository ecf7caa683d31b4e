#include "NameCompare.h"

#include "Collation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

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

} // namespace

std::size_t CommonPrefixLength(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    for (std::uint64_t x, y; i + sizeof x <= common; i += sizeof x) {
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        if (x != y)
            break;
    }
    while (i < common && a[i] == b[i])
        ++i;
    return i;
}

int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        // Equal bytes fold alike; long common beginnings are passed quickly.
        i += CommonPrefixLength(a.substr(i), b.substr(i));
        if (i == common)
            break;
        const unsigned char x = kFoldTable[static_cast<unsigned char>(a[i])];
        const unsigned char y = kFoldTable[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

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
