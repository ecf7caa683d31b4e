#pragma once

#include <cstddef>
#include <string_view>

// The plainest reading of the case-insensitive search, as a reference for
// tests and fuzzers: 1-based position of the n-th occurrence, counted
// without overlap; both texts end at their first NUL.
inline std::size_t NaiveFind(std::string_view pattern, std::string_view text, std::size_t n = 1)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    pattern = pattern.substr(0, pattern.find('\0'));
    text = text.substr(0, text.find('\0'));
    if (pattern.empty())
        return 0;
    for (std::size_t at = 0; at + pattern.size() <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < pattern.size() && fold(pattern[k]) == fold(text[at + k]))
            ++k;
        if (k == pattern.size() && --n == 0)
            return at + 1;
        if (k == pattern.size())
            at += pattern.size() - 1;
    }
    return 0;
}
