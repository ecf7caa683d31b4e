#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A marker is HTML code that may start with the directives
// "{startpos=" start text "}" (search only from that text on) and
// "{" N "}" (take the N-th occurrence). All searches ignore the case of A-Z
// and end at the first NUL byte.

struct TMarkerMatch {
    bool found = false;
    std::string_view rest; // the page behind the chosen occurrence; empty when not found
};

struct TRuleTrace;

// Finds the marker in the page; the rest views into `page`.
TMarkerMatch FindMarker(std::string_view marker, std::string_view page);
// The same; a trace that is not null gets each step, at offsets from the
// start of `page`.
TMarkerMatch FindMarker(std::string_view marker, std::string_view page, TRuleTrace* trace);

// 1-based position of the earliest of the three terminators in text, 0 if none.
std::size_t FirstTerminator(std::string_view t1, std::string_view t2, std::string_view t3,
                            std::string_view text);

// The text between BeforeIPAddress (a marker) and AfterIPAddress (plain text)
// or the first value terminator, trimmed; empty when either end is missing.
// A view into `page`; a trace that is not null gets each step.
std::string_view ExtractIPAddress(std::string_view before, std::string_view after, std::string_view page,
                                  TRuleTrace* trace = nullptr);

// The value behind the property's HTML code (a marker) up to the first value
// terminator, trimmed and cut at a double quote; "aktiv" for a checked box.
// A view into `page` (or of "aktiv"); a trace that is not null gets each step.
std::string_view ExtractPropertyValue(std::string_view code, std::string_view page,
                                      TRuleTrace* trace = nullptr);

// The count of a count directive: a signed 32-bit number, decimal or
// hexadecimal ("$", "x", "0x"), after leading spaces and one sign; anything
// else gives 1.
std::int32_t ReadCount(std::string_view text);
