#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252.h"
#include "FileMessages.h"
#include "JsonWriter.h"
#include "PageEvaluation.h"
#include "TraceDescription.h"

#include <iostream>
#include <optional>

namespace {

// Standard output, written piece by piece: a value can run to the end of a
// page of any size, and is converted and written a piece at a time instead
// of being copied whole.
class TOutput {
public:
    void Raw(std::string_view bytes) { std::cout.write(bytes.data(), std::streamsize(bytes.size())); }

    // Windows-1252 text as UTF-8; only its line breaks are the output's
    // own, any other control character from the page or file is escaped.
    void Text(std::string_view cp1252Text, std::string_view keep = "\n")
    {
        for (std::size_t at = 0; at < cp1252Text.size(); at += kPiece)
            Raw(Cp1252ToUtf8(EscapeControls(cp1252Text.substr(at, kPiece), keep)));
    }
    // A name or value from the page or file, line breaks escaped too.
    void Value(std::string_view cp1252Text) { Text(cp1252Text, {}); }

    void Json(std::string_view cp1252Text)
    {
        Raw("\"");
        for (std::size_t at = 0; at < cp1252Text.size(); at += kPiece)
            Raw(JsonStringContent(cp1252Text.substr(at, kPiece)));
        Raw("\"");
    }

    bool Finish()
    {
        std::cout.flush();
        if (!std::cout)
            Fail("Die Standardausgabe kann nicht geschrieben werden.");
        return bool(std::cout);
    }

private:
    static constexpr std::size_t kPiece = 64 * 1024;
};

const char* RuleKindName(TRuleKind kind)
{
    switch (kind) {
    case TRuleKind::OfflineCode: return "offlineCode";
    case TRuleKind::IPAddress: return "ipAddress";
    case TRuleKind::Property: break;
    }
    return "property";
}

const char* StepKindName(TStepKind kind)
{
    switch (kind) {
    case TStepKind::StartText: return "startText";
    case TStepKind::Occurrence: return "occurrence";
    case TStepKind::Marker: return "marker";
    case TStepKind::AfterText: return "afterText";
    case TStepKind::Terminator: return "terminator";
    case TStepKind::PageEnd: return "pageEnd";
    case TStepKind::Quote: return "quote";
    case TStepKind::Value: return "value";
    case TStepKind::Checked: break;
    }
    return "checked";
}

const char* FailureName(TRuleFailure failure)
{
    switch (failure) {
    case TRuleFailure::None: return "none";
    case TRuleFailure::EmptyCode: return "emptyCode";
    case TRuleFailure::NoHtmlCode: return "noHtmlCode";
    case TRuleFailure::MarkerNotFound: return "markerNotFound";
    case TRuleFailure::TooFewOccurrences: return "tooFewOccurrences";
    case TRuleFailure::NoValueEnd: return "noValueEnd";
    case TRuleFailure::EmptyValue: return "emptyValue";
    case TRuleFailure::SkippedOffline: break;
    }
    return "skippedOffline";
}

void WriteTraceText(TOutput& out, const TPageTrace& trace, std::string_view page)
{
    out.Text("\n" + PageNote(trace) + "\n");
    for (const TRuleTrace& rule : trace.rules) {
        out.Text(RuleTitle(rule) + ": " + RuleSummary(rule) + "\n");
        for (std::size_t i = 0; i < rule.steps.size(); ++i) {
            const TTraceStep& step = rule.steps[i];
            const bool failed = rule.failedStep == int(i);
            out.Text((failed ? "  ! " : "    ") + std::to_string(step.span.offset) + "+"
                     + std::to_string(step.span.length) + "  " + StepDescription(rule, step, page) + "  "
                     + SpanExcerpt(page, step.span) + "\n");
        }
        if (const std::string note = OmittedOccurrencesNote(rule); !note.empty())
            out.Text("    (" + note + ")\n");
    }
}

void WriteStepJson(TOutput& out, const TRuleTrace& rule, const TTraceStep& step, std::string_view page)
{
    out.Raw(std::string("{\"kind\": \"") + StepKindName(step.kind) + "\", \"matched\": "
            + (step.matched ? "true" : "false") + ", \"offset\": " + std::to_string(step.span.offset)
            + ", \"length\": " + std::to_string(step.span.length) + ", \"number\": "
            + std::to_string(step.number) + ", \"description\": ");
    out.Json(StepDescription(rule, step, page));
    out.Raw(", \"excerpt\": ");
    out.Json(SpanExcerpt(page, step.span));
    out.Raw("}");
}

void WriteRuleJson(TOutput& out, const TRuleTrace& rule, std::string_view page)
{
    out.Raw(std::string("{\"kind\": \"") + RuleKindName(rule.kind) + "\"");
    if (rule.kind == TRuleKind::Property) {
        out.Raw(", \"name\": ");
        out.Json(rule.name);
        out.Raw(", \"line\": " + std::to_string(rule.line) + ", \"sourceLine\": " + std::to_string(rule.sourceLine));
    }
    out.Raw(", \"marker\": ");
    out.Json(rule.marker);
    out.Raw(", \"startText\": ");
    rule.hasStartText ? out.Json(rule.startText) : out.Raw("null");
    out.Raw(", \"count\": " + (rule.hasCount ? std::to_string(rule.count) : std::string("null")));
    out.Raw(", \"htmlCode\": ");
    out.Json(rule.htmlCode);
    if (rule.kind == TRuleKind::IPAddress) {
        out.Raw(", \"afterText\": ");
        out.Json(rule.afterText);
    }
    out.Raw(", \"occurrencesSeen\": " + std::to_string(rule.occurrencesSeen) + ", \"value\": ");
    rule.kind == TRuleKind::OfflineCode ? out.Raw("null") : out.Json(rule.value);
    out.Raw(std::string(", \"failure\": \"") + FailureName(rule.failure) + "\", \"failedStep\": "
            + std::to_string(rule.failedStep) + ", \"summary\": ");
    out.Json(RuleSummary(rule));
    out.Raw(", \"steps\": [");
    for (std::size_t i = 0; i < rule.steps.size(); ++i) {
        out.Raw(i ? ", " : "");
        WriteStepJson(out, rule, rule.steps[i], page);
    }
    out.Raw("]}");
}

void WriteTraceJson(TOutput& out, const TPageTrace& trace, std::string_view page)
{
    out.Raw(", \"trace\": {\"statusQuery\": " + std::to_string(trace.statusQuery) + ", \"pageSize\": "
            + std::to_string(trace.pageSize) + ", \"searchEnd\": " + std::to_string(trace.searchEnd)
            + ", \"rules\": [");
    for (std::size_t i = 0; i < trace.rules.size(); ++i) {
        out.Raw(i ? ",\n  " : "\n  ");
        WriteRuleJson(out, trace.rules[i], page);
    }
    out.Raw("]}");
}

void WriteStatus1(TOutput& out, const TStaticTestResult& result, bool json)
{
    const char* state = result.offline ? "OFFLINE" : "ONLINE";
    if (!json) {
        out.Raw(std::string(state) + "\n");
        out.Value(result.ipAddress);
        out.Raw("\n");
        return;
    }
    out.Raw(std::string("{\"state\": \"") + state + "\", \"ip\": ");
    out.Json(result.ipAddress);
}

void WriteValues(TOutput& out, const TFoundValues& values, bool json)
{
    out.Raw(json ? "{\"values\": [" : "");
    for (int i = 0; i < values.Count(); ++i) {
        if (json) {
            out.Raw(i ? ", [" : "[");
            out.Json(values.Name(i));
            out.Raw(", ");
            out.Json(values.ValueAt(i));
            out.Raw("]");
        } else {
            out.Value(values.Name(i));
            out.Raw(": ");
            out.Value(values.ValueAt(i));
            out.Raw("\n");
        }
    }
    out.Raw(json ? "]" : "");
}

// One router's status query, with the trace behind it when asked for.
bool WriteRouterTest(const TRouterEntry& entry, std::string_view page, int statusQuery, bool json, bool explain)
{
    TPageTrace trace;
    const TStaticTestResult result = TestPreparedPage(entry, page, statusQuery, explain ? &trace : nullptr);
    TOutput out;
    if (statusQuery == 1)
        WriteStatus1(out, result, json);
    else
        WriteValues(out, result.values, json);
    if (explain)
        json ? WriteTraceJson(out, trace, page) : WriteTraceText(out, trace, page);
    out.Raw(json ? "}\n" : "");
    return out.Finish();
}

// Every router whose status query 1 reads the page as online with an
// address, in the list's sorted order.
bool WriteOnlineRouters(const TRouterList& list, std::string_view page, bool json)
{
    TOutput out;
    out.Raw(json ? "{\"online\": [" : "");
    bool first = true;
    for (int i = 0; i < list.Count(); ++i) {
        // Each record is read for its test alone.
        TStaticTestResult result;
        list.VisitEntry(i, [&](const TRouterEntry& entry) { result = TestPreparedPage(entry, page, 1); });
        if (result.offline || result.ipAddress.empty())
            continue;
        if (json) {
            out.Raw(first ? "[" : ", [");
            out.Json(list.Name(i));
            out.Raw(", ");
            out.Json(result.ipAddress);
            out.Raw("]");
        } else {
            out.Value(list.Name(i));
            out.Raw("\t");
            out.Value(result.ipAddress);
            out.Raw("\n");
        }
        first = false;
    }
    out.Raw(json ? "]}\n" : "");
    return out.Finish();
}

} // namespace

int RunTestCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat test",
                      "Tests a router's status-page rules against a saved page, as the editor's test tab "
                      "does.\nStatus query 1 prints ONLINE or OFFLINE and the IP address; 2 to 4 print "
                      "one\n'name: value' line per value found. Without --router, lists every router\n"
                      "that reads the page as online with an IP address: name, TAB, address.\n"
                      "--explain adds, in German, where each rule matched in the page as the rules\n"
                      "see it: a NUL among the first two bytes made a space, then no spaces, and no\n"
                      "line breaks or TABs before the first NUL byte. Per rule its result, then its\n"
                      "steps in the order they ran (start text, counted occurrences, marker, end of\n"
                      "the value, value, \"checked\"), each as byte offset (from 0) + length of what\n"
                      "it matched, or of the part it searched when it found nothing ('!' marks the\n"
                      "step that made the rule fail), and an excerpt with the span in brackets.\n"
                      "With --json the same comes as a \"trace\" member.");
    line.AddPositional("FILE", "The definitions file.");
    line.AddPositional("PAGE", "A status page saved to disk.");
    line.AddOption("router", "NAME", "Test the router of this name (ignoring case).");
    line.AddOption("status", "N", "Status query 1 to 4 (default 1).", 0, "1");
    line.AddFlag("json", "Print JSON.");
    line.AddFlag("explain", "Also print where each rule matched (needs --router).");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;

    const std::string& status = line.Value("status");
    if (status.size() != 1 || status[0] < '1' || status[0] > '4')
        return Fail("--status muss 1, 2, 3 oder 4 sein.");
    const int statusQuery = status[0] - '0';
    const bool json = line.IsSet("json");
    if (!line.IsSet("router") && statusQuery != 1)
        return Fail("--status braucht --router; ohne ihn läuft für jeden Router Statusabfrage 1.");
    const bool explain = line.IsSet("explain");
    if (!line.IsSet("router") && explain)
        return Fail("--explain braucht --router.");

    TRouterList& list = ListForTheRun();
    const auto read = ReadDefinitions(line.Positional().at(0), list);
    if (!read)
        return kExitFailure;
    int index = -1;
    if (line.IsSet("router")) {
        const std::optional<std::string> name = ArgumentAsCp1252(line.Value("router"), "Der Routername");
        if (!name)
            return kExitFailure;
        index = list.FindByName(*name);
        if (index < 0)
            return FailCp1252(Quoted(line.Positional().at(0)) + " enth\xE4lt keinen Router namens " + QuotedText(*name) +
                              ".");
    }
    std::optional<std::string> bytes = ReadPage(line.Positional().at(1));
    if (!bytes)
        return 1;
    const std::string page = PreparePage(std::move(*bytes));

    const bool written = index < 0 ? WriteOnlineRouters(list, page, json)
                                   : WriteRouterTest(list.Entry(index), page, statusQuery, json, explain);
    return written ? StatusAfterReading(*read) : kExitFailure;
}
