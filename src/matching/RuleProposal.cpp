#include "RuleProposal.h"

#include "MarkerChoice.h"
#include "MarkerSearch.h"
#include "Normalize.h"
#include "OfflineCodeChoice.h"
#include "PageByteClasses.h"
#include "PageEvaluation.h"
#include "mwIPos.h"

#include <algorithm>

namespace {

constexpr std::size_t kMarkersTried = 32;
constexpr std::size_t kPlacesTried = 4;
constexpr std::size_t kPlacesLookedAt = 64;
constexpr std::size_t kOfflineTextsTried = 64;
constexpr std::size_t kQuotedLength = 60;

// The messages, in Windows-1252.
constexpr const char* kOutsidePage = "Die gew\xE4hlte Stelle liegt au\xDF" "erhalb der Seite.";
constexpr const char* kEmptyValue = "Der Wert ist leer.";
constexpr const char* kNotInPage =
    "Der Wert %s kommt in der Seite nicht vor, so wie die Regeln sie sehen: ohne Leerzeichen "
    "und Zeilenumbr\xFC" "che.";
constexpr const char* kBehindNul =
    "Der Wert steht hinter dem ersten NUL-Byte der Seite; so weit sucht keine Regel.";
constexpr const char* kNothingAfter =
    "Hinter dem Wert steht kein Text, an dem die IP-Adresse enden k\xF6nnte.";
constexpr const char* kNoMarker = "Keine Regel der Markersprache findet genau diese Stelle der Seite.";
constexpr const char* kEndsElsewhere =
    "Ein Eigenschaftswert endet erst vor \x84<\x93, \x84;\x93, \x84')\x93 oder einem "
    "Anf\xFChrungszeichen; an dieser Stelle liest die Seitenpr\xFC" "fung %s.";
constexpr const char* kOtherResult = "Die Seitenpr\xFC" "fung liest mit der Regel %s statt des Werts.";
constexpr const char* kNoOfflineText =
    "Die Offline-Seite enth\xE4lt keinen Text, der in der Online-Seite fehlt.";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// The text in German quotes, shortened.
std::string Quoted(std::string_view text)
{
    std::string quoted = "\x84";
    quoted += text.substr(0, kQuotedLength);
    if (text.size() > kQuotedLength)
        quoted += "\x85";
    return quoted + "\x93";
}

std::string WithText(std::string_view message, std::string_view text)
{
    std::string filled(message);
    filled.replace(filled.find("%s"), 2, Quoted(text));
    return filled;
}

template <typename TProposal>
TProposal Refused(TProposal proposal, std::string reason)
{
    proposal.found = false;
    proposal.reason = std::move(reason);
    return proposal;
}

TValueSpan Trimmed(std::string_view page, TValueSpan span)
{
    while (span.begin < span.end && IsBlank(page[span.begin]))
        ++span.begin;
    while (span.end > span.begin && IsBlank(page[span.end - 1]))
        --span.end;
    return span;
}

// The earliest place where the rest may begin for a value at valueBegin:
// trimming drops blanks between the two.
std::size_t EarliestRestBegin(std::string_view page, std::size_t valueBegin)
{
    std::size_t place = valueBegin;
    while (place > 0 && IsBlank(page[place - 1]))
        --place;
    return place;
}

std::size_t RestBegin(std::string_view marker, std::string_view page)
{
    const TMarkerMatch match = FindMarker(marker, page);
    return match.found ? std::size_t(match.rest.data() - page.data()) : std::string_view::npos;
}

// What the page test makes of a property value standing alone.
std::string PropertyResult(std::string_view value)
{
    return FindTextNoCase("checked", value) > 0 ? "aktiv" : std::string(value);
}

TRuleProposal FinishAddressRule(TRuleProposal proposal, std::string_view page, std::string marker,
                                std::size_t restBegin)
{
    const std::optional<std::string_view> after = AfterTextAt(page, restBegin, proposal.span.end);
    if (!after)
        return Refused(proposal, kNothingAfter);
    TRouterEntry entry = NewRouterEntry();
    entry.BeforeIPAddress = std::move(marker);
    entry.AfterIPAddress = std::string(*after);
    proposal.result = TestPreparedPage(entry, page, 1).ipAddress;
    const std::string_view value = page.substr(proposal.span.begin, proposal.span.end - proposal.span.begin);
    if (proposal.result != value)
        return Refused(proposal, WithText(kOtherResult, proposal.result));
    proposal.found = true;
    proposal.beforeIPAddress = std::move(entry.BeforeIPAddress);
    proposal.afterIPAddress = std::move(entry.AfterIPAddress);
    return proposal;
}

TRuleProposal FinishPropertyRule(TRuleProposal proposal, std::string_view page, std::string marker)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("Wert=" + marker);
    const TFoundValues values = TestPreparedPage(entry, page, 2).values;
    proposal.result = values.Empty() ? std::string() : std::string(values.ValueAt(0));
    const std::string_view value = page.substr(proposal.span.begin, proposal.span.end - proposal.span.begin);
    if (proposal.result != PropertyResult(value))
        return Refused(proposal, WithText(kEndsElsewhere, proposal.result));
    proposal.found = true;
    proposal.code = std::move(marker);
    return proposal;
}

bool StandsAsWholeWord(std::string_view page, TValueSpan span)
{
    const bool cutsBefore = span.begin > 0 && IsWordByte(page[span.begin - 1]) && IsWordByte(page[span.begin]);
    const bool cutsAfter = span.end < page.size() && IsWordByte(page[span.end - 1]) && IsWordByte(page[span.end]);
    return !cutsBefore && !cutsAfter;
}

bool OccursBehindFirstNul(std::string_view page, std::string_view value)
{
    for (std::size_t pos = BeforeNul(page).size(); pos < page.size();) {
        const std::string_view piece = BeforeNul(page.substr(++pos));
        if (piece.size() >= value.size() && FindTextNoCase(value, piece) > 0)
            return true;
        pos += piece.size();
    }
    return false;
}

} // namespace

std::string ValueAsRulesSeeIt(std::string_view value)
{
    std::string seen;
    for (const char c : value) {
        if (c != ' ' && c != '\r' && c != '\n' && c != '\t')
            seen += c;
    }
    const auto notBlank = [](char c) { return !IsBlank(c); };
    seen.erase(std::find_if(seen.rbegin(), seen.rend(), notBlank).base(), seen.end());
    seen.erase(seen.begin(), std::find_if(seen.begin(), seen.end(), notBlank));
    return seen;
}

std::vector<TValueSpan> FindValueInPage(std::string_view page, std::string_view value, std::size_t most)
{
    const std::string_view searchable = BeforeNul(page);
    value = BeforeNul(value);
    std::vector<TValueSpan> sameCase;
    std::vector<TValueSpan> anyCase;
    for (std::size_t pos = 0, looked = 0; sameCase.size() < most && looked < 4 * most; ++looked) {
        const std::size_t found = FindTextNoCase(value, searchable.substr(pos));
        if (found == 0)
            break;
        const TValueSpan span{pos + found - 1, pos + found - 1 + value.size()};
        const bool exact = searchable.substr(span.begin, value.size()) == value;
        if (exact || anyCase.size() < most)
            (exact ? sameCase : anyCase).push_back(span);
        pos = span.end;
    }
    return sameCase.empty() ? anyCase : sameCase;
}

TRuleProposal ProposeRule(std::string_view page, TValueSpan span, TRuleTarget target)
{
    TRuleProposal proposal;
    if (span.begin > span.end || span.end > page.size())
        return Refused(proposal, kOutsidePage);
    proposal.span = span = Trimmed(page, span);
    if (span.begin == span.end)
        return Refused(proposal, kEmptyValue);
    const std::size_t searchable = BeforeNul(page).size();
    const std::size_t place = EarliestRestBegin(page, span.begin);
    if (place > searchable || (target == TRuleTarget::IPAddress && span.end > searchable))
        return Refused(proposal, kBehindNul);

    const std::vector<TMarkerCandidate> candidates = MarkersEndingAt(page, place);
    for (std::size_t i = 0; i < std::min(candidates.size(), kMarkersTried); ++i) {
        std::string marker = ComposeMarker(candidates[i]);
        const std::size_t restBegin = marker.empty() ? std::string_view::npos : RestBegin(marker, page);
        if (restBegin < place || restBegin > span.begin)
            continue;
        // Every marker that lands here reads the same value.
        if (target == TRuleTarget::IPAddress)
            return FinishAddressRule(proposal, page, std::move(marker), restBegin);
        return FinishPropertyRule(proposal, page, std::move(marker));
    }
    return Refused(proposal, kNoMarker);
}

TRuleProposal ProposeRuleForValue(std::string_view page, std::string_view value, TRuleTarget target)
{
    const std::string seen = ValueAsRulesSeeIt(value);
    if (seen.empty())
        return Refused(TRuleProposal(), kEmptyValue);
    std::vector<TValueSpan> places = FindValueInPage(page, seen, kPlacesLookedAt);
    if (places.empty())
        return Refused(TRuleProposal(), OccursBehindFirstNul(page, seen) ? std::string(kBehindNul)
                                                                         : WithText(kNotInPage, seen));
    std::stable_partition(places.begin(), places.end(),
                          [&](const TValueSpan& span) { return StandsAsWholeWord(page, span); });
    TRuleProposal first;
    for (std::size_t i = 0; i < std::min(places.size(), kPlacesTried); ++i) {
        TRuleProposal proposal = ProposeRule(page, places[i], target);
        if (proposal.found)
            return proposal;
        if (i == 0)
            first = std::move(proposal);
    }
    return first;
}

TOfflineCodeProposal ProposeOfflineCode(std::string_view onlinePage, std::string_view offlinePage,
                                        std::string_view valueMarker)
{
    std::optional<std::size_t> near;
    if (!valueMarker.empty()) {
        if (const std::size_t restBegin = RestBegin(StripLineBreaks(valueMarker), offlinePage);
            restBegin != std::string_view::npos)
            near = restBegin;
    }
    TOfflineCodeProposal proposal;
    for (const std::string_view text : OfflineCodeCandidates(onlinePage, offlinePage, kOfflineTextsTried, near)) {
        TRouterEntry entry = NewRouterEntry();
        entry.OfflineCode = ComposeMarker({}, 1, text);
        if (entry.OfflineCode.empty())
            continue;
        if (TestPreparedPage(entry, offlinePage, 1).offline && !TestPreparedPage(entry, onlinePage, 1).offline) {
            proposal.found = true;
            proposal.offlineCode = std::move(entry.OfflineCode);
            return proposal;
        }
    }
    return Refused(proposal, kNoOfflineText);
}
