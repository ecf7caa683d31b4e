#include "MarkerSearch.h"

#include "Normalize.h"
#include "mwIPos.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr std::string_view kStartDirective = "{startpos=";

// The text from 1-based position k on; k below 1 counts as 1.
std::string_view From(std::string_view text, std::size_t k)
{
    const std::size_t skip = k > 0 ? k - 1 : 0;
    return text.substr(std::min(skip, text.size()));
}

// The text behind its first "}", or the whole text when it has none.
std::string_view AfterClosingBrace(std::string_view text)
{
    const std::size_t c = FindTextNoCase("}", text);
    return c > 0 ? From(text, c + 1) : text;
}

std::string_view Trim(std::string_view text)
{
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Every value ends at the first of these.
std::size_t FirstValueTerminator(std::string_view text)
{
    return FirstTerminator("<", ";", "')", text);
}

std::optional<int> DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    if (value < 0)
        return std::nullopt;
    return value;
}

// Reads the start directive, if the marker holds one: narrows the page to
// the start text on and drops the directive from the marker.
void ApplyStartDirective(std::string_view& marker, std::string_view& page)
{
    if (FindTextNoCase(kStartDirective, marker) == 0)
        return;
    const std::size_t c = FindTextNoCase("}", marker);
    std::string_view startText = c > 1 ? marker.substr(0, c - 1) : std::string_view();
    if (const std::size_t eq = FindTextNoCase("=", startText); eq > 0)
        startText = From(startText, eq + 1);
    marker = AfterClosingBrace(marker);
    if (startText.empty())
        return;
    if (const std::size_t s = FindTextNoCase(startText, page); s > 0)
        page = From(page, s);
}

// Reads the count directive: any "{" makes the text up to the first "}"
// one, whatever stands before the brace.
std::int32_t TakeCountDirective(std::string_view& marker)
{
    if (FindTextNoCase("{", marker) == 0)
        return 1;
    const std::size_t c = FindTextNoCase("}", marker);
    const std::string_view countText = c > 2 ? marker.substr(1, c - 2) : std::string_view();
    marker = AfterClosingBrace(marker);
    return ReadCount(countText);
}

} // namespace

std::int32_t ReadCount(std::string_view text)
{
    constexpr std::int32_t kInvalid = 1;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return kInvalid;
    const std::int64_t limit = negative ? std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const auto digit = DigitValue(text[i], base);
        if (!digit)
            return kInvalid;
        value = value * base + *digit;
        if (value > limit)
            return kInvalid;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

TMarkerMatch FindMarker(std::string_view marker, std::string_view page)
{
    ApplyStartDirective(marker, page);
    const std::int32_t count = TakeCountDirective(marker);

    if (count <= 0) { // the marker must occur, but nothing is skipped
        if (FindTextNoCase(marker, page) == 0)
            return {};
        return {true, page};
    }
    // Occurrences are counted without overlap. When the page holds fewer
    // than the requested number, no value follows the marker: not found.
    const std::size_t pos = FindNthTextNoCase(marker, page, static_cast<std::size_t>(count));
    if (pos == 0)
        return {};
    // Like every search, the marker counts as ending at its first NUL byte.
    return {true, From(page, pos + BeforeNul(marker).size())};
}

std::size_t FirstTerminator(std::string_view t1, std::string_view t2, std::string_view t3,
                            std::string_view text)
{
    const std::size_t longest = std::max({t1.size(), t2.size(), t3.size()});
    std::size_t first = 0;
    for (std::string_view terminator : {t1, t2, t3}) {
        const std::size_t pos = FindTextNoCase(terminator, text);
        if (pos > 0 && (first == 0 || pos < first)) {
            first = pos;
            // Only an occurrence that starts earlier still matters, of any
            // of the terminators.
            text = text.substr(0, std::min(text.size(), pos - 1 + longest - 1));
        }
    }
    return first;
}

std::string ExtractIPAddress(std::string_view before, std::string_view after, std::string_view page)
{
    const TMarkerMatch match = FindMarker(StripLineBreaks(before), page);
    if (!match.found)
        return {};
    std::size_t end = FindTextNoCase(StripLineBreaks(after), match.rest);
    if (end == 0)
        end = FirstValueTerminator(match.rest);
    if (end == 0)
        return {};
    return std::string(Trim(match.rest.substr(0, end - 1)));
}

std::string ExtractPropertyValue(std::string_view code, std::string_view page)
{
    const std::string marker = StripLineBreaks(code);
    if (marker.empty())
        return {};
    const TMarkerMatch match = FindMarker(marker, page);
    if (!match.found)
        return {};
    // Without a terminator the value runs to the real end of the page: only
    // the searches stop at a NUL byte.
    const std::size_t end = FirstValueTerminator(match.rest);
    std::string_view value = Trim(end > 0 ? match.rest.substr(0, end - 1) : match.rest);
    if (const std::size_t quote = FindTextNoCase("\"", value); quote > 0)
        value = value.substr(0, quote - 1);
    if (FindTextNoCase("checked", value) > 0)
        return "aktiv";
    return std::string(value);
}
