#include "MarkerSearch.h"

#include "Normalize.h"
#include "TraceRecorder.h"
#include "mwIPos.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr std::string_view kStartDirective = "{startpos=";
constexpr std::string_view kTerminators[] = {"<", ";", "')"};

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
    return FirstTerminator(kTerminators[0], kTerminators[1], kTerminators[2], text);
}

// Records which terminator ends the value at the 1-based position `end` of
// `rest`, or that none was found in the part searched.
void RecordTerminator(TTraceRecorder& record, std::string_view rest, std::size_t end)
{
    if (!record)
        return;
    if (end == 0) {
        record.Step(TStepKind::Terminator, false, record.Searched(rest));
        return;
    }
    const std::string_view at = rest.substr(end - 1);
    for (std::size_t which = 0; which < std::size(kTerminators); ++which) {
        if (at.substr(0, kTerminators[which].size()) == kTerminators[which]) {
            record.Step(TStepKind::Terminator, true, at.substr(0, kTerminators[which].size()), which);
            return;
        }
    }
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
void ApplyStartDirective(std::string_view& marker, std::string_view& page, TTraceRecorder& record)
{
    if (FindTextNoCase(kStartDirective, marker) == 0)
        return;
    const std::size_t c = FindTextNoCase("}", marker);
    std::string_view startText = c > 1 ? marker.substr(0, c - 1) : std::string_view();
    if (const std::size_t eq = FindTextNoCase("=", startText); eq > 0)
        startText = From(startText, eq + 1);
    marker = AfterClosingBrace(marker);
    if (record) {
        record->hasStartText = true;
        record->startText = startText;
    }
    const std::size_t s = startText.empty() ? 0 : FindTextNoCase(startText, page);
    if (s == 0) { // the search stays on the whole page
        record.Step(TStepKind::StartText, false, record.Searched(page));
        return;
    }
    page = From(page, s);
    record.Step(TStepKind::StartText, true, page.substr(0, BeforeNul(startText).size()));
}

// Reads the count directive: any "{" makes the text up to the first "}"
// one, whatever stands before the brace.
std::int32_t TakeCountDirective(std::string_view& marker, TTraceRecorder& record)
{
    if (FindTextNoCase("{", marker) == 0)
        return 1;
    const std::size_t c = FindTextNoCase("}", marker);
    const std::string_view countText = c > 2 ? marker.substr(1, c - 2) : std::string_view();
    marker = AfterClosingBrace(marker);
    const std::int32_t count = ReadCount(countText);
    if (record) {
        record->hasCount = true;
        record->count = count;
    }
    return count;
}

// The n-th occurrence of the marker, each occurrence on the way recorded.
std::size_t FindOccurrence(std::string_view marker, std::string_view page, std::size_t n, TTraceRecorder& record)
{
    if (!record)
        return FindNthTextNoCase(marker, page, n);
    const std::size_t length = BeforeNul(marker).size();
    return FindNthTextNoCase(marker, page, n,
                             [&](std::size_t at) { record.Occurrence(page, at, length, n); });
}

// Records why the marker was not found in the part of the page searched.
void RecordMissingMarker(TTraceRecorder& record, std::string_view marker, std::string_view searched,
                         std::size_t wanted)
{
    if (!record)
        return;
    record.Step(TStepKind::Marker, false, record.Searched(searched), wanted);
    if (BeforeNul(marker).empty())
        record.Fail(TRuleFailure::NoHtmlCode);
    else // a start text that the page lacks comes first
        record.Fail(record->occurrencesSeen > 0 ? TRuleFailure::TooFewOccurrences : TRuleFailure::MarkerNotFound,
                    BeforeNul(record->startText).empty() ? -1 : record.FirstMiss(TStepKind::StartText));
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
    return FindMarker(marker, page, nullptr);
}

TMarkerMatch FindMarker(std::string_view marker, std::string_view page, TRuleTrace* trace)
{
    TTraceRecorder record(trace, page);
    if (record) {
        record->marker = marker;
        if (marker.empty()) {
            record.Fail(TRuleFailure::EmptyCode);
            return {};
        }
    }
    ApplyStartDirective(marker, page, record);
    const std::int32_t count = TakeCountDirective(marker, record);
    if (record)
        record->htmlCode = BeforeNul(marker);

    // With a count of 0 or less the marker must occur, but nothing is
    // skipped. Occurrences are counted without overlap. When the page holds
    // fewer than the requested number, no value follows: not found.
    const std::size_t wanted = count <= 0 ? 1 : static_cast<std::size_t>(count);
    const std::size_t pos = FindOccurrence(marker, page, wanted, record);
    if (pos == 0) {
        RecordMissingMarker(record, marker, page, wanted);
        return {};
    }
    if (count <= 0)
        return {true, page};
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

// Records the value taken from the page; an empty one means the rule gave
// nothing.
void RecordValue(TTraceRecorder& record, std::string_view value, std::string_view cutFrom)
{
    if (!record)
        return;
    const bool empty = value.empty();
    record.Step(TStepKind::Value, !empty, empty ? cutFrom.substr(0, 0) : value);
    if (empty)
        record.Fail(TRuleFailure::EmptyValue);
}

std::string_view ExtractIPAddress(std::string_view before, std::string_view after, std::string_view page,
                                  TRuleTrace* trace)
{
    TTraceRecorder record(trace, page);
    const TMarkerMatch match = FindMarker(StripLineBreaks(before), page, trace);
    if (!match.found)
        return {};
    const std::string afterText = StripLineBreaks(after);
    std::size_t end = FindTextNoCase(afterText, match.rest);
    if (record && !BeforeNul(afterText).empty()) {
        record->afterText = afterText;
        const std::string_view part = end > 0 ? match.rest.substr(end - 1, BeforeNul(afterText).size())
                                              : record.Searched(match.rest);
        record.Step(TStepKind::AfterText, end > 0, part);
    }
    if (end == 0) {
        end = FirstValueTerminator(match.rest);
        RecordTerminator(record, match.rest, end);
    }
    if (end == 0) {
        if (record)
            record.Fail(TRuleFailure::NoValueEnd, record.FirstMiss(TStepKind::AfterText));
        return {};
    }
    const std::string_view value = Trim(match.rest.substr(0, end - 1));
    RecordValue(record, value, match.rest);
    if (record)
        record->value = value;
    return value;
}

std::string_view ExtractPropertyValue(std::string_view code, std::string_view page, TRuleTrace* trace)
{
    TTraceRecorder record(trace, page);
    const std::string marker = StripLineBreaks(code);
    if (marker.empty()) {
        if (record) {
            record->marker.clear();
            record.Fail(TRuleFailure::EmptyCode);
        }
        return {};
    }
    const TMarkerMatch match = FindMarker(marker, page, trace);
    if (!match.found)
        return {};
    // Without a terminator the value runs to the real end of the page: only
    // the searches stop at a NUL byte.
    const std::size_t end = FirstValueTerminator(match.rest);
    if (end > 0)
        RecordTerminator(record, match.rest, end);
    else
        record.Step(TStepKind::PageEnd, true, match.rest.substr(match.rest.size()));
    std::string_view value = Trim(end > 0 ? match.rest.substr(0, end - 1) : match.rest);
    if (const std::size_t quote = FindTextNoCase("\"", value); quote > 0) {
        record.Step(TStepKind::Quote, true, value.substr(quote - 1, 1));
        value = value.substr(0, quote - 1);
    }
    RecordValue(record, value, match.rest);
    if (const std::size_t checked = FindTextNoCase("checked", value); checked > 0) {
        record.Step(TStepKind::Checked, true, value.substr(checked - 1, 7));
        value = "aktiv";
    }
    if (record)
        record->value = value;
    return value;
}
