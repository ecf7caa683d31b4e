#include "NameCompare.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace routertest;

TEST(RouterList, SortedListInsertsBehindEqualNames)
{
    TRouterList list;
    for (const char* name : {"b", "Foo", "", "a", "foo", "C"})
        list.Add(name, Entry(name));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"", "a", "b", "C", "Foo", "foo"}));
    EXPECT_EQ(list.FindByName("FOO"), 4);
    EXPECT_EQ(list.FindByName("nothing"), -1);
}

TEST(RouterList, BulkAddEqualsAddingOneByOne)
{
    // Names the alphabet finds alike (ß and ss, ª and a, a soft hyphen)
    // and many in random order, so that the items travel in long cycles.
    std::vector<std::string> names = {"x",  "B",  "b",    "a",      "\xC4",   "\xE4", "",   "A",
                                      "x",  "ss", "\xDF", "SS",     "\xAA",   "a",    "ab", "a\xAD" "b",
                                      "AB", "\xDF", "st", "Stra\xDF" "e", "strasse"};
    for (int i = 0; i < 300; ++i)
        names.push_back("Router " + std::to_string((i * 7919) % 1000));
    TRouterList single, bulk;
    std::vector<TRouterItem> items;
    for (const std::string& name : names) {
        single.Add(name, Entry(name));
        items.push_back({name, Entry(name)});
    }
    bulk.AddAll(std::move(items));
    EXPECT_EQ(Names(bulk), Names(single));
    for (int i = 0; i < bulk.Count(); ++i)
        EXPECT_EQ(bulk.Entry(i).RouterVendor, bulk.Name(i));
}

// Into a list that holds items and a selection; names alike in their
// first twenty thousand bytes, which a sort must pass without going as
// deep into the stack.
TEST(RouterList, BulkAddToAFilledList)
{
    TRouterList single, bulk;
    for (TRouterList* list : {&single, &bulk}) {
        for (const char* name : {"m", "B", "z"})
            list->Add(name, Entry(name));
        list->Select(2);
    }
    std::vector<TRouterItem> items;
    for (int i = 99; i >= 0; --i) {
        const std::string name = std::string(20000, 'r') + std::to_string(i % 50);
        single.Add(name, Entry(name));
        items.push_back({name, Entry(name)});
    }
    bulk.AddAll(std::move(items));
    EXPECT_EQ(Names(bulk), Names(single));
    EXPECT_EQ(bulk.Selected(), single.Selected());
    EXPECT_EQ(bulk.Name(bulk.Selected()), "z");
}

// The usual file: sorted, with a few names changed since, some of them to
// names that other routers have.
TEST(RouterList, BulkAddOfANearlySortedFile)
{
    std::vector<std::string> names;
    for (int i = 0; i < 500; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Router %03d", i);
        names.push_back(name);
    }
    names[10] = "zzz";
    names[20] = "router 100";
    names[300] = "ROUTER 020";
    names.insert(names.begin(), "Router 250");
    names.push_back("aaa");
    for (const bool fewOutOfPlace : {true, false}) {
        if (!fewOutOfPlace) // then every name stands out of place
            std::reverse(names.begin(), names.end());
        TRouterList single, bulk;
        std::vector<TRouterItem> items;
        for (const std::string& name : names) {
            auto entry = Entry(name);
            entry->Comments = std::to_string(items.size()); // the file position
            single.Add(name, Entry(name));
            items.push_back({name, std::move(entry)});
        }
        bulk.AddAll(std::move(items));
        EXPECT_EQ(Names(bulk), Names(single));
        // Equal names keep their file order.
        for (int i = 1; i < bulk.Count(); ++i) {
            if (SameNameNoCase(bulk.Name(i - 1), bulk.Name(i))) {
                EXPECT_LT(std::stoi(bulk.Entry(i - 1).Comments), std::stoi(bulk.Entry(i).Comments));
            }
        }
    }
}

TEST(RouterList, UnsortedListKeepsOrder)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    for (const char* name : {"c", "a", "b"})
        list.Add(name, Entry(name));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "a", "b"}));
}

TEST(RouterList, RenameKeepsThePlaceAndSelectionFollowsInserts)
{
    TRouterList list;
    for (const char* name : {"A", "B", "C"})
        list.Add(name, Entry(name));
    list.Select(1);
    list.Rename(1, "Z");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "Z", "C"}));
    list.Add("0", Entry("0"));
    EXPECT_EQ(list.Selected(), 2);
    EXPECT_EQ(list.Name(list.Selected()), "Z");
    list.Delete(2);
    EXPECT_FALSE(list.HasSelection());
}

TEST(RouterList, IndexErrorsCarryTheGermanText)
{
    TRouterList list;
    try {
        list.SelectedEntry();
        FAIL();
    } catch (const TListIndexError& error) {
        EXPECT_STREQ(error.what(), "Listenindex überschreitet das Maximum (-1)");
    }
    EXPECT_THROW(list.Select(0), TListIndexError);
}
