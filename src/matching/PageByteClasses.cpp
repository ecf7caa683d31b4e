#include "PageByteClasses.h"

#include <algorithm>
#include <cstring>

bool IsWordByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'
           || b >= 0x80;
}

bool OpensTag(std::string_view page, std::size_t at)
{
    if (page[at] != '<' || at + 1 >= page.size())
        return false;
    const char next = page[at + 1];
    return next == '/' || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
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

namespace {

constexpr std::size_t kLookBack = 512;


bool EndsWithValue(std::string_view name)
{
    constexpr std::string_view kValue = "value";
    if (name.size() < kValue.size())
        return false;
    const std::string_view tail = name.substr(name.size() - kValue.size());
    return std::equal(tail.begin(), tail.end(), kValue.begin(),
                      [](char a, char b) { return (a | 0x20) == b; });
}

// Where a scan must start to know whether `at` stands inside a tag: at the
// tag's "<", or else at the start of the run that holds `at`.
std::size_t ScanStart(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    for (std::size_t i = at; i > stop && page[i - 1] != '>'; --i) {
        if (OpensTag(page, i - 1))
            return i - 1;
    }
    while (at > 0 && !IsDelimiterByte(page[at - 1]))
        --at;
    return at;
}

} // namespace

TVolatileBytes::TVolatileBytes(std::string_view page, std::size_t from, std::size_t to)
    : m_from(from), m_flags(to - from, 0)
{
    // Inside tags, numbers are markup (sizes, colours, ids), except in the
    // value of a "value" attribute, which is what an input field shows.
    bool insideTag = false;
    bool inValueAttribute = false;
    std::string_view previousRun;
    for (std::size_t pos = ScanStart(page, from); pos < to;) {
        if (IsDelimiterByte(page[pos])) {
            if (OpensTag(page, pos) || page[pos] == '>')
                insideTag = page[pos] == '<';
            if (page[pos] == '=' && insideTag)
                inValueAttribute = EndsWithValue(previousRun);
            inValueAttribute = inValueAttribute && insideTag;
            ++pos;
            continue;
        }
        std::size_t end = pos;
        bool hasDigit = false;
        for (; end < page.size() && !IsDelimiterByte(page[end]); ++end)
            hasDigit = hasDigit || (page[end] >= '0' && page[end] <= '9');
        if (hasDigit && (!insideTag || inValueAttribute)) {
            for (std::size_t i = std::max(pos, from); i < std::min(end, to); ++i)
                m_flags[i - from] = 1;
        }
        previousRun = page.substr(pos, end - pos);
        pos = end;
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

// A tag's name, or an attribute's name (before "=" inside a tag; in a
// script, a name before "=" is a variable, which labels its value well).
bool NamesTagOrAttribute(std::string_view page, std::size_t begin, std::size_t end)
{
    const bool behindOpening = begin > 0 && page[begin - 1] == '<';
    const bool behindClosing = begin > 1 && page[begin - 1] == '/' && page[begin - 2] == '<';
    const bool beforeEquals = end < page.size() && page[end] == '=';
    return behindOpening || behindClosing || (beforeEquals && IsInsideTag(page, begin));
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

// The end of the run of letters from `at` on, looking a limited way past
// `end`: a word that runs on further names no attribute.
std::size_t WordEnd(std::string_view page, std::size_t at, std::size_t end)
{
    const std::size_t limit = std::min(page.size(), end + kLookBack);
    while (at < limit && IsLetter(page[at]))
        ++at;
    return at;
}

// The start of the run of letters that holds `at`, looking a limited way back.
std::size_t WordBegin(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    while (at > stop && IsLetter(page[at - 1]))
        --at;
    return at;
}

// Whether the letters [begin, end) of a word that ends at wordEnd, and may
// start before `begin`, count as a label.
bool IsLabel(std::string_view page, std::size_t begin, std::size_t end, std::size_t wordEnd,
             const TVolatileBytes& volatileBytes)
{
    const std::size_t wordBegin = WordBegin(page, begin);
    return end - begin >= 3 && !NamesTagOrAttribute(page, wordBegin, wordEnd)
           && volatileBytes.CountIn(begin, end) == 0 && !StandsWhereValuesStand(page, wordBegin);
}

} // namespace

bool IsInsideTag(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    for (std::size_t i = at; i > stop && page[i - 1] != '>'; --i) {
        if (OpensTag(page, i - 1))
            return true;
    }
    return false;
}

bool HoldsLabel(std::string_view page, std::size_t begin, std::size_t end, const TVolatileBytes& volatileBytes)
{
    for (std::size_t i = begin; i < end;) {
        if (!IsLetter(page[i])) {
            ++i;
            continue;
        }
        const std::size_t wordEnd = WordEnd(page, i, end);
        if (IsLabel(page, i, std::min(wordEnd, end), wordEnd, volatileBytes))
            return true;
        i = wordEnd;
    }
    return false;
}

std::size_t LabelLengthAt(std::string_view page, std::size_t at, std::size_t end,
                          const TVolatileBytes& volatileBytes)
{
    const std::size_t wordEnd = WordEnd(page, at, end);
    const std::size_t labelEnd = std::min(wordEnd, end);
    return IsLabel(page, at, labelEnd, wordEnd, volatileBytes) ? labelEnd - at : 0;
}
