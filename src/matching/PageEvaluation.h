#pragma once

#include "MatchTrace.h"
#include "PropertyList.h"
#include "RouterEntry.h"

#include <string>
#include <string_view>
#include <vector>

// The offline test of a definition's status-page rules against a saved page.

// The values of status queries 2 to 4: one row per property name whose value
// is not empty, at the place of the first line of that name, spelt as the
// last line spells it. Rows view into the definition's property list and
// into the page, which must outlive them; nothing of the page is copied.
class TFoundValues {
public:
    struct TRow {
        std::string_view name;
        std::string_view value;
        int line = -1; // the last line of the property list that gave this row
    };

    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Empty() const { return m_rows.empty(); }
    std::string_view Name(int index) const { return m_rows.at(static_cast<std::size_t>(index)).name; }
    std::string_view ValueAt(int index) const { return m_rows.at(static_cast<std::size_t>(index)).value; }
    const std::vector<TRow>& Rows() const { return m_rows; }

    // Adds the row of the property line `line` whose HTML code is that of
    // line `sourceLine`, the first line of its name.
    void Set(int sourceLine, int line, std::string_view name, std::string_view value);

private:
    std::vector<TRow> m_rows;
    std::vector<int> m_rowOfSource; // by source line; -1: no row yet
};

struct TStaticTestResult {
    bool offline = false;         // status query 1
    std::string_view ipAddress;   // status query 1; empty when none was found
    TFoundValues values;          // status queries 2 to 4
};

// Turns NUL bytes among the first two bytes of a loaded page into spaces.
void FixLeadingNuls(std::string& loadedData);
// In place: FixLeadingNuls, all spaces out, LF, CR and TAB out before the first NUL.
std::string PreparePage(std::string loadedData);
// Status query 1 to 4 of the definition on a prepared page (else
// std::invalid_argument). The result views into `entry` and `page`. A trace
// that is not null gets where each rule matched; the result is the same.
TStaticTestResult TestPreparedPage(const TRouterEntry& entry, std::string_view page, int statusQuery,
                                   TPageTrace* trace = nullptr);

// One test, holding what its result views into: its own copy of the
// definition and the prepared page. Neither copied nor moved, so that the
// views stay valid; share it through a pointer.
class TPageTest {
public:
    // Prepares the loaded bytes (none: no file) and runs the test, with a
    // trace when `traced`.
    TPageTest(TRouterEntry entry, std::string loadedData, int statusQuery, bool traced = false);
    TPageTest(const TPageTest&) = delete;
    TPageTest& operator=(const TPageTest&) = delete;

    const TRouterEntry& Entry() const { return m_entry; }
    std::string_view Page() const { return m_page; }
    int StatusQuery() const { return m_statusQuery; }
    const TStaticTestResult& Result() const { return m_result; }
    const TPageTrace& Trace() const { return m_trace; } // empty without `traced`

private:
    const TRouterEntry m_entry;
    const std::string m_page;
    const int m_statusQuery;
    TPageTrace m_trace;
    const TStaticTestResult m_result;
};
