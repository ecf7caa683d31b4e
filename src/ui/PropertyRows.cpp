#include "PropertyRows.h"

#include <algorithm>
#include <string>

void TPropertyRows::SetObserver(TPropertyRowsObserver* observer)
{
    m_observer = observer ? observer : &m_silent;
}

void TPropertyRows::SetLines(const TPropertyList& lines)
{
    const bool moved = m_current != 1;
    m_observer->RowsAboutToBeReset();
    m_lines = lines;
    m_current = 1;
    m_observer->RowsReset();
    if (moved)
        m_observer->CurrentRowChanged();
}

std::string_view TPropertyRows::Name(int row) const
{
    return m_lines.Empty() && row == 1 ? std::string_view() : m_lines.Name(row - 1);
}

std::string_view TPropertyRows::Code(int row) const
{
    return m_lines.Empty() && row == 1 ? std::string_view() : m_lines.ValueAt(row - 1);
}

void TPropertyRows::SetName(int row, std::string_view name)
{
    m_lines.Put(row - 1, PropertyLine(name, m_lines.ValueAt(row - 1)));
    m_observer->RowsChanged(row, row);
}

void TPropertyRows::SetCode(int row, std::string_view code)
{
    m_lines.Put(row - 1, PropertyLine(m_lines.Name(row - 1), code));
    m_observer->RowsChanged(row, row);
}

void TPropertyRows::SetCurrentRow(int row)
{
    int target = std::clamp(row, 1, RowCount());
    if (target == m_current)
        return;
    int blankLine = 0;
    if (!m_deleting && IsLine(m_current) && IsBlank(m_current)) {
        blankLine = m_current;
        if (target > blankLine)
            --target;
    }
    m_current = target;
    if (blankLine != 0)
        RemoveLine(blankLine);
    m_observer->CurrentRowChanged();
}

void TPropertyRows::Append(std::string_view name, std::string_view code)
{
    std::string line = PropertyLine(name, code);
    if (IsLine(m_current) && IsBlank(m_current)) {
        m_lines.Put(m_current - 1, std::move(line));
        m_observer->RowsChanged(m_current, m_current);
    } else if (m_lines.Empty()) {
        // The blank row of the empty list becomes the new line's row.
        m_lines.Add(std::move(line));
        m_observer->RowsChanged(1, 1);
    } else {
        m_observer->RowAboutToBeInserted(m_lines.Count() + 1);
        m_lines.Add(std::move(line));
        m_observer->RowInserted();
    }
}

int TPropertyRows::FindName(std::string_view name) const
{
    return m_lines.IndexOfName(name) + 1;
}

void TPropertyRows::DeleteRow(int row)
{
    m_lines.Line(row - 1); // range check before anything changes
    struct TDeleting {
        bool& flag;
        explicit TDeleting(bool& f) : flag(f) { flag = true; }
        ~TDeleting() { flag = false; }
    } deleting(m_deleting);
    if (m_current == RowCount() && m_lines.Count() > 1)
        SetCurrentRow(m_current - 1);
    RemoveLine(row);
}

void TPropertyRows::RemoveLine(int row)
{
    if (m_lines.Count() == 1) {
        // The row stays, as the blank row of the empty list.
        m_lines.Clear();
        m_observer->RowsChanged(1, 1);
        return;
    }
    m_observer->RowAboutToBeRemoved(row);
    m_lines.Delete(row - 1);
    m_observer->RowRemoved();
}

bool TPropertyRows::MoveRow(int row, int target)
{
    if (!IsLine(row) || !IsLine(target) || row == target)
        return false;
    m_lines.Exchange(row - 1, target - 1);
    m_observer->RowsChanged(std::min(row, target), std::max(row, target));
    // The current row follows the moved line; nothing counts as leaving a
    // blank line here.
    m_current = target;
    m_observer->CurrentRowChanged();
    return true;
}
