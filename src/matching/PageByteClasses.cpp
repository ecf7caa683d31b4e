#include "PageByteClasses.h"

#include <algorithm>
#include <cstring>

bool IsWordByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'
           || b >= 0x80;
}

bool StartsWord(std::string_view page, std::size_t at)
{
    if (!IsWordByte(page[at]))
        return false;
    if (at == 0 || !IsWordByte(page[at - 1]))
        return true;
    return page[at - 1] >= 'a' && page[at - 1] <= 'z' && page[at] >= 'A' && page[at] <= 'Z';
}

bool IsDelimiterByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 || std::strchr("<>\"'=;,:(){}[]|", c) != nullptr;
}

TVolatileBytes::TVolatileBytes(std::string_view page, std::size_t from, std::size_t to)
    : m_from(from), m_flags(to - from, 0)
{
    std::size_t runBegin = from;
    while (runBegin > 0 && !IsDelimiterByte(page[runBegin - 1]))
        --runBegin;
    while (runBegin < to) {
        std::size_t runEnd = runBegin;
        bool hasDigit = false;
        while (runEnd < page.size() && !IsDelimiterByte(page[runEnd])) {
            hasDigit = hasDigit || (page[runEnd] >= '0' && page[runEnd] <= '9');
            ++runEnd;
        }
        if (hasDigit) {
            for (std::size_t i = std::max(runBegin, from); i < std::min(runEnd, to); ++i)
                m_flags[i - from] = 1;
        }
        runBegin = runEnd + 1; // past the delimiter
    }
}

std::size_t TVolatileBytes::CountIn(std::size_t begin, std::size_t end) const
{
    std::size_t count = 0;
    for (std::size_t i = begin; i < end; ++i)
        count += m_flags[i - m_from];
    return count;
}

namespace {

bool IsLetter(char c)
{
    return IsWordByte(c) && !(c >= '0' && c <= '9') && c != '_';
}

constexpr std::size_t kLookBack = 512;

// Whether `at` stands between a "<" and its ">", looking back a limited way.
bool InsideTag(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    for (std::size_t i = at; i > stop; --i) {
        if (page[i - 1] == '<' || page[i - 1] == '>')
            return page[i - 1] == '<';
    }
    return false;
}

// A tag's name, or an attribute's name (before "=" inside a tag; in a
// script, a name before "=" is a variable, which labels its value well).
bool NamesTagOrAttribute(std::string_view page, std::size_t begin, std::size_t end)
{
    const bool behindOpening = begin > 0 && page[begin - 1] == '<';
    const bool behindClosing = begin > 1 && page[begin - 1] == '/' && page[begin - 2] == '<';
    const bool beforeEquals = end < page.size() && page[end] == '=';
    return behindOpening || behindClosing || (beforeEquals && InsideTag(page, begin));
}

// Whether the text around `at` follows, across tags only, text that ends in
// ":", as in "Status:</td><td>verbunden". Looks back a limited way.
bool StandsWhereValuesStand(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    std::size_t i = at;
    while (i > stop && page[i - 1] != '>') {
        if (page[i - 1] == '<')
            return false; // inside a tag
        --i;
    }
    while (i > stop && page[i - 1] == '>') {
        while (i > stop && page[i - 1] != '<')
            --i;
        if (i > stop)
            --i; // the "<"
    }
    return i > stop && page[i - 1] == ':';
}

// Letters [begin, end) of the word [begin, wordEnd) as a label.
bool IsLabel(std::string_view page, std::size_t begin, std::size_t end, std::size_t wordEnd,
             const TVolatileBytes& volatileBytes)
{
    return end - begin >= 3 && !NamesTagOrAttribute(page, begin, wordEnd)
           && volatileBytes.CountIn(begin, end) == 0 && !StandsWhereValuesStand(page, begin);
}

} // namespace

bool HoldsLabel(std::string_view page, std::size_t begin, std::size_t end, const TVolatileBytes& volatileBytes)
{
    for (std::size_t i = begin; i < end;) {
        if (!IsLetter(page[i])) {
            ++i;
            continue;
        }
        std::size_t wordEnd = i;
        while (wordEnd < page.size() && IsLetter(page[wordEnd]))
            ++wordEnd;
        if (IsLabel(page, i, std::min(wordEnd, end), wordEnd, volatileBytes))
            return true;
        i = wordEnd;
    }
    return false;
}

std::size_t LabelLengthAt(std::string_view page, std::size_t at, const TVolatileBytes& volatileBytes)
{
    std::size_t wordEnd = at;
    while (wordEnd < page.size() && IsLetter(page[wordEnd]))
        ++wordEnd;
    return IsLabel(page, at, wordEnd, wordEnd, volatileBytes) ? wordEnd - at : 0;
}
