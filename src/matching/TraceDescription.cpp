#include "TraceDescription.h"

#include "Cp1252Text.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kTerminatorNames[] = {"<", ";", "')"};
const std::string kAnyTerminator = "„<“, „;“ oder „')“";

std::string Quoted(std::string_view text)
{
    return "„" + Excerpt(text) + "“";
}

std::string Number(std::size_t n)
{
    return std::to_string(n);
}

std::string StartTextStep(const TRuleTrace& rule, const TTraceStep& step)
{
    if (step.matched)
        return "Starttext " + Quoted(rule.startText);
    if (rule.startText.empty())
        return "Starttext ist leer: gesucht wird in der ganzen Seite";
    return "Starttext " + Quoted(rule.startText) + " nicht gefunden: gesucht wird in der ganzen Seite";
}

std::string MissingMarker(const TRuleTrace& rule)
{
    switch (rule.failure) {
    case TRuleFailure::NoHtmlCode: return "nur Anweisungen, kein HTML-Code zum Suchen";
    case TRuleFailure::TooFewOccurrences:
        return "nur " + Number(rule.occurrencesSeen) + " von " + Number(static_cast<std::size_t>(rule.count))
               + " Vorkommen von " + Quoted(rule.htmlCode);
    default: return Quoted(rule.htmlCode) + " nicht gefunden";
    }
}

std::string MarkerStep(const TRuleTrace& rule, const TTraceStep& step)
{
    if (!step.matched)
        return MissingMarker(rule);
    if (rule.hasCount && rule.count <= 0)
        return Quoted(rule.htmlCode) + " kommt vor; mit {" + std::to_string(rule.count)
               + "} beginnt der Rest am Anfang des Suchbereichs";
    if (rule.count > 1)
        return "Vorkommen " + Number(step.number) + " von " + Number(step.number) + ": "
               + Quoted(rule.htmlCode) + ", dahinter beginnt der Wert";
    if (rule.kind == TRuleKind::OfflineCode)
        return "Offline-Code " + Quoted(rule.htmlCode) + " gefunden";
    return Quoted(rule.htmlCode) + " gefunden, dahinter beginnt der Wert";
}

std::string TerminatorStep(const TTraceStep& step)
{
    if (!step.matched)
        return "kein " + kAnyTerminator + " gefunden";
    return "Ende am Zeichen " + Quoted(kTerminatorNames[step.number % 3]);
}

std::string ValueText(const TRuleTrace& rule)
{
    return "Wert " + Quoted(rule.value);
}

std::string NoValueEnd(const TRuleTrace& rule)
{
    if (rule.afterText.empty())
        return "kein " + kAnyTerminator + " hinter der Fundstelle";
    return "weder " + Quoted(rule.afterText) + " noch " + kAnyTerminator + " hinter der Fundstelle";
}

std::string FailureText(const TRuleTrace& rule)
{
    switch (rule.failure) {
    case TRuleFailure::None: return {};
    case TRuleFailure::EmptyCode:
        return rule.kind == TRuleKind::IPAddress ? "der Text vor der IP-Adresse ist leer" : "der HTML-Code ist leer";
    case TRuleFailure::NoHtmlCode: return MissingMarker(rule);
    case TRuleFailure::MarkerNotFound:
    case TRuleFailure::TooFewOccurrences: {
        const bool startTextMissed = rule.failedStep >= 0
                                     && rule.steps[std::size_t(rule.failedStep)].kind == TStepKind::StartText;
        if (!startTextMissed)
            return MissingMarker(rule);
        return "Starttext " + Quoted(rule.startText) + " nicht gefunden; in der ganzen Seite: " + MissingMarker(rule);
    }
    case TRuleFailure::NoValueEnd: return NoValueEnd(rule);
    case TRuleFailure::EmptyValue: return "der Wert ist leer";
    case TRuleFailure::SkippedOffline: return "nicht ausgewertet: die Seite gilt als OFFLINE";
    }
    return {};
}

} // namespace

std::string Excerpt(std::string_view text, std::size_t maxBytes)
{
    const bool cut = text.size() > maxBytes;
    std::string out;
    // In UTF-8 a byte below 0x20 is always a control character of its own.
    for (const char c : ToUtf8(TCp1252Text(cut ? text.substr(0, maxBytes) : text))) {
        if (static_cast<unsigned char>(c) < 0x20)
            out += "·";
        else
            out += c;
    }
    return cut ? out + "…" : out;
}

std::string OmittedOccurrencesNote(const TRuleTrace& rule)
{
    std::size_t kept = 0;
    for (const TTraceStep& step : rule.steps)
        kept += step.matched && (step.kind == TStepKind::Occurrence || step.kind == TStepKind::Marker);
    if (rule.occurrencesSeen <= kept)
        return {};
    return "weitere " + Number(rule.occurrencesSeen - kept)
           + " Vorkommen sind gezählt, aber nicht einzeln aufgeführt";
}

std::string PageNote(const TPageTrace& trace)
{
    std::string note = "Seite, wie die Regeln sie sehen: " + Number(trace.pageSize) + " Bytes";
    if (trace.searchEnd < trace.pageSize)
        note += "; ab Offset " + Number(trace.searchEnd)
                + " (NUL-Byte) sucht keine Regel mehr nach Markern oder Endezeichen";
    return note;
}

std::string SpanExcerpt(std::string_view page, TPageSpan span)
{
    constexpr std::size_t kContext = 12;
    const std::size_t begin = std::min(span.offset, page.size());
    const std::size_t end = std::min(span.End(), page.size());
    const std::size_t before = std::min(begin, kContext);
    std::string out = before < begin ? "…" : "";
    out += Excerpt(page.substr(begin - before, before), kContext);
    out += "[" + Excerpt(page.substr(begin, end - begin)) + "]";
    out += Excerpt(page.substr(end), kContext);
    return out;
}

std::string RuleTitle(const TRuleTrace& rule)
{
    switch (rule.kind) {
    case TRuleKind::OfflineCode: return "Offline-Code";
    case TRuleKind::IPAddress: return "IP-Adresse";
    case TRuleKind::Property: break;
    }
    return rule.name.empty() ? "(ohne Namen)" : ToUtf8(TCp1252Text(rule.name));
}

std::string RuleSummary(const TRuleTrace& rule)
{
    std::string summary;
    if (rule.kind == TRuleKind::OfflineCode)
        summary = rule.failure == TRuleFailure::None ? "gefunden: die Seite gilt als OFFLINE"
                                                      : FailureText(rule) + ": die Seite gilt als ONLINE";
    else
        summary = rule.failure == TRuleFailure::None ? ValueText(rule) : FailureText(rule);
    if (rule.sourceLine >= 0 && rule.sourceLine < rule.line)
        return "HTML-Code von Zeile " + Number(std::size_t(rule.sourceLine) + 1) + " (gleicher Name): " + summary;
    return summary;
}

std::string StepDescription(const TRuleTrace& rule, const TTraceStep& step, std::string_view page)
{
    switch (step.kind) {
    case TStepKind::StartText: return StartTextStep(rule, step);
    case TStepKind::Occurrence:
        return "Vorkommen " + Number(step.number) + " von " + Number(static_cast<std::size_t>(rule.count)) + ": "
               + Quoted(rule.htmlCode);
    case TStepKind::Marker: return MarkerStep(rule, step);
    case TStepKind::AfterText:
        return step.matched ? "Ende an " + Quoted(rule.afterText) : Quoted(rule.afterText) + " nicht gefunden";
    case TStepKind::Terminator: return TerminatorStep(step);
    case TStepKind::PageEnd: return "kein " + kAnyTerminator + ": der Wert reicht bis zum Seitenende";
    case TStepKind::Quote: return "Anführungszeichen: der Wert endet davor";
    case TStepKind::Value:
        if (!step.matched)
            return "der Wert ist leer";
        return "Wert " + Quoted(page.substr(std::min(step.span.offset, page.size()), step.span.length));
    case TStepKind::Checked: return "„checked“ im Wert: er lautet „aktiv“";
    }
    return {};
}
