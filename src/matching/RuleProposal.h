#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Proposes the rule that extracts a value the user points at in a saved
// status page: BeforeIPAddress and AfterIPAddress for the address of status
// query 1, or the HTML code of a property of status queries 2 to 4; and the
// OfflineCode from a second page saved while the router was offline.
//
// Pages are prepared pages (PreparePage), as the rules see them. Every
// proposal has been run through the unchanged page test on its page before
// it is returned; where none passes, the result says why, in German
// (Windows-1252).

enum class TRuleTarget { IPAddress, Property };

// A value's place in the prepared page: the bytes [begin, end).
struct TValueSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct TRuleProposal {
    bool found = false;
    std::string beforeIPAddress; // TRuleTarget::IPAddress
    std::string afterIPAddress;  // TRuleTarget::IPAddress
    std::string code;            // TRuleTarget::Property: the property's HTML code
    std::string result;          // what the page test extracts with the rule
    TValueSpan span;             // the value the rule is for, trimmed
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

// A text of the offline page that the online page lacks, so that status
// query 1 reads the one as offline and the other as online. Where the
// proposed rule for a value of the online page is given, texts near the
// place where its marker lands in the offline page come first: a page shows
// its state mostly beside the address.
TOfflineCodeProposal ProposeOfflineCode(std::string_view onlinePage, std::string_view offlinePage,
                                        std::string_view valueMarker = {});
