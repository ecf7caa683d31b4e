#include "PropertyList.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

using namespace routertest;
using namespace std::string_view_literals;

namespace {

// A name from a few that collide ignoring case, some holding "=".
std::string RandomName(int seed)
{
    static const char* const kNames[] = {"a", "A", "b", "a=x", "", "\xC4", "\xE4", "b=", "c"};
    const unsigned mixed = unsigned(seed) * 2654435761u;
    return std::to_string((mixed >> 8) % 40) + kNames[(mixed >> 16) % std::size(kNames)];
}

} // namespace

TEST(PropertyList, NamesAndValuesSplitAtTheFirstEquals)
{
    const TPropertyList list = ListOf({"a=b=c", "noequals", "=x"});
    EXPECT_EQ(list.Name(0), "a");
    EXPECT_EQ(list.ValueAt(0), "b=c");
    EXPECT_EQ(list.Name(1), "");
    EXPECT_EQ(list.Name(2), "");
    EXPECT_EQ(list.Value("A"), "b=c");
    EXPECT_EQ(list.IndexOfName(""), 2); // a line without "=" is never found
    EXPECT_EQ(list.IndexOfName("noequals"), -1);
}

TEST(PropertyList, SetValueReplacesInPlaceAppendsOrDeletes)
{
    TPropertyList list = ListOf({"x=1", "name=y", "z=3"});
    list.SetValue("NAME", "x");
    EXPECT_EQ(list, ListOf({"x=1", "NAME=x", "z=3"}));
    list.SetValue("new", "v");
    EXPECT_EQ(list.Line(3), "new=v");
    list.SetValue("X", "");
    EXPECT_EQ(list, ListOf({"NAME=x", "z=3", "new=v"}));
    list.SetValue("missing", "");
    EXPECT_EQ(list.Count(), 3);
}

TEST(PropertyList, LookupFindsTheFirstOfDuplicateNames)
{
    const TPropertyList list = ListOf({"x=1", "X=2", "bare", "=e", "y=3"});
    EXPECT_EQ(list.Value("x"), "1");
    EXPECT_EQ(list.LookupIndexOfEachName(), (std::vector<int>{0, 0, 3, 3, 4}));
    // Long lists look names up in a table of their own.
    TPropertyList longList;
    for (int i = 0; i < 3000; ++i)
        longList.Add(RandomName(i) + (i % 7 ? "=v" : ""));
    const std::vector<int> found = longList.LookupIndexOfEachName();
    for (int i = 0; i < longList.Count(); ++i)
        ASSERT_EQ(found[std::size_t(i)], longList.IndexOfName(longList.Name(i))) << i;
}

TEST(PropertyList, BuilderMatchesRepeatedSetValue)
{
    const std::pair<const char*, const char*> calls[] = {
        {"a", "1"}, {"b", "2"}, {"A", "3"}, {"a", ""}, {"a", "4"}, {"a=b", "5"}, {"A", "6"},
        {"", "7"},  {"", "8"},  {"c", ""},  {"\xC4", "9"}, {"\xE4", "10"}, {"b", ""}, {"b", "11"}};
    TPropertyList expected;
    TPropertyListBuilder builder;
    for (auto [name, value] : calls) {
        expected.SetValue(name, value);
        builder.SetValue(name, value);
    }
    EXPECT_EQ(builder.Finish(), expected);
    // Long runs go through the builder's table of names.
    expected.Clear();
    for (int i = 0; i < 5000; ++i) {
        const std::string name = RandomName(i);
        const std::string value = i % 3 ? std::to_string(i) : "";
        expected.SetValue(name, value);
        builder.SetValue(name, value);
    }
    EXPECT_EQ(builder.Finish(), expected);
}

TEST(PropertyList, FileStoresLookedUpValuesWithoutTabs)
{
    const TPropertyList list = ListOf({"x=1\t", "X=2", "bare"});
    const TWrittenPairs written(list);
    EXPECT_EQ(written.Name(1), "X");
    EXPECT_EQ(written.Value(1), "1\t");
    EXPECT_EQ(written.Value(2), "");
    EXPECT_TRUE(written.OwnValue(0));
    EXPECT_FALSE(written.OwnValue(1));
    EXPECT_EQ(PairOnReadBack("x", "1\t"), TPairOnReadBack::LosesTabs);
    EXPECT_EQ(PairOnReadBack("x", "\0\t"sv), TPairOnReadBack::Same); // TABs behind a NUL stay
    EXPECT_EQ(PairOnReadBack("x", "\t"), TPairOnReadBack::Dropped);
    EXPECT_EQ(PairOnReadBack("a=b", "c"), TPairOnReadBack::Renamed);
}
