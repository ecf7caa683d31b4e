#include "RuleProposalCheck.h"

#include "MarkerSearch.h"
#include "PageEvaluation.h"
#include "RuleProposal.h"
#include "mwIPos.h"

namespace {

std::string CheckRule(const TRuleProposal& proposal, std::string_view page, TRuleTarget target)
{
    if (!proposal.found)
        return proposal.reason.empty() ? "refused without a reason" : "";
    const TValueSpan span = proposal.span;
    if (span.begin >= span.end || span.end > page.size())
        return "proposal for an empty or outside span";
    const std::string value(page.substr(span.begin, span.end - span.begin));
    TRouterEntry entry = NewRouterEntry();
    std::string read;
    std::string_view marker;
    if (target == TRuleTarget::IPAddress) {
        entry.BeforeIPAddress = marker = proposal.beforeIPAddress;
        entry.AfterIPAddress = proposal.afterIPAddress;
        read = TestPreparedPage(entry, page, 1).ipAddress;
    } else {
        entry.Status4Values.Add("x=" + proposal.code);
        marker = proposal.code;
        const TFoundValues values = TestPreparedPage(entry, page, 4).values;
        read = values.Empty() ? "" : std::string(values.ValueAt(0));
    }
    const bool checked = target == TRuleTarget::Property && FindTextNoCase("checked", value) > 0;
    if (read != (checked ? "aktiv" : value) || read != proposal.result)
        return "the page test reads another value";
    const TMarkerMatch match = FindMarker(marker, page);
    const std::size_t rest = match.rest.data() - page.data();
    if (!match.found || rest > span.begin)
        return "the marker lands behind the value";
    for (std::size_t i = rest; i < span.begin; ++i) {
        if (static_cast<unsigned char>(page[i]) > 0x20)
            return "the marker lands before the value";
    }
    return {};
}

std::string CheckOfflineCode(std::string_view pages, int* proposed)
{
    const std::size_t cut = pages.find('\xFF');
    const std::string_view online = pages.substr(0, cut);
    const std::string_view offline = cut == std::string_view::npos ? std::string_view() : pages.substr(cut + 1);
    const TOfflineCodeProposal proposal = ProposeOfflineCode(online, offline);
    if (!proposal.found)
        return proposal.reason.empty() ? "refused without a reason" : "";
    ++*proposed;
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = proposal.offlineCode;
    if (!TestPreparedPage(entry, offline, 1).offline || TestPreparedPage(entry, online, 1).offline)
        return "the offline code does not tell the pages apart";
    return {};
}

} // namespace

std::string CheckRuleProposalInput(std::string_view input, int* proposed)
{
    int count = 0;
    proposed = proposed ? proposed : &count;
    if (input.size() < 5)
        return {};
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
    const TRuleTarget target = byte(0) & 1 ? TRuleTarget::Property : TRuleTarget::IPAddress;
    const std::string_view page = input.substr(4);
    if (byte(0) & 2)
        return CheckOfflineCode(page, proposed);

    const std::size_t begin = (byte(1) | byte(2) << 8) % page.size();
    const TValueSpan span{begin, std::min(page.size(), begin + 1 + byte(3) % 16)};
    const TRuleProposal atSpan = ProposeRule(page, span, target);
    if (std::string failure = CheckRule(atSpan, page, target); !failure.empty())
        return failure + " (span)";
    const std::string typed(page.substr(span.begin, span.end - span.begin));
    const TRuleProposal forText = ProposeRuleForValue(page, typed, target);
    if (std::string failure = CheckRule(forText, page, target); !failure.empty())
        return failure + " (typed value)";
    // The same value in a second save whose parts stand in another order:
    // a rule for both must read it on each, as the page test reads it (in
    // the letter case of the place where each page has it).
    const std::string second = std::string(page.substr(span.begin)) + std::string(page.substr(0, span.begin));
    const TRuleProposal forBoth = ProposeRuleForPages({{page, typed, std::nullopt}, {second, typed, std::nullopt}}, target);
    if (forBoth.found) {
        if (std::string failure = CheckRule(forBoth, page, target); !failure.empty())
            return failure + " (first of two saves)";
        const std::string& onSecond = forBoth.results.back();
        const bool sameText = onSecond.size() == forBoth.result.size() && FindTextNoCase(onSecond, forBoth.result) == 1;
        if (forBoth.results.size() != 2 || !(sameText || onSecond == forBoth.result)
            || ReadWithRule(forBoth, target, second) != onSecond)
            return "the rule for two saves misreads the second";
    }
    *proposed += atSpan.found + forText.found + forBoth.found;
    return {};
}
