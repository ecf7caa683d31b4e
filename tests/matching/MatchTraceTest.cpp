#include "MarkerSearchCheck.h"
#include "PageEvaluation.h"
#include "TraceDescription.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

using namespace std::string_literals;

void PrintTo(const TPageSpan& span, std::ostream* out)
{
    *out << "{" << span.offset << ", " << span.length << "}";
}

namespace {

struct TExpectedStep {
    TStepKind kind;
    bool matched;
    std::size_t offset;
    std::size_t length;
    std::size_t number = 0;
};

// The steps of one rule, compared one by one so that a failure names the step.
void ExpectSteps(const TRuleTrace& rule, const std::vector<TExpectedStep>& expected)
{
    ASSERT_EQ(rule.steps.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TTraceStep& step = rule.steps[i];
        EXPECT_EQ(step.kind, expected[i].kind) << "step " << i;
        EXPECT_EQ(step.matched, expected[i].matched) << "step " << i;
        EXPECT_EQ(step.span, (TPageSpan{expected[i].offset, expected[i].length})) << "step " << i;
        EXPECT_EQ(step.number, expected[i].number) << "step " << i;
    }
}

// One property rule traced on a page that is already prepared.
TRuleTrace TraceProperty(const std::string& code, std::string_view page)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("Wert=" + code);
    TPageTrace trace;
    TestPreparedPage(entry, page, 2, &trace);
    return trace.rules.at(0);
}

TRouterEntry Status1Router(std::string offline, std::string before, std::string after)
{
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = std::move(offline);
    entry.BeforeIPAddress = std::move(before);
    entry.AfterIPAddress = std::move(after);
    return entry;
}

std::string Summary(const TRuleTrace& rule)
{
    return RuleSummary(rule);
}

using K = TStepKind;

} // namespace

TEST(MatchTrace, OfflineCodeFoundOrSearchedThroughTheWholePage)
{
    const std::string page = "<b>Status:</b>getrennt<br>";
    TPageTrace trace;
    TestPreparedPage(Status1Router("getrennt", "IP:", ""), page, 1, &trace);
    ASSERT_EQ(trace.rules.size(), 2u);
    EXPECT_EQ(trace.rules[0].kind, TRuleKind::OfflineCode);
    EXPECT_EQ(trace.rules[0].failure, TRuleFailure::None);
    ExpectSteps(trace.rules[0], {{K::Marker, true, 14, 8, 1}});
    EXPECT_EQ(trace.rules[1].failure, TRuleFailure::SkippedOffline);
    EXPECT_TRUE(trace.rules[1].steps.empty());

    TestPreparedPage(Status1Router("verbunden", "IP:", ""), page, 1, &trace);
    EXPECT_EQ(trace.rules[0].failure, TRuleFailure::MarkerNotFound);
    ExpectSteps(trace.rules[0], {{K::Marker, false, 0, page.size(), 1}});
    EXPECT_EQ(trace.rules[0].failedStep, 0);
    EXPECT_EQ(Summary(trace.rules[0]), "„verbunden“ nicht gefunden: die Seite gilt als ONLINE");

    TestPreparedPage(Status1Router("", "IP:", ""), page, 1, &trace);
    EXPECT_EQ(trace.rules[0].failure, TRuleFailure::EmptyCode);
    EXPECT_TRUE(trace.rules[0].steps.empty());
}

TEST(MatchTrace, AddressEndsAtTheAfterTextOrATerminator)
{
    //                        0123456789012345678901234567890
    const std::string page = "x<td>IP:</td><td>1.2.3.4</td>";
    TPageTrace trace;
    TestPreparedPage(Status1Router("", "IP:</td><td>", "</td>"), page, 1, &trace);
    const TRuleTrace& address = trace.rules.at(1);
    ExpectSteps(address, {{K::Marker, true, 5, 12, 1}, {K::AfterText, true, 24, 5}, {K::Value, true, 17, 7}});
    EXPECT_EQ(address.value, "1.2.3.4");

    TestPreparedPage(Status1Router("", "IP:</td><td>", "</th>"), page, 1, &trace);
    ExpectSteps(trace.rules.at(1), {{K::Marker, true, 5, 12, 1},
                                    {K::AfterText, false, 17, 12},
                                    {K::Terminator, true, 24, 1, 0},
                                    {K::Value, true, 17, 7}});

    TestPreparedPage(Status1Router("", "IP:", "!"), "IP:1.2.3.4"s, 1, &trace);
    EXPECT_EQ(trace.rules.at(1).failure, TRuleFailure::NoValueEnd);
    EXPECT_EQ(trace.rules.at(1).failedStep, 1); // the missing after text comes first
    EXPECT_EQ(Summary(trace.rules.at(1)),
              "weder „!“ noch „<“, „;“ oder „')“ hinter der Fundstelle");
}

TEST(MatchTrace, StartTextAndEachCountedOccurrence)
{
    //                        0123456789012345678
    const std::string page = "<td>0DNS<td>1<TD>2;";
    const TRuleTrace rule = TraceProperty("{startpos=DNS}{2}<td>", page);
    EXPECT_EQ(rule.startText, "DNS");
    EXPECT_EQ(rule.count, 2);
    EXPECT_EQ(rule.htmlCode, "<td>");
    ExpectSteps(rule, {{K::StartText, true, 5, 3},
                       {K::Occurrence, true, 8, 4, 1},
                       {K::Marker, true, 13, 4, 2},
                       {K::Terminator, true, 18, 1, 1},
                       {K::Value, true, 17, 1}});
    EXPECT_EQ(rule.value, "2");
    EXPECT_EQ(rule.failedStep, -1);
}

TEST(MatchTrace, TooFewOccurrencesSaysHowManyThereWere)
{
    const TRuleTrace rule = TraceProperty("{3}<td>", "<td>a<td>b");
    EXPECT_EQ(rule.failure, TRuleFailure::TooFewOccurrences);
    EXPECT_EQ(rule.occurrencesSeen, 2u);
    ExpectSteps(rule, {{K::Occurrence, true, 0, 4, 1}, {K::Occurrence, true, 5, 4, 2}, {K::Marker, false, 0, 10, 3}});
    EXPECT_EQ(rule.failedStep, 2);
    EXPECT_EQ(Summary(rule), "nur 2 von 3 Vorkommen von „<td>“");
}

TEST(MatchTrace, NoSearchReachesBehindANulInsideThePage)
{
    const std::string page = "<td>a<\0<td>b;"s;
    TPageTrace trace;
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("Zwei={2}<td>");
    TestPreparedPage(entry, page, 2, &trace);
    EXPECT_EQ(trace.searchEnd, 6u);
    EXPECT_EQ(trace.pageSize, page.size());
    ExpectSteps(trace.rules.at(0), {{K::Occurrence, true, 0, 4, 1}, {K::Marker, false, 0, 6, 2}});
}

TEST(MatchTrace, ValueWithoutTerminatorRunsToThePageEnd)
{
    // Only the searches stop at the NUL: the value keeps what follows it.
    const std::string page = "Name:Box\0<x"s;
    const TRuleTrace rule = TraceProperty("Name:", page);
    ExpectSteps(rule, {{K::Marker, true, 0, 5, 1}, {K::PageEnd, true, 11, 0}, {K::Value, true, 5, 6}});
    EXPECT_EQ(rule.value, "Box\0<x"s);
}

TEST(MatchTrace, QuoteCutsTheValueAndCheckedMakesItActive)
{
    //                        012345678901234567890
    const std::string page = "name=dhcpchecked\"/><";
    const TRuleTrace rule = TraceProperty("name=dhcp", page);
    ExpectSteps(rule, {{K::Marker, true, 0, 9, 1},
                       {K::Terminator, true, 19, 1, 0},
                       {K::Quote, true, 16, 1},
                       {K::Value, true, 9, 7},
                       {K::Checked, true, 9, 7}});
    EXPECT_EQ(rule.value, "aktiv");
}

TEST(MatchTrace, MissingStartTextWidensTheSearchAndIsTheFirstFailure)
{
    const TRuleTrace widened = TraceProperty("{startpos=zz}<td>", "<td>1<");
    ExpectSteps(widened, {{K::StartText, false, 0, 6},
                          {K::Marker, true, 0, 4, 1},
                          {K::Terminator, true, 5, 1, 0},
                          {K::Value, true, 4, 1}});
    EXPECT_EQ(widened.failure, TRuleFailure::None);

    const TRuleTrace failed = TraceProperty("{startpos=zz}<tr>", "<td>1<");
    EXPECT_EQ(failed.failure, TRuleFailure::MarkerNotFound);
    EXPECT_EQ(failed.failedStep, 0);
    EXPECT_EQ(Summary(failed), "Starttext „zz“ nicht gefunden; in der ganzen Seite: „<tr>“ nicht gefunden");
}

TEST(MatchTrace, ZeroCountStartsTheValueAtTheSearchStart)
{
    const TRuleTrace rule = TraceProperty("{0}<td>", "a<td>b<");
    ExpectSteps(rule, {{K::Marker, true, 1, 4, 1}, {K::Terminator, true, 1, 1, 0}, {K::Value, true, 0, 1}});
    EXPECT_EQ(rule.value, "a");
}

TEST(MatchTrace, RulesThatCannotMatchSayWhy)
{
    EXPECT_EQ(TraceProperty("", "x").failure, TRuleFailure::EmptyCode);
    const TRuleTrace directivesOnly = TraceProperty("{2}", "{2}{2}");
    EXPECT_EQ(directivesOnly.failure, TRuleFailure::NoHtmlCode);
    EXPECT_EQ(Summary(directivesOnly), "nur Anweisungen, kein HTML-Code zum Suchen");
    const TRuleTrace empty = TraceProperty("<td>", "<td><");
    EXPECT_EQ(empty.failure, TRuleFailure::EmptyValue);
    EXPECT_EQ(empty.steps.at(std::size_t(empty.failedStep)).kind, K::Value);
}

TEST(MatchTrace, LinesOfOneNameShareTheFirstLinesOutcome)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("wan=WAN:");
    entry.Status2Values.Add("ohne Gleichheitszeichen");
    entry.Status2Values.Add("WAN=LAN:");
    TPageTrace trace;
    const TStaticTestResult result = TestPreparedPage(entry, "WAN:1<LAN:2<", 2, &trace);
    ASSERT_EQ(trace.rules.size(), 3u);
    EXPECT_EQ(trace.rules[1].failure, TRuleFailure::EmptyCode);
    EXPECT_EQ(trace.rules[2].sourceLine, 0);
    EXPECT_TRUE(trace.rules[2].steps.empty());
    EXPECT_EQ(trace.rules[2].value, "1");
    EXPECT_EQ(Summary(trace.rules[2]), "HTML-Code von Zeile 1 (gleicher Name): Wert „1“");
    ASSERT_EQ(result.values.Count(), 1);
    EXPECT_EQ(result.values.Rows()[0].line, 2);
}

TEST(MatchTrace, OccurrencesBeyondTheLimitAreCountedNotKept)
{
    const std::string page(5000, 'a');
    const TRuleTrace rule = TraceProperty("{4000}a", page + "<");
    EXPECT_EQ(rule.occurrencesSeen, 4000u);
    ASSERT_EQ(rule.steps.size(), 1000u + 3u); // 1000 occurrences, the marker, terminator, value
    EXPECT_EQ(rule.steps[1000].kind, K::Marker);
    EXPECT_EQ(rule.steps[1000].span, (TPageSpan{3999, 1}));
}

TEST(MatchTrace, OccurrencesKeptAreSharedOutOverThePage)
{
    TRouterEntry entry = NewRouterEntry();
    for (int i = 0; i < 150; ++i)
        entry.Status2Values.Add("W" + std::to_string(i) + "={1000}a");
    TPageTrace trace;
    const std::string page = std::string(1001, 'a') + "<";
    TestPreparedPage(entry, page, 2, &trace);
    std::size_t kept = 0;
    for (const TRuleTrace& rule : trace.rules) {
        kept += std::size_t(std::count_if(rule.steps.begin(), rule.steps.end(),
                                          [](const TTraceStep& step) { return step.kind == K::Occurrence; }));
        EXPECT_EQ(rule.occurrencesSeen, 1000u);
        EXPECT_EQ(rule.value, "a"); // the chosen occurrence is always kept
    }
    EXPECT_LE(kept, 100000u);
    EXPECT_GE(kept, 99000u);
    EXPECT_NE(OmittedOccurrencesNote(trace.rules.back()), "");
}

TEST(MatchTrace, StepDescriptionsNameWhatWasFound)
{
    const std::string page = "<td>0DNS<td>1<TD>2;";
    const TRuleTrace rule = TraceProperty("{startpos=DNS}{2}<td>", page);
    std::vector<std::string> texts;
    for (const TTraceStep& step : rule.steps)
        texts.push_back(StepDescription(rule, step, page));
    const std::vector<std::string> expected{
        "Starttext „DNS“",
        "Vorkommen 1 von 2: „<td>“",
        "Vorkommen 2 von 2: „<td>“, dahinter beginnt der Wert",
        "Ende am Zeichen „;“",
        "Wert „2“",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(Excerpt("a\0b\r"s + std::string(50, 'x'), 10), "a·b·xxxxxx…");
}

// The trace is made by the same search as the result; these check that
// recording it changes nothing and that every place it gives is right.
TEST(MatchTrace, ChangesNoResultOnThePageFixtures)
{
    const std::filesystem::path root(TEST_DATA_DIR);
    int checked = 0;
    for (const auto& folder : {root / "fuzz-regressions", root / "../../../fuzz/seeds/fuzz_marker_search"}) {
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(file.path(), std::ios::binary);
            const std::string input{std::istreambuf_iterator<char>(in), {}};
            for (char query = 0; query < 4; ++query) // every status query on each fixture
                EXPECT_EQ(CheckMarkerSearchInput(query + input.substr(1)), "") << file.path();
            ++checked;
        }
    }
    EXPECT_GE(checked, 4);
}

// Rules cut from the saved status pages themselves, so that most of them
// match somewhere: markers, start texts and ends taken from the page.
TEST(MatchTrace, ChangesNoResultOnRulesCutFromTheSavedPages)
{
    std::mt19937 random(5);
    int pages = 0;
    for (const auto& file : std::filesystem::directory_iterator(PAGES_DIR)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string raw{std::istreambuf_iterator<char>(in), {}};
        const std::string prepared = PreparePage(raw);
        auto piece = [&](std::size_t maxLength) {
            const std::size_t at = random() % (prepared.size() + 1);
            return prepared.substr(at, random() % (maxLength + 1));
        };
        auto marker = [&] {
            std::string text;
            if (random() % 3 == 0)
                text += "{startpos=" + piece(12) + "}";
            if (random() % 3 == 0)
                text += "{" + std::to_string(int(random() % 6) - 1) + "}";
            return text + piece(16);
        };
        for (int round = 0; round < 200; ++round) {
            std::string input(1, char(random() % 256));
            input += marker() + '\xFF' + marker() + '\xFF' + marker() + '\xFF' + piece(6) + '\xFF';
            for (int line = 0; line < 4; ++line)
                input += "p" + std::to_string(random() % 3) + "=" + marker() + '\xFF';
            ASSERT_EQ(CheckMarkerSearchInput(input + raw), "") << file.path() << " round " << round;
        }
        ++pages;
    }
    EXPECT_GE(pages, 10);
}

TEST(MatchTrace, ChangesNoResultOnRandomRulesAndPages)
{
    std::mt19937 random(11);
    const std::vector<std::string> pieces{"<td>", "</td>", "<", ";", "')", "\"", "a", "A", "1.2",
                                          "checked", "{startpos=", "{", "}", "2", "0", "-1", "x",
                                          "\0"s, " ", "\r\n", "=", "\xFF"};
    auto text = [&](std::size_t maxPieces) {
        std::string out;
        for (std::size_t n = random() % (maxPieces + 1); n > 0; --n)
            out += pieces[random() % pieces.size()];
        return out;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string input = char(random() % 256) + text(12) + text(30) + text(60);
        ASSERT_EQ(CheckMarkerSearchInput(input), "") << round;
    }
}
