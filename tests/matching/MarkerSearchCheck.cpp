#include "MarkerSearchCheck.h"
#include "../text/NaiveSearch.h"

#include "MarkerSearch.h"
#include "PageEvaluation.h"
#include "mwIPos.h"
#include "MatchTrace.h"

#include <vector>

namespace {

std::vector<std::string_view> Pieces(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t cut;
    while ((cut = text.find('\xFF')) != std::string_view::npos) {
        pieces.push_back(text.substr(0, cut));
        text.remove_prefix(cut + 1);
    }
    pieces.push_back(text);
    return pieces;
}

bool IsSuffixOf(std::string_view rest, std::string_view page)
{
    return rest.data() >= page.data() && rest.data() + rest.size() == page.data() + page.size();
}

bool IsTrimmed(std::string_view value)
{
    return value.empty()
           || (static_cast<unsigned char>(value.front()) > 0x20 && static_cast<unsigned char>(value.back()) > 0x20);
}

bool IsPrepared(std::string_view page)
{
    return page.find(' ') == std::string_view::npos
           && BeforeNul(page).find_first_of("\r\n\t") == std::string_view::npos;
}

bool SameResult(const TStaticTestResult& a, const TStaticTestResult& b)
{
    if (a.offline != b.offline || a.ipAddress != b.ipAddress || a.values.Count() != b.values.Count())
        return false;
    for (int i = 0; i < a.values.Count(); ++i) {
        const TFoundValues::TRow& x = a.values.Rows()[std::size_t(i)];
        const TFoundValues::TRow& y = b.values.Rows()[std::size_t(i)];
        if (x.name != y.name || x.value != y.value || x.line != y.line)
            return false;
    }
    return true;
}

// Steps found by a search in the page, which ends at its first NUL. The
// quote and "checked" are looked for in the value, which trimming may start
// behind that NUL.
bool IsPageSearchStep(TStepKind kind)
{
    return kind != TStepKind::Value && kind != TStepKind::PageEnd && kind != TStepKind::Quote
           && kind != TStepKind::Checked;
}

// The steps of one rule against the page: every place inside the page, the
// searched texts really there, and the chosen occurrence where a plain
// search of the part searched puts it.
std::string CheckRuleSteps(const TRuleTrace& rule, const TPageTrace& trace, std::string_view page)
{
    std::size_t searchFrom = 0;
    std::size_t lastOccurrenceEnd = 0;
    for (const TTraceStep& step : rule.steps) {
        if (step.span.End() > page.size())
            return "trace step beyond the page";
        if (step.matched && IsPageSearchStep(step.kind) && step.span.End() > trace.searchEnd)
            return "trace step matched behind the first NUL";
        const std::string_view text = page.substr(step.span.offset, step.span.length);
        if (step.kind == TStepKind::StartText && step.matched) {
            if (NaiveFind(rule.startText, text) != 1)
                return "start text step holds no start text";
            searchFrom = step.span.offset;
        }
        if ((step.kind == TStepKind::Occurrence || step.kind == TStepKind::Marker) && step.matched) {
            if (step.span.length != BeforeNul(rule.htmlCode).size() || NaiveFind(rule.htmlCode, text) != 1)
                return "occurrence step holds no HTML code";
            if (step.span.offset < lastOccurrenceEnd)
                return "occurrences overlap or go backwards";
            lastOccurrenceEnd = step.span.End();
        }
        if (step.kind == TStepKind::Marker && step.matched) {
            const std::size_t wanted = rule.count <= 0 ? 1 : std::size_t(rule.count);
            if (searchFrom + NaiveFind(rule.htmlCode, page.substr(searchFrom), wanted) != step.span.offset + 1)
                return "marker step differs from the reference search";
        }
    }
    const bool sharesAnEarlierLine = rule.sourceLine >= 0 && rule.sourceLine < rule.line;
    if (rule.failure != TRuleFailure::None && rule.failure != TRuleFailure::EmptyCode
        && rule.failure != TRuleFailure::SkippedOffline && !sharesAnEarlierLine
        && (rule.failedStep < 0 || rule.failedStep >= int(rule.steps.size())
            || rule.steps[std::size_t(rule.failedStep)].matched))
        return "failed rule without its failed step";
    return {};
}

std::string CheckTrace(const TPageTrace& trace, const TStaticTestResult& result, std::string_view page)
{
    if (trace.pageSize != page.size() || trace.searchEnd != BeforeNul(page).size())
        return "trace of another page";
    for (const TRuleTrace& rule : trace.rules) {
        if (const std::string failure = CheckRuleSteps(rule, trace, page); !failure.empty())
            return failure;
        if (rule.kind == TRuleKind::OfflineCode && result.offline != (rule.failure == TRuleFailure::None))
            return "offline rule disagrees with the result";
        if (rule.kind == TRuleKind::IPAddress && rule.value != result.ipAddress)
            return "address rule disagrees with the result";
    }
    for (const TFoundValues::TRow& row : result.values.Rows()) {
        if (row.line >= int(trace.rules.size()) || trace.rules[std::size_t(row.line)].value != row.value)
            return "property rule disagrees with the result";
    }
    return {};
}

} // namespace

std::string CheckMarkerSearchInput(std::string_view input)
{
    if (input.empty())
        return {};
    const int statusQuery = static_cast<unsigned char>(input[0]) % 4 + 1;
    const std::vector<std::string_view> pieces = Pieces(input.substr(1));
    auto piece = [&](std::size_t i) { return i + 1 < pieces.size() ? pieces[i] : std::string_view(); };
    const std::string_view marker = piece(0);
    const std::string_view page = pieces.back();

    if (FindTextNoCase(marker, page) != NaiveFind(marker, page, 1))
        return "FindTextNoCase differs from the reference";
    const std::size_t n = static_cast<unsigned char>(input[0]) / 4 % 8 + 1;
    if (FindNthTextNoCase(marker, page, n) != NaiveFind(marker, page, n))
        return "FindNthTextNoCase differs from the reference";
    const TMarkerMatch match = FindMarker(marker, page);
    if (match.found ? !IsSuffixOf(match.rest, page) : !match.rest.empty())
        return "FindMarker rest is no suffix of the page";
    const std::size_t terminator = FirstTerminator("<", ";", "')", page);
    if (terminator > page.size())
        return "FirstTerminator beyond the page";
    // A value is trimmed before it is cut at a quote, so only the front is sure.
    const std::string_view value = ExtractPropertyValue(marker, page);
    if (!IsTrimmed(value.substr(0, 1)))
        return "property value with a blank front";
    if (!IsTrimmed(ExtractIPAddress(marker, piece(3), page)))
        return "IP address not trimmed";

    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = piece(1);
    entry.BeforeIPAddress = piece(2);
    entry.AfterIPAddress = piece(3);
    for (std::size_t i = 4; i + 1 < pieces.size(); ++i)
        entry.Status2Values.Add(std::string(pieces[i]));
    entry.Status3Values = entry.Status4Values = entry.Status2Values;

    const std::string prepared = PreparePage(std::string(page));
    if (!IsPrepared(prepared))
        return "prepared page keeps spaces or line breaks";
    const TStaticTestResult result = TestPreparedPage(entry, prepared, statusQuery);
    if (result.offline && !result.ipAddress.empty())
        return "offline page with an IP address";
    if (result.values.Count() > entry.Status2Values.Count())
        return "more values than properties";
    TPageTrace trace;
    const TStaticTestResult traced = TestPreparedPage(entry, prepared, statusQuery, &trace);
    if (!SameResult(result, traced))
        return "the trace changes the result";
    return CheckTrace(trace, traced, prepared);
}
