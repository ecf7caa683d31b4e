#include "PageEvaluation.h"

#include "BlankRemoval.h"
#include "MarkerSearch.h"
#include "Normalize.h"
#include "mwIPos.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// Occurrence steps kept for one page, over all its rules.
constexpr std::size_t kTracedOccurrences = 100000;

TRuleTrace* AddRule(TPageTrace* trace, TRuleKind kind)
{
    if (!trace)
        return nullptr;
    TRuleTrace& rule = trace->rules.emplace_back();
    rule.kind = kind;
    rule.searchEnd = trace->searchEnd;
    return &rule;
}

void EvaluateStatus1(const TRouterEntry& entry, std::string_view page, TStaticTestResult& result,
                     TPageTrace* trace)
{
    TRuleTrace* offlineRule = AddRule(trace, TRuleKind::OfflineCode);
    if (entry.OfflineCode.empty()) {
        if (offlineRule)
            offlineRule->failure = TRuleFailure::EmptyCode;
    } else {
        result.offline = FindMarker(StripLineBreaks(entry.OfflineCode), page, offlineRule).found;
    }
    TRuleTrace* addressRule = AddRule(trace, TRuleKind::IPAddress);
    if (!result.offline)
        result.ipAddress = ExtractIPAddress(entry.BeforeIPAddress, entry.AfterIPAddress, page, addressRule);
    else if (addressRule)
        addressRule->failure = TRuleFailure::SkippedOffline;
}

// The trace of one property line, before its search. The occurrences kept
// one by one are shared out over the whole page: `budget` is what the
// lines before have left.
TRuleTrace* AddPropertyRule(TPageTrace* trace, const TPropertyList& properties, int line, int sourceLine,
                            std::size_t& budget)
{
    if (!trace)
        return nullptr;
    if (!trace->rules.empty()) {
        const TRuleTrace& previous = trace->rules.back();
        budget -= std::min(budget, std::min(previous.occurrencesSeen, previous.occurrenceLimit));
    }
    TRuleTrace* rule = AddRule(trace, TRuleKind::Property);
    rule->line = line;
    rule->sourceLine = sourceLine;
    rule->name = properties.Name(line);
    rule->occurrenceLimit = std::min(rule->occurrenceLimit, budget);
    return rule;
}

// A line without HTML code of its own: none at all, or that of an earlier
// line of its name, whose outcome it shares.
void RecordBorrowedOutcome(const TPageTrace& trace, TRuleTrace& rule)
{
    if (rule.sourceLine < 0) {
        rule.failure = TRuleFailure::EmptyCode;
    } else if (rule.sourceLine < rule.line) {
        const TRuleTrace& source = trace.rules[std::size_t(rule.sourceLine)];
        rule.failure = source.failure;
        rule.value = source.value;
    }
}

// Every line of a name uses the HTML code of the first line of that name.
TFoundValues EvaluateProperties(const TPropertyList& properties, std::string_view page, TPageTrace* trace)
{
    const std::vector<int> codeLine = properties.LookupIndexOfEachName();
    std::vector<std::string_view> valueOfLine(codeLine.size());
    std::size_t occurrenceBudget = kTracedOccurrences;
    TFoundValues result;
    for (int i = 0; i < properties.Count(); ++i) {
        const int source = codeLine[i];
        TRuleTrace* rule = AddPropertyRule(trace, properties, i, source, occurrenceBudget);
        if (source >= 0 && source < i)
            valueOfLine[i] = valueOfLine[source];
        else if (source >= 0)
            valueOfLine[i] = ExtractPropertyValue(properties.ValueAt(source), page, rule);
        if (rule)
            RecordBorrowedOutcome(*trace, *rule);
        result.Set(source, i, properties.Name(i), valueOfLine[i]);
    }
    return result;
}
const TPropertyList& PropertiesOf(const TRouterEntry& entry, int statusQuery)
{
    switch (statusQuery) {
    case 2: return entry.Status2Values;
    case 3: return entry.Status3Values;
    case 4: return entry.Status4Values;
    }
    throw std::invalid_argument("status query must be 1 to 4");
}

} // namespace

void FixLeadingNuls(std::string& loadedData)
{
    if (loadedData.size() < 2)
        return;
    for (std::size_t i = 0; i < 2; ++i) {
        if (loadedData[i] == '\0')
            loadedData[i] = ' ';
    }
}

std::string PreparePage(std::string loadedData)
{
    FixLeadingNuls(loadedData);
    char* begin = loadedData.data();
    char* end = begin + loadedData.size();
    char* firstNul = static_cast<char*>(std::memchr(begin, 0, loadedData.size()));
    if (!firstNul)
        firstNul = end;
    char* out = CopyWithoutBlanks(begin, firstNul, begin, true);
    out = CopyWithoutBlanks(firstNul, end, out, false);
    loadedData.resize(out - begin);
    return loadedData;
}

TStaticTestResult TestPreparedPage(const TRouterEntry& entry, std::string_view page, int statusQuery,
                                   TPageTrace* trace)
{
    if (trace) {
        *trace = TPageTrace();
        trace->statusQuery = statusQuery;
        trace->pageSize = page.size();
        trace->searchEnd = BeforeNul(page).size();
    }
    TStaticTestResult result;
    if (statusQuery == 1)
        EvaluateStatus1(entry, page, result, trace);
    else
        result.values = EvaluateProperties(PropertiesOf(entry, statusQuery), page, trace);
    return result;
}

void TFoundValues::Set(int sourceLine, int line, std::string_view name, std::string_view value)
{
    // Lines of one name share the value of the first, so an empty value
    // never has a row to remove.
    if (value.empty() || sourceLine < 0)
        return;
    if (m_rowOfSource.size() <= static_cast<std::size_t>(sourceLine))
        m_rowOfSource.resize(static_cast<std::size_t>(sourceLine) + 1, -1);
    int& row = m_rowOfSource[static_cast<std::size_t>(sourceLine)];
    if (row < 0) {
        row = Count();
        m_rows.push_back({name, value, line});
    } else {
        m_rows[static_cast<std::size_t>(row)].name = name;
        m_rows[static_cast<std::size_t>(row)].line = line;
    }
}

TPageTest::TPageTest(TRouterEntry entry, std::string loadedData, int statusQuery, bool traced)
    : m_entry(std::move(entry)),
      m_page(PreparePage(std::move(loadedData))),
      m_statusQuery(statusQuery),
      m_result(TestPreparedPage(m_entry, m_page, statusQuery, traced ? &m_trace : nullptr))
{}
