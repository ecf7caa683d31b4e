#include "PropertyRows.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace routertest;

namespace {

std::vector<std::string> LinesOf(const TPropertyRows& rows)
{
    return rows.Lines().Lines();
}

using TLines = std::vector<std::string>;

// Keeps its own row count from the paired notifications, as a view does, and
// notes what each click event saw.
class TMirror : public TPropertyRowsObserver {
public:
    explicit TMirror(TPropertyRows& rows) : m_rows(rows), m_count(rows.RowCount())
    {
        rows.SetObserver(this);
    }
    ~TMirror() override { m_rows.SetObserver(nullptr); }

    void RowsReset() override { m_count = m_rows.RowCount(); }
    void RowInserted() override { ++m_count; }
    void RowRemoved() override { --m_count; }
    void CurrentRowChanged() override
    {
        clicks.push_back({m_rows.CurrentRow(), m_rows.RowCount()});
        EXPECT_EQ(m_count, m_rows.RowCount());
    }

    int Count() const { return m_count; }

    struct TClick {
        int row;
        int rowCount;
        bool operator==(const TClick&) const = default;
    };
    std::vector<TClick> clicks;

private:
    TPropertyRows& m_rows;
    int m_count;
};

} // namespace

TEST(PropertyRows, EmptyListShowsOneBlankRowThatIsNoLine)
{
    TPropertyRows rows;
    EXPECT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.CurrentRow(), 1);
    EXPECT_FALSE(rows.IsLine(1));
    EXPECT_TRUE(rows.IsBlank(1));
    EXPECT_EQ(rows.Name(1), "");
    EXPECT_EQ(rows.Code(1), "");

    rows.SetLines(ListOf({"a=1"}));
    rows.SetLines({});
    EXPECT_EQ(rows.RowCount(), 1);
    EXPECT_TRUE(rows.Lines().Empty());
}

TEST(PropertyRows, CellsSplitAtTheFirstEqualsSign)
{
    TPropertyRows rows;
    rows.SetLines(ListOf({"a=b=c", "=x", "ohne"}));
    EXPECT_EQ(rows.Name(1), "a");
    EXPECT_EQ(rows.Code(1), "b=c");
    EXPECT_EQ(rows.Name(2), "");
    EXPECT_EQ(rows.Code(2), "x");
    EXPECT_FALSE(rows.IsBlank(2));

    // Writing a name with "=" keeps only what stands before it once the
    // code is written back.
    rows.SetName(1, "n=rest");
    EXPECT_EQ(LinesOf(rows)[0], "n=rest=b=c");
    rows.SetCode(1, "neu");
    EXPECT_EQ(LinesOf(rows)[0], "n=neu");
    EXPECT_THROW(rows.SetName(4, "x"), std::out_of_range);
}

TEST(PropertyRows, AppendFillsOnlyABlankCurrentLineInPlace)
{
    TPropertyRows rows;
    TMirror mirror(rows);
    rows.Append("a", "1");
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1"}));
    rows.Append("b", "2");
    rows.Append("", "");
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2", "="}));
    EXPECT_EQ(rows.CurrentRow(), 1);

    rows.SetCurrentRow(3);
    rows.Append("c", "3");
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2", "c=3"}));
    EXPECT_EQ(rows.CurrentRow(), 3);
    EXPECT_EQ(mirror.Count(), 3);
}

TEST(PropertyRows, FindNameIgnoresCaseAndFindsTheFirst)
{
    TPropertyRows rows;
    rows.SetLines(ListOf({"ohne", "Down=1", "down=2", "\xC4rger=3", "=leer"}));
    EXPECT_EQ(rows.FindName("DOWN"), 2);
    EXPECT_EQ(rows.FindName("\xE4rger"), 4);
    EXPECT_EQ(rows.FindName(""), 5);
    EXPECT_EQ(rows.FindName("ohne"), 0);
    EXPECT_EQ(rows.FindName("Down=1"), 0);

    TPropertyRows withoutEmptyName;
    withoutEmptyName.SetLines(ListOf({"a=1"}));
    EXPECT_EQ(withoutEmptyName.FindName(""), 0);
}

TEST(PropertyRows, LeavingABlankLineDeletesIt)
{
    TPropertyRows rows;
    TMirror mirror(rows);
    rows.SetLines(ListOf({"a=1", "=", "b=2", "c=3"}));
    rows.SetCurrentRow(2);
    mirror.clicks.clear();

    // The target lay below the blank line, so it moves up by one.
    rows.SetCurrentRow(4);
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2", "c=3"}));
    EXPECT_EQ(rows.CurrentRow(), 3);
    EXPECT_EQ(mirror.clicks, (std::vector<TMirror::TClick>{{3, 3}}));

    rows.Append("", "");
    rows.SetCurrentRow(4);
    rows.SetCurrentRow(1);
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2", "c=3"}));
    EXPECT_EQ(rows.CurrentRow(), 1);

    // A blank line that stays current, or a move beyond the rows, keeps it.
    rows.SetLines(ListOf({"="}));
    rows.SetCurrentRow(2);
    EXPECT_EQ(LinesOf(rows), (TLines{"="}));
    EXPECT_EQ(mirror.Count(), rows.RowCount());
}

TEST(PropertyRows, EveryMoveOfTheCurrentRowRaisesTheClickEvent)
{
    TPropertyRows rows;
    TMirror mirror(rows);
    rows.SetLines(ListOf({"a=1", "b=2", "c=3"}));
    rows.SetCurrentRow(3);
    rows.SetCurrentRow(3);
    rows.SetCurrentRow(99);
    rows.SetCurrentRow(0);
    rows.SetLines(ListOf({"x=1"}));
    rows.SetLines(ListOf({"a=1", "b=2"}));
    rows.SetCurrentRow(2);
    rows.SetLines(ListOf({"x=1"}));
    EXPECT_EQ(mirror.clicks, (std::vector<TMirror::TClick>{{3, 3}, {1, 3}, {2, 2}, {1, 1}}));
}

TEST(PropertyRows, DeletingTheLastRowMovesTheCurrentRowUpFirst)
{
    TPropertyRows rows;
    TMirror mirror(rows);
    rows.SetLines(ListOf({"a=1", "b=2", "c=3"}));
    rows.SetCurrentRow(3);
    mirror.clicks.clear();
    rows.DeleteRow(3);
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2"}));
    EXPECT_EQ(rows.CurrentRow(), 2);
    // The click event came while the deleted line was still counted.
    EXPECT_EQ(mirror.clicks, (std::vector<TMirror::TClick>{{2, 3}}));

    mirror.clicks.clear();
    rows.SetCurrentRow(1);
    mirror.clicks.clear();
    rows.DeleteRow(1);
    EXPECT_EQ(LinesOf(rows), (TLines{"b=2"}));
    EXPECT_EQ(rows.CurrentRow(), 1);
    EXPECT_TRUE(mirror.clicks.empty());

    rows.DeleteRow(1);
    EXPECT_EQ(rows.RowCount(), 1);
    EXPECT_TRUE(rows.Lines().Empty());
    EXPECT_EQ(mirror.Count(), 1);
    EXPECT_THROW(rows.DeleteRow(1), std::out_of_range);
}

TEST(PropertyRows, DeletingABlankLastLineDeletesOnlyThatLine)
{
    // Moving up from the blank line during the deletion must not delete it
    // a second time and take the line above with it.
    TPropertyRows rows;
    rows.SetLines(ListOf({"a=1", "="}));
    rows.SetCurrentRow(2);
    rows.DeleteRow(2);
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1"}));
    EXPECT_EQ(rows.CurrentRow(), 1);
}

TEST(PropertyRows, MoveExchangesWithTheNeighbourAndFollowsIt)
{
    TPropertyRows rows;
    TMirror mirror(rows);
    rows.SetLines(ListOf({"a=1", "b=2", "c=3"}));
    rows.SetCurrentRow(2);
    EXPECT_TRUE(rows.MoveRow(2, 1));
    EXPECT_EQ(LinesOf(rows), (TLines{"b=2", "a=1", "c=3"}));
    EXPECT_EQ(rows.CurrentRow(), 1);
    EXPECT_TRUE(rows.MoveRow(1, 2));
    EXPECT_TRUE(rows.MoveRow(2, 3));
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "c=3", "b=2"}));
    EXPECT_EQ(rows.CurrentRow(), 3);

    mirror.clicks.clear();
    EXPECT_FALSE(rows.MoveRow(3, 4));
    EXPECT_FALSE(rows.MoveRow(1, 0));
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "c=3", "b=2"}));
    EXPECT_TRUE(mirror.clicks.empty());

    TPropertyRows empty;
    EXPECT_FALSE(empty.MoveRow(1, 2));
}

TEST(PropertyRows, MovingOverABlankLineKeepsIt)
{
    TPropertyRows rows;
    rows.SetLines(ListOf({"a=1", "=", "b=2"}));
    rows.SetCurrentRow(3);
    rows.MoveRow(3, 2);
    EXPECT_EQ(LinesOf(rows), (TLines{"a=1", "b=2", "="}));
    EXPECT_EQ(rows.CurrentRow(), 2);
}
