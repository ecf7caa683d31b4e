#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Proposes the rule that extracts a value the user points at in a saved
// status page: BeforeIPAddress and AfterIPAddress for the address of status
// query 1, or the HTML code of a property of status queries 2 to 4; and the
// OfflineCode from a second page saved while the router was offline.
//
// Pages are prepared pages (PreparePage), as the rules see them. A user may
// give several saves of the same page (after a reconnect, or from another
// firmware), each with the value it shows. Every proposal has been run
// through the unchanged page test on every page given before it is
// returned; where none passes, the result says why, in German.

enum class TRuleTarget { IPAddress, Property };

// A value's place in the prepared page: the bytes [begin, end).
struct TValueSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// One save of the status page and the value a rule must read from it.
struct TPageValue {
    std::string_view page;
    std::string_view value;         // as the page shows it; not used where a span is given
    std::optional<TValueSpan> span; // the value's marked place
};

struct TRuleProposal {
    bool found = false;
    std::string beforeIPAddress; // TRuleTarget::IPAddress
    std::string afterIPAddress;  // TRuleTarget::IPAddress
    std::string code;            // TRuleTarget::Property: the property's HTML code
    std::string result;          // what the page test extracts with the rule, on the first page
    std::vector<std::string> results; // the same on every page given, in order
    TValueSpan span;             // the value the rule is for in the first page, trimmed
    std::string reason;          // why there is no rule
};

struct TOfflineCodeProposal {
    bool found = false;
    std::string offlineCode;
    std::string reason;
};

// The value as the rules see it: without spaces, LF, CR and TAB, trimmed.
std::string ValueAsRulesSeeIt(std::string_view value);

// The places of the value (ValueAsRulesSeeIt) in the searchable part of the
// page, counted without overlap, at most `most` of them: those in the same
// letter case, or where there are none, those in any letter case.
std::vector<TValueSpan> FindValueInPage(std::string_view page, std::string_view value,
                                        std::size_t most);

// The rule for the value at `span`.
TRuleProposal ProposeRule(std::string_view page, TValueSpan span, TRuleTarget target);

// The rule for a value the user typed: for its first place in the page that
// a rule can extract, trying places that stand as whole words first.
TRuleProposal ProposeRuleForValue(std::string_view page, std::string_view value, TRuleTarget target);

// The rule that reads each page's value: on the first page the marked
// place, or the first place of the value that a rule reads; on the others
// the value, wherever the rule lands. Rules found on any of the pages are
// tried on all of them. With one page, what ProposeRule or
// ProposeRuleForValue propose.
TRuleProposal ProposeRuleForPages(const std::vector<TPageValue>& pages, TRuleTarget target);

// What the page test reads on `page` with the proposed rule.
std::string ReadWithRule(const TRuleProposal& proposal, TRuleTarget target, std::string_view page);

// A text of the offline page that the online pages lack, so that status
// query 1 reads the one as offline and the others as online. Where the
// proposed rule for a value of the online page is given, texts near the
// place where its marker lands in the offline page come first: a page shows
// its state mostly beside the address.
TOfflineCodeProposal ProposeOfflineCode(const std::vector<std::string_view>& onlinePages,
                                        std::string_view offlinePage, std::string_view valueMarker = {});
TOfflineCodeProposal ProposeOfflineCode(std::string_view onlinePage, std::string_view offlinePage,
                                        std::string_view valueMarker = {});
