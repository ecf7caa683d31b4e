#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where the rules of a page test matched, step by step. Every place is a
// byte range of the prepared page, the text that the rules search.

struct TPageSpan {
    std::size_t offset = 0; // 0-based, into the prepared page
    std::size_t length = 0;

    std::size_t End() const { return offset + length; }
    bool operator==(const TPageSpan&) const = default;
};

enum class TStepKind {
    StartText,  // the start text of "{startpos=...}"; not found, the whole page is searched
    Occurrence, // an occurrence of the HTML code counted on the way to the chosen one
    Marker,     // the chosen occurrence of the HTML code; the value starts behind it
    AfterText,  // AfterIPAddress behind the marker: the address ends there
    Terminator, // "<", ";" or "')": the value ends there
    PageEnd,    // no terminator: a property value runs to the end of the page
    Quote,      // a double quote in the value: the value is cut there
    Value,      // the value taken from the page, trimmed
    Checked,    // "checked" in the value: the value reads "aktiv"
};

struct TTraceStep {
    TStepKind kind = TStepKind::Marker;
    // false: searched for and not found; span is then the part of the page
    // that was searched (a Value step: the empty place of the value).
    bool matched = true;
    TPageSpan span;
    // Occurrence and Marker: which occurrence, from 1. Terminator: which of
    // "<", ";", "')" (0 to 2). AfterText, Terminator, PageEnd: 1 when the
    // search was not made because an earlier step ended the value.
    std::size_t number = 0;
};

enum class TRuleKind { OfflineCode, IPAddress, Property };

// Why a rule gave no value (or, for the offline code, did not match).
enum class TRuleFailure {
    None,
    EmptyCode,         // the rule is empty and never matches
    NoHtmlCode,        // the rule holds directives only: nothing to search
    MarkerNotFound,    // the HTML code does not occur in the part searched
    TooFewOccurrences, // the page holds fewer occurrences than the count asks for
    NoValueEnd,        // neither AfterIPAddress nor a terminator behind the marker
    EmptyValue,        // the marker matched, but the value is empty
    SkippedOffline,    // the IP address is not read on a page that reads as offline
};

struct TRuleTrace {
    TRuleKind kind = TRuleKind::Property;
    int line = -1;       // the property's line in its list
    int sourceLine = -1; // the line whose HTML code it uses (the first of its name); -1: none
    std::string name;    // the property's name, as its line spells it

    std::string marker;      // the rule as searched: its text without line breaks
    bool hasStartText = false;
    std::string startText;   // the start text of "{startpos=...}", possibly empty
    bool hasCount = false;   // a count directive was read (any "{...}")
    std::int32_t count = 1;  // the count it gave
    std::string htmlCode;    // what is searched behind the directives, up to a NUL
    std::string afterText;   // IP address: AfterIPAddress without line breaks
    std::size_t occurrencesSeen = 0; // counted on the way, the chosen one included

    std::vector<TTraceStep> steps; // in the order the test made them
    int failedStep = -1;           // the first step that failed when the rule gave nothing
    TRuleFailure failure = TRuleFailure::None;
    // The result; a view into the page, or "aktiv". The offline code has
    // none: it matched when failure is None.
    std::string_view value;

    // Occurrence steps kept for one rule; the count goes on beyond them.
    std::size_t occurrenceLimit = 1000;
    // Where the page's first NUL stands, when the page test knows it.
    std::size_t searchEnd = std::string_view::npos;
};

struct TPageTrace {
    int statusQuery = 1;
    std::size_t pageSize = 0;
    std::size_t searchEnd = 0; // the first NUL byte: no search reaches beyond
    std::vector<TRuleTrace> rules;
};
