#include "mwIPos.h"

#include <array>
#include <cstring>

namespace {

// Folds A-Z onto a-z; every other byte maps to itself.
constexpr std::array<unsigned char, 256> MakeLowerCaseTable()
{
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    return table;
}

constexpr std::array<unsigned char, 256> kLowerCase = MakeLowerCaseTable();

std::size_t LengthBeforeNul(std::string_view text)
{
    const void* nul = std::memchr(text.data(), 0, text.size());
    return nul ? static_cast<const char*>(nul) - text.data() : text.size();
}

} // namespace

std::size_t FindTextNoCase(std::string_view pattern, std::string_view text)
{
    const std::size_t m = LengthBeforeNul(pattern);
    const std::size_t n = LengthBeforeNul(text);
    if (m == 0 || m > n)
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i + m <= n; ++i) {
        std::size_t k = 0;
        while (k < m && kLowerCase[p[k]] == kLowerCase[t[i + k]])
            ++k;
        if (k == m)
            return i + 1;
    }
    return 0;
}
