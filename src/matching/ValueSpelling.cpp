#include "ValueSpelling.h"

#include "Cp1252.h"
#include "RuleProposal.h"
#include "mwIPos.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

struct TEntityName {
    unsigned char byte;
    std::string_view name;
};

// The names pages use most for the letters and signs of Windows-1252.
constexpr std::array<TEntityName, 24> kEntityNames = {{
    {0xE4, "auml"},   {0xF6, "ouml"},   {0xFC, "uuml"},   {0xC4, "Auml"},   {0xD6, "Ouml"},   {0xDC, "Uuml"},
    {0xDF, "szlig"},  {0xE9, "eacute"}, {0xE8, "egrave"}, {0xEA, "ecirc"},  {0xE1, "aacute"}, {0xE0, "agrave"},
    {0xE2, "acirc"},  {0xF3, "oacute"}, {0xFA, "uacute"}, {0xE7, "ccedil"}, {0xF1, "ntilde"}, {0xB0, "deg"},
    {0xB5, "micro"},  {0xB2, "sup2"},   {0xB3, "sup3"},   {0xB1, "plusmn"}, {0xB7, "middot"}, {0x80, "euro"},
}};

constexpr std::size_t kLongestTyped = 256;

bool IsBlank(char c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// One way a page may write a character: letters and references in either
// case, other bytes as they are.
struct TSpelling {
    std::string text;
    bool anyCase = true;
};

// One character of the typed value and the ways a page may write it.
struct TUnit {
    std::vector<TSpelling> spellings;
    bool optional = false; // a blank, which the page may leave out
};

std::vector<TUnit> Units(std::string_view typed)
{
    std::vector<TUnit> units;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char c = typed[i];
        if (IsBlank(c)) {
            if (units.empty() || !units.back().optional)
                units.push_back({{{"&nbsp;"}, {"&#160;"}, {"&#xa0;"}, {"\xA0", false}, {"\xC2\xA0", false}}, true});
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        TUnit unit{{{std::string(1, c), byte < 0x80}}};
        if (byte >= 0x80 || c == '&' || c == '<' || c == '>' || c == '"') {
            if (byte >= 0x80)
                unit.spellings.push_back({Cp1252ToUtf8(typed.substr(i, 1)), false});
            unit.spellings.push_back({"&#" + std::to_string(unsigned(Cp1252ToUnicode(byte))) + ";"});
            for (const TEntityName& entity : kEntityNames) {
                if (entity.byte == byte)
                    unit.spellings.push_back({"&" + std::string(entity.name) + ";", false});
            }
            for (const auto& [sign, name] : {std::pair{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}}) {
                if (c == sign)
                    unit.spellings.push_back({name});
            }
        }
        units.push_back(std::move(unit));
    }
    while (!units.empty() && units.back().optional)
        units.pop_back();
    return units;
}

bool SpelledAt(std::string_view page, std::size_t at, const TSpelling& spelling)
{
    const std::string& text = spelling.text;
    return page.size() - at >= text.size()
           && std::equal(text.begin(), text.end(), page.begin() + std::ptrdiff_t(at),
                         [&](char a, char b) { return spelling.anyCase ? Fold(a) == Fold(b) : a == b; });
}

// The end of the value's spelling that starts at `at`, or npos.
std::size_t EndOfSpelling(std::string_view page, std::size_t at, const std::vector<TUnit>& units, std::size_t unit)
{
    if (unit == units.size())
        return at;
    if (units[unit].optional) {
        if (const std::size_t end = EndOfSpelling(page, at, units, unit + 1); end != std::string_view::npos)
            return end;
    }
    for (const TSpelling& spelling : units[unit].spellings) {
        if (SpelledAt(page, at, spelling)) {
            if (const std::size_t end = EndOfSpelling(page, at + spelling.text.size(), units, unit + 1);
                end != std::string_view::npos)
                return end;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::vector<TValueSpan> FindValueAsPageWritesIt(std::string_view page, std::string_view typed, std::size_t most)
{
    std::vector<TValueSpan> places;
    page = BeforeNul(page);
    const std::string_view trimmed = typed.substr(0, kLongestTyped);
    std::size_t first = 0;
    while (first < trimmed.size() && IsBlank(trimmed[first]))
        ++first;
    const std::vector<TUnit> units = Units(trimmed.substr(first));
    if (units.empty())
        return places;
    for (std::size_t at = 0; at < page.size() && places.size() < most; ++at) {
        const std::size_t end = EndOfSpelling(page, at, units, 0);
        if (end != std::string_view::npos && end > at) {
            places.push_back({at, end});
            at = end - 1;
        }
    }
    return places;
}
