#pragma once

#include "MatchTrace.h"

#include <string>
#include <string_view>

// The German words in which the editor and the command-line tool tell what a
// rule found, step by step. They quote bytes of the page and of the rule as
// the characters that Windows-1252 makes of them.

// "Offline-Code", "IP-Adresse" or the property's name.
std::string RuleTitle(const TRuleTrace& rule);
// What the rule gave, or in words the step that failed.
std::string RuleSummary(const TRuleTrace& rule);
// What one step found or missed, in the prepared page the trace was made on.
std::string StepDescription(const TRuleTrace& rule, const TTraceStep& step, std::string_view page);
// "weitere N Vorkommen …" when the rule counted more occurrences than its
// trace keeps one by one; empty otherwise.
std::string OmittedOccurrencesNote(const TRuleTrace& rule);
// The size of the prepared page and where its searches end.
std::string PageNote(const TPageTrace& trace);

// The text, each control byte as a middle dot, cut to at most `maxBytes`
// bytes with a trailing ellipsis.
std::string Excerpt(std::string_view text, std::size_t maxBytes = 40);
// The span's bytes in brackets with a few bytes of the page on either side,
// as Excerpt shows them: "…<td>IP:[84.1.2.3]</td><t…".
std::string SpanExcerpt(std::string_view page, TPageSpan span);
