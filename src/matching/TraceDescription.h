#pragma once

#include "MatchTrace.h"

#include <string>
#include <string_view>

// The German words (Windows-1252) in which the editor and the command-line
// tool tell what a rule found, step by step.

// "Offline-Code", "IP-Adresse" or the property's name.
std::string RuleTitle(const TRuleTrace& rule);
// What the rule gave, or in words the step that failed.
std::string RuleSummary(const TRuleTrace& rule);
// What one step found or missed, in the prepared page the trace was made on.
std::string StepDescription(const TRuleTrace& rule, const TTraceStep& step, std::string_view page);
// The text, each control byte as a middle dot, cut to at most `maxBytes`
// bytes with a trailing ellipsis.
std::string Excerpt(std::string_view text, std::size_t maxBytes = 40);
