#include "RuleProposal.h"

#include "Cp1252Text.h"
#include "MarkerChoice.h"
#include "MarkerSearch.h"
#include "Normalize.h"
#include "OfflineCodeChoice.h"
#include "PageByteClasses.h"
#include "PageEvaluation.h"
#include "ValueSpelling.h"
#include "mwIPos.h"

#include <algorithm>

namespace {

constexpr std::size_t kMarkersTried = 32;
// Markers from the other pages tried per place of the value.
constexpr std::size_t kMarkersTriedPerOtherPlace = 8;
constexpr std::size_t kPlacesTried = 4;
// Where the best markers read no other page, the wide search tries as many
// as it may test on this many bytes of pages, within bounds.
constexpr std::size_t kWideSearchBytes = std::size_t(1) << 30;
constexpr std::size_t kLeastWideTries = 64;
constexpr std::size_t kMostWideTries = 20000;
constexpr std::size_t kPlacesLookedAt = 64;
constexpr std::size_t kOfflineTextsTried = 64;
constexpr std::size_t kQuotedLength = 60;
constexpr std::size_t kLongestStartText = 48;

// The messages.
constexpr const char* kOutsidePage = "Die gewählte Stelle liegt außerhalb der Seite.";
constexpr const char* kEmptyValue = "Der Wert ist leer.";
constexpr const char* kNotInPage =
    "Der Wert %s kommt in der Seite nicht vor, so wie die Regeln sie sehen: ohne Leerzeichen "
    "und Zeilenumbrüche.";
constexpr const char* kBehindNul =
    "Der Wert steht hinter dem ersten NUL-Byte der Seite; so weit sucht keine Regel.";
constexpr const char* kNothingAfter =
    "Hinter dem Wert steht kein Text, an dem die IP-Adresse enden könnte.";
constexpr const char* kNoMarker =
    "Die Suche fand keine Regel der Markersprache, die genau diese Stelle der Seite findet.";
constexpr const char* kOnPage = "Seite %d: ";
constexpr const char* kNotOnEveryPage =
    "Die Suche fand keine Regel der Markersprache, die den Wert auf allen Seiten liest. Die beste Regel für "
    "die erste Seite liest auf Seite %d %s statt %s.";
constexpr const char* kEndsElsewhere =
    "Ein Eigenschaftswert endet erst vor „<“, „;“, „')“ oder einem "
    "Anführungszeichen; an dieser Stelle liest die Seitenprüfung %s.";
constexpr const char* kOtherResult = "Die Seitenprüfung liest mit der Regel %s statt des Werts.";
constexpr const char* kNoOfflineText =
    "Die Offline-Seite enthält keinen Text, der in der Online-Seite fehlt.";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// The text in German quotes, shortened.
std::string Quoted(std::string_view text)
{
    std::string quoted = "„";
    quoted += ToUtf8(TCp1252Text(text.substr(0, kQuotedLength)));
    if (text.size() > kQuotedLength)
        quoted += "…";
    return quoted + "“";
}

std::string WithText(std::string_view message, std::string_view text)
{
    std::string filled(message);
    filled.replace(filled.find("%s"), 2, Quoted(text));
    return filled;
}

std::string WithNumber(std::string_view message, std::size_t number)
{
    std::string filled(message);
    filled.replace(filled.find("%d"), 2, std::to_string(number));
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

namespace {

// One page of a proposal: where its value stands, and what the page test
// must read there.
struct TSave {
    std::string_view page;
    std::vector<TValueSpan> places; // best first; the marked one alone
    std::vector<TValueSpan> allPlaces; // the value's places, as far as they are counted
    std::string expected;           // for the place tried, where it was marked
    bool marked = false;
};

// A rule: the marker, and for an address the text behind it.
struct TRule {
    std::string marker;
    std::string after;
};

std::string Expected(std::string_view value, TRuleTarget target)
{
    return target == TRuleTarget::Property ? PropertyResult(value) : std::string(value);
}

// Where the value of the page stands, or why it cannot be read there.
std::optional<std::string> FindPlaces(const TPageValue& given, TRuleTarget target, TSave& save)
{
    save.page = given.page;
    const std::string_view page = given.page;
    if (given.span) {
        TValueSpan span = *given.span;
        if (span.begin > span.end || span.end > page.size())
            return kOutsidePage;
        span = Trimmed(page, span);
        if (span.begin == span.end)
            return kEmptyValue;
        const std::size_t searchable = BeforeNul(page).size();
        if (EarliestRestBegin(page, span.begin) > searchable
            || (target == TRuleTarget::IPAddress && span.end > searchable))
            return kBehindNul;
        save.places = save.allPlaces = {span};
        save.marked = true;
        save.expected = Expected(page.substr(span.begin, span.end - span.begin), target);
        return std::nullopt;
    }
    const std::string seen = ValueAsRulesSeeIt(given.value);
    if (seen.empty())
        return kEmptyValue;
    save.places = FindValueInPage(page, seen, kPlacesLookedAt);
    if (save.places.empty()) // as read in a browser
        save.places = FindValueAsPageWritesIt(page, given.value, kPlacesLookedAt);
    if (save.places.empty())
        return OccursBehindFirstNul(page, seen) ? std::string(kBehindNul) : WithText(kNotInPage, seen);
    save.allPlaces = save.places;
    std::stable_partition(save.places.begin(), save.places.end(),
                          [&](const TValueSpan& span) { return StandsAsWholeWord(page, span); });
    save.places.resize(std::min(save.places.size(), kPlacesTried));
    const TValueSpan first = save.places.front(); // in the page's own letter case where it has it
    save.expected = Expected(page.substr(first.begin, first.end - first.begin), target);
    return std::nullopt;
}

// The marker texts whose rest begins right before the value at `place`,
// best first, with their costs.
std::vector<std::pair<std::string, int>> MarkersFor(std::string_view page, TValueSpan place, std::size_t most)
{
    std::vector<std::pair<std::string, int>> markers;
    const std::size_t earliest = EarliestRestBegin(page, place.begin);
    if (earliest > BeforeNul(page).size())
        return markers;
    for (const TMarkerCandidate& candidate : MarkersEndingAt(page, earliest)) {
        if (markers.size() == most)
            break;
        std::string marker = ComposeMarker(candidate);
        const std::size_t restBegin = marker.empty() ? std::string_view::npos : RestBegin(marker, page);
        if (restBegin >= earliest && restBegin <= place.begin)
            markers.emplace_back(std::move(marker), candidate.cost);
    }
    return markers;
}

std::string Read(const TRule& rule, TRuleTarget target, std::string_view page)
{
    TRouterEntry entry = NewRouterEntry();
    if (target == TRuleTarget::IPAddress) {
        entry.BeforeIPAddress = rule.marker;
        entry.AfterIPAddress = rule.after;
        return std::string(TestPreparedPage(entry, page, 1).ipAddress);
    }
    entry.Status2Values.Add("Wert=" + rule.marker);
    const TFoundValues values = TestPreparedPage(entry, page, 2).values;
    return values.Empty() ? std::string() : std::string(values.ValueAt(0));
}

// Texts that may end an address behind the marker: on each page, the
// shortest text behind its value that ends it there.
std::vector<std::string> AfterTexts(const std::string& marker, const std::vector<TSave>& saves,
                                    TValueSpan firstPlace)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < saves.size(); ++i) {
        const std::string_view page = saves[i].page;
        const std::size_t restBegin = RestBegin(marker, page);
        if (restBegin == std::string_view::npos)
            continue;
        std::size_t valueEnd = firstPlace.end;
        if (i > 0) {
            std::size_t valueBegin = restBegin;
            while (valueBegin < page.size() && IsBlank(page[valueBegin]))
                ++valueBegin;
            if (page.substr(valueBegin, saves[i].expected.size()) != saves[i].expected)
                continue;
            valueEnd = valueBegin + saves[i].expected.size();
        }
        if (const std::optional<std::string_view> after = AfterTextAt(page, restBegin, valueEnd);
            after && std::find(texts.begin(), texts.end(), *after) == texts.end())
            texts.emplace_back(*after);
    }
    return texts;
}

class TProposalSearch {
public:
    TProposalSearch(std::vector<TSave> saves, TRuleTarget target) : m_saves(std::move(saves)), m_target(target) {}

    TRuleProposal Run();

private:
    TRuleProposal AtPlace(TValueSpan place, const std::vector<std::pair<std::string, int>>& others);
    std::optional<TRuleProposal> WideSearch();
    std::optional<TRuleProposal> FromCommonBeginning();
    bool StandsBeforeAValueOfEveryOtherPage(std::string_view code) const;
    // Whether the rule reads every page's value; the proposal gets what it reads.
    bool ReadsEveryPage(const TRule& rule, TRuleProposal& proposal);
    TRuleProposal Try(const std::string& marker, TValueSpan place);

    std::vector<TSave> m_saves;
    TRuleTarget m_target;
    std::optional<TRuleProposal> m_firstMiss; // the best rule for the first page that misses another
};

TRuleProposal TProposalSearch::Run()
{
    // Markers that land right before the value on the other pages; those
    // that land there on the first page too are tried with its own.
    std::vector<std::pair<std::string, int>> others;
    for (std::size_t i = 1; i < m_saves.size(); ++i) {
        for (const TValueSpan& place : m_saves[i].places) {
            for (auto& marker : MarkersFor(m_saves[i].page, place, kMarkersTriedPerOtherPlace))
                others.push_back(std::move(marker));
        }
    }
    TRuleProposal first;
    for (std::size_t i = 0; i < m_saves[0].places.size(); ++i) {
        TRuleProposal proposal = AtPlace(m_saves[0].places[i], others);
        if (proposal.found)
            return proposal;
        if (i == 0)
            first = std::move(proposal);
    }
    if (m_saves.size() > 1) {
        if (std::optional<TRuleProposal> proposal = WideSearch())
            return *proposal;
        if (std::optional<TRuleProposal> proposal = FromCommonBeginning())
            return *proposal;
    }
    if (m_firstMiss) {
        const TRuleProposal& miss = *m_firstMiss;
        for (std::size_t i = 1; i < miss.results.size(); ++i) {
            if (miss.results[i] != m_saves[i].expected) {
                std::string reason = WithNumber(kNotOnEveryPage, i + 1);
                reason.replace(reason.find("%s"), 2, Quoted(miss.results[i]));
                reason.replace(reason.find("%s"), 2, Quoted(m_saves[i].expected));
                return Refused(first, reason);
            }
        }
    }
    return first;
}

TRuleProposal TProposalSearch::AtPlace(TValueSpan place, const std::vector<std::pair<std::string, int>>& others)
{
    TRuleProposal proposal;
    proposal.span = place;
    const std::string_view page = m_saves[0].page;
    if (!m_saves[0].marked)
        m_saves[0].expected = Expected(page.substr(place.begin, place.end - place.begin), m_target);
    std::vector<std::pair<std::string, int>> markers = MarkersFor(page, place, kMarkersTried);
    const std::size_t earliest = EarliestRestBegin(page, place.begin);
    for (const auto& [marker, cost] : others) {
        const std::size_t restBegin = RestBegin(marker, page);
        if (restBegin >= earliest && restBegin <= place.begin)
            markers.emplace_back(marker, cost);
    }
    std::stable_sort(markers.begin(), markers.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    if (markers.empty())
        return Refused(proposal, kNoMarker);
    std::optional<TRuleProposal> first;
    for (const auto& [marker, cost] : markers) {
        TRuleProposal tried = Try(marker, place);
        if (tried.found || m_saves.size() == 1)
            return tried; // on one page, every marker that lands here reads the same
        if (!first)
            first = std::move(tried);
    }
    return *first;
}

// Where the best markers read no other page: the markers of the first page
// that the wide search finds, each tried where its code stands right before
// a place of the value on every other page.
std::optional<TRuleProposal> TProposalSearch::WideSearch()
{
    std::size_t pagesSize = 0;
    for (const TSave& save : m_saves)
        pagesSize += save.page.size();
    std::size_t tries = std::clamp(kWideSearchBytes / std::max<std::size_t>(pagesSize, 1), kLeastWideTries,
                                   kMostWideTries);
    const std::string_view page = m_saves[0].page;
    for (const TValueSpan& place : m_saves[0].places) {
        if (!m_saves[0].marked)
            m_saves[0].expected = Expected(page.substr(place.begin, place.end - place.begin), m_target);
        const std::size_t earliest = EarliestRestBegin(page, place.begin);
        for (const TMarkerCandidate& candidate : MarkersEndingAt(page, earliest, TMarkerSearch::Wide)) {
            if (!StandsBeforeAValueOfEveryOtherPage(candidate.code))
                continue;
            if (tries-- == 0)
                return std::nullopt;
            const std::string marker = ComposeMarker(candidate);
            const std::size_t restBegin = marker.empty() ? std::string_view::npos : RestBegin(marker, page);
            if (restBegin < earliest || restBegin > place.begin)
                continue;
            if (TRuleProposal tried = Try(marker, place); tried.found)
                return tried;
        }
    }
    return std::nullopt;
}

// Where nothing before the values reads them all, their common beginning
// may: a start text that first occurs at the value on every page, with the
// count 0 that keeps the rest from there on. Each longer beginning first
// occurs no earlier than a shorter one, so the searches go on from there.
std::optional<TRuleProposal> TProposalSearch::FromCommonBeginning()
{
    const std::string_view page = m_saves[0].page;
    for (const TValueSpan& place : m_saves[0].places) {
        if (!m_saves[0].marked)
            m_saves[0].expected = Expected(page.substr(place.begin, place.end - place.begin), m_target);
        std::vector<std::size_t> firsts(m_saves.size(), 0);
        const std::size_t searchable = BeforeNul(page).size();
        for (std::size_t length = 1; length <= kLongestStartText && place.begin + length <= searchable; ++length) {
            const std::string_view start = page.substr(place.begin, length);
            if (start.back() == '}')
                break;
            bool everywhere = true;
            bool atEveryValue = true;
            for (std::size_t i = 0; i < m_saves.size() && everywhere; ++i) {
                const std::string_view other = BeforeNul(m_saves[i].page);
                const std::size_t found = firsts[i] < other.size() ? FindTextNoCase(start, other.substr(firsts[i])) : 0;
                everywhere = found > 0;
                firsts[i] += found - 1;
                const auto& places = i == 0 ? std::vector<TValueSpan>{place} : m_saves[i].allPlaces;
                atEveryValue = atEveryValue && std::any_of(places.begin(), places.end(), [&](const TValueSpan& at) {
                                   return at.begin == firsts[i];
                               });
            }
            if (!everywhere)
                break;
            if (!atEveryValue)
                continue;
            if (TRuleProposal tried = Try(ComposeMarker(start, 0, start), place); tried.found)
                return tried;
        }
    }
    return std::nullopt;
}

bool TProposalSearch::StandsBeforeAValueOfEveryOtherPage(std::string_view code) const
{
    return std::all_of(m_saves.begin() + 1, m_saves.end(), [&](const TSave& save) {
        return std::any_of(save.allPlaces.begin(), save.allPlaces.end(), [&](const TValueSpan& place) {
            const std::size_t end = EarliestRestBegin(save.page, place.begin);
            return end >= code.size() && FindTextNoCase(code, save.page.substr(end - code.size(), code.size())) == 1;
        });
    });
}

TRuleProposal TProposalSearch::Try(const std::string& marker, TValueSpan place)
{
    TRuleProposal proposal;
    proposal.span = place;
    const std::string_view page = m_saves[0].page;
    const std::string_view value = page.substr(place.begin, place.end - place.begin);
    if (m_target == TRuleTarget::Property) {
        const TRule rule{marker, {}};
        if (!ReadsEveryPage(rule, proposal)) {
            const bool firstRead = proposal.result == m_saves[0].expected;
            return Refused(proposal, firstRead ? std::string() : WithText(kEndsElsewhere, proposal.result));
        }
        proposal.code = marker;
        return proposal;
    }
    const std::vector<std::string> afters = AfterTexts(marker, m_saves, place);
    if (afters.empty())
        return Refused(proposal, kNothingAfter);
    for (const std::string& after : afters) {
        const TRule rule{marker, after};
        if (ReadsEveryPage(rule, proposal)) {
            proposal.beforeIPAddress = marker;
            proposal.afterIPAddress = after;
            return proposal;
        }
    }
    return Refused(proposal, proposal.result == value ? std::string() : WithText(kOtherResult, proposal.result));
}

bool TProposalSearch::ReadsEveryPage(const TRule& rule, TRuleProposal& proposal)
{
    proposal.results.clear();
    bool all = true;
    for (const TSave& save : m_saves) {
        proposal.results.push_back(Read(rule, m_target, save.page));
        all = all && proposal.results.back() == save.expected;
    }
    proposal.result = proposal.results.front();
    proposal.found = all;
    if (!all && proposal.result == m_saves[0].expected && !m_firstMiss)
        m_firstMiss = proposal;
    return all;
}

} // namespace

TRuleProposal ProposeRuleForPages(const std::vector<TPageValue>& pages, TRuleTarget target)
{
    if (pages.empty())
        return Refused(TRuleProposal(), kEmptyValue);
    std::vector<TSave> saves(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (std::optional<std::string> reason = FindPlaces(pages[i], target, saves[i]))
            return Refused(TRuleProposal(), pages.size() > 1 ? WithNumber(kOnPage, i + 1) + *reason : *reason);
    }
    return TProposalSearch(std::move(saves), target).Run();
}

std::string ReadWithRule(const TRuleProposal& proposal, TRuleTarget target, std::string_view page)
{
    const std::string& marker = target == TRuleTarget::IPAddress ? proposal.beforeIPAddress : proposal.code;
    return Read({marker, proposal.afterIPAddress}, target, page);
}

TRuleProposal ProposeRule(std::string_view page, TValueSpan span, TRuleTarget target)
{
    return ProposeRuleForPages({{page, {}, span}}, target);
}

TRuleProposal ProposeRuleForValue(std::string_view page, std::string_view value, TRuleTarget target)
{
    return ProposeRuleForPages({{page, value, std::nullopt}}, target);
}

TOfflineCodeProposal ProposeOfflineCode(const std::vector<std::string_view>& onlinePages,
                                        std::string_view offlinePage, std::string_view valueMarker)
{
    std::optional<std::size_t> near;
    if (!valueMarker.empty()) {
        if (const std::size_t restBegin = RestBegin(StripLineBreaks(valueMarker), offlinePage);
            restBegin != std::string_view::npos)
            near = restBegin;
    }
    TOfflineCodeProposal proposal;
    for (const std::string_view text : OfflineCodeCandidates(onlinePages, offlinePage, kOfflineTextsTried, near)) {
        TRouterEntry entry = NewRouterEntry();
        entry.OfflineCode = ComposeMarker({}, 1, text);
        if (entry.OfflineCode.empty() || !TestPreparedPage(entry, offlinePage, 1).offline)
            continue;
        if (std::none_of(onlinePages.begin(), onlinePages.end(),
                         [&](std::string_view online) { return TestPreparedPage(entry, online, 1).offline; })) {
            proposal.found = true;
            proposal.offlineCode = std::move(entry.OfflineCode);
            return proposal;
        }
    }
    return Refused(proposal, kNoOfflineText);
}

TOfflineCodeProposal ProposeOfflineCode(std::string_view onlinePage, std::string_view offlinePage,
                                        std::string_view valueMarker)
{
    return ProposeOfflineCode(std::vector<std::string_view>{onlinePage}, offlinePage, valueMarker);
}
