#include "PageTestOutput.h"

#include "CliSupport.h"
#include "PageEvaluation.h"
#include "TraceDescription.h"

void TOutput::ReportOutputFailure()
{
    Fail("Die Standardausgabe kann nicht geschrieben werden.");
}

namespace {

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

// One line of the trace: a property name or an excerpt in it may hold a
// line break of its own, which is shown escaped.
void WriteTraceLine(TOutput& out, const std::string& utf8Line)
{
    out.Value(ToCp1252Text(utf8Line).Bytes());
    out.Raw("\n");
}

void WriteTraceText(TOutput& out, const TPageTrace& trace, std::string_view page)
{
    out.Raw("\n");
    WriteTraceLine(out, PageNote(trace));
    for (const TRuleTrace& rule : trace.rules) {
        WriteTraceLine(out, RuleTitle(rule) + ": " + RuleSummary(rule));
        for (std::size_t i = 0; i < rule.steps.size(); ++i) {
            const TTraceStep& step = rule.steps[i];
            const bool failed = rule.failedStep == int(i);
            WriteTraceLine(out, (failed ? "  ! " : "    ") + std::to_string(step.span.offset) + "+"
                                    + std::to_string(step.span.length) + "  " + StepDescription(rule, step, page)
                                    + "  " + SpanExcerpt(page, step.span));
        }
        if (const std::string note = OmittedOccurrencesNote(rule); !note.empty())
            WriteTraceLine(out, "    (" + note + ")");
    }
}

void WriteStepJson(TOutput& out, const TRuleTrace& rule, const TTraceStep& step, std::string_view page)
{
    out.Raw(std::string("{\"kind\": \"") + StepKindName(step.kind) + "\", \"matched\": "
            + (step.matched ? "true" : "false") + ", \"offset\": " + std::to_string(step.span.offset)
            + ", \"length\": " + std::to_string(step.span.length) + ", \"number\": "
            + std::to_string(step.number) + ", \"description\": ");
    out.JsonWords(StepDescription(rule, step, page));
    out.Raw(", \"excerpt\": ");
    out.JsonWords(SpanExcerpt(page, step.span));
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
    out.JsonWords(RuleSummary(rule));
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
    out.Raw(std::string("\"state\": \"") + state + "\", \"ip\": ");
    out.Json(result.ipAddress);
}

void WriteValues(TOutput& out, const TFoundValues& values, bool json)
{
    out.Raw(json ? "\"values\": [" : "");
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

} // namespace

void WriteTestResult(TOutput& out, const TStaticTestResult& result, int statusQuery, bool json,
                     const TPageTrace* trace, std::string_view page)
{
    if (statusQuery == 1)
        WriteStatus1(out, result, json);
    else
        WriteValues(out, result.values, json);
    if (trace)
        json ? WriteTraceJson(out, *trace, page) : WriteTraceText(out, *trace, page);
}
