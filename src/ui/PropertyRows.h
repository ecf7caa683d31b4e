#pragma once

#include "PropertyList.h"
#include "PropertyRowsObserver.h"

#include <string_view>

// The rows of a property list editor over one property list. Row k (counting
// from 1; row 0 is the title row) shows line k: its name and its HTML code.
// An empty list shows one blank row. There is always a current row.
//
// A blank row is one whose name and code are both empty. When the current row
// moves away from a blank line, that line is deleted.
class TPropertyRows {
public:
    TPropertyRows() = default;
    TPropertyRows(const TPropertyRows&) = delete;
    TPropertyRows& operator=(const TPropertyRows&) = delete;

    void SetObserver(TPropertyRowsObserver* observer);

    const TPropertyList& Lines() const { return m_lines; }
    // Replaces every line; row 1 becomes the current row.
    void SetLines(const TPropertyList& lines);

    int RowCount() const { return m_lines.Empty() ? 1 : m_lines.Count(); }
    int LineCount() const { return m_lines.Count(); }
    bool IsLine(int row) const { return row >= 1 && row <= m_lines.Count(); }
    bool IsBlank(int row) const { return Name(row).empty() && Code(row).empty(); }

    // Empty for the blank row of an empty list.
    std::string_view Name(int row) const;
    std::string_view Code(int row) const;
    // Rebuild the line of `row` from the new part and its other, unchanged
    // part. A name holding "=" therefore ends at its first "=".
    void SetName(int row, std::string_view name);
    void SetCode(int row, std::string_view code);

    int CurrentRow() const { return m_current; }
    // Moves the current row, clamped to the rows there are. Leaving a blank
    // line deletes it first; a target below it then moves up by one.
    void SetCurrentRow(int row);

    // Fills the current row in place when it is a blank line; otherwise adds
    // the line at the end. The current row stays where it is.
    void Append(std::string_view name, std::string_view code);
    // The row of the first line with "=" whose name equals `name` ignoring
    // case, 0 when there is none. An empty name finds a line that begins
    // with "=".
    int FindName(std::string_view name) const;
    // Deletes line `row`. When the current row is the last of several rows,
    // it first moves up by one.
    void DeleteRow(int row);
    // Exchanges line `row` with the line of `target` and makes `target` the
    // current row, so the moved line stays current. False, and nothing
    // changes, unless both are lines.
    bool MoveRow(int row, int target);

private:
    void RemoveLine(int row);

    TPropertyList m_lines;
    int m_current = 1;
    bool m_deleting = false;
    TPropertyRowsObserver m_silent;
    TPropertyRowsObserver* m_observer = &m_silent;
};
