#pragma once

#include "MatchTrace.h"
#include "mwIPos.h"

#include <algorithm>
#include <string_view>

// Writes the steps of one rule into its trace, if there is one; offsets
// count from the start of the page the rule was given.
class TTraceRecorder {
public:
    TTraceRecorder(TRuleTrace* trace, std::string_view page) : m_trace(trace), m_origin(page.data()) {}

    explicit operator bool() const { return m_trace != nullptr; }
    TRuleTrace* operator->() const { return m_trace; }

    void Step(TStepKind kind, bool matched, std::string_view part, std::size_t number = 0)
    {
        if (m_trace)
            m_trace->steps.push_back({kind, matched, Span(part), number});
    }

    // An occurrence counted on the way to the `wanted`-th, at the 1-based
    // position `at` of `searched`.
    void Occurrence(std::string_view searched, std::size_t at, std::size_t length, std::size_t wanted)
    {
        const std::size_t number = ++m_trace->occurrencesSeen;
        const std::string_view part = searched.substr(at - 1, length);
        if (number == wanted)
            Step(TStepKind::Marker, true, part, number);
        else if (number <= m_trace->occurrenceLimit)
            Step(TStepKind::Occurrence, true, part, number);
    }

    // The rule gives nothing; the step at `failedStep` (the last one when
    // negative) is the first that failed.
    void Fail(TRuleFailure failure, int failedStep = -1)
    {
        if (!m_trace)
            return;
        m_trace->failure = failure;
        m_trace->failedStep = failedStep >= 0 ? failedStep : static_cast<int>(m_trace->steps.size()) - 1;
    }

    // Index of the first step of that kind that did not match, or -1.
    int FirstMiss(TStepKind kind) const
    {
        const auto& steps = m_trace->steps;
        const auto miss = std::find_if(steps.begin(), steps.end(), [kind](const TTraceStep& step) {
            return step.kind == kind && !step.matched;
        });
        return miss == steps.end() ? -1 : static_cast<int>(miss - steps.begin());
    }

    // The part of `text`, a view into the page, that a search reads: up to
    // the page's first NUL, taken from the trace when the page test put it there.
    std::string_view Searched(std::string_view text) const
    {
        if (!m_trace)
            return text; // nothing is recorded
        if (m_trace->searchEnd == std::string_view::npos)
            return BeforeNul(text);
        const std::size_t offset = static_cast<std::size_t>(text.data() - m_origin);
        return text.substr(0, m_trace->searchEnd > offset ? m_trace->searchEnd - offset : 0);
    }

private:
    TPageSpan Span(std::string_view part) const
    {
        return {static_cast<std::size_t>(part.data() - m_origin), part.size()};
    }

    TRuleTrace* m_trace;
    const char* m_origin;
};
