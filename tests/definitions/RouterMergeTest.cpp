#include "NameExport.h"
#include "RouterMerge.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
#include <random>

using namespace routertest;

namespace {

TRouterList SortedList(std::initializer_list<const char*> names)
{
    TRouterList list;
    for (const char* name : names)
        list.Add(name, Entry(name));
    list.Select(0);
    return list;
}

// A record with every field that a save may touch set to something it
// touches.
TRouterEntry Untidy(const std::string& name)
{
    TRouterEntry e = NewRouterEntry();
    e.RouterVendor = name;
    e.HTTPPort = 0;
    e.BrowserAuth = 2;
    e.AuthString = "login.cgi";
    e.SavedAt = 1.5;
    e.Comments = "a\nb\rc\r\nd";
    e.GoOnline = "/<post>/x\n";
    e.OfflineCode = "off\n\tline";
    e.BeforeIPAddress = "\r\n<td>";
    e.AfterIPAddress = "</td>\n";
    e.Status2Values.Add("x=1");
    e.Status2Values.Add("X=2");
    e.Reserved1 = "r1";
    e.Reserved2 = "r2";
    e.ReservedFlag = 9;
    return e;
}

} // namespace

TEST(RouterMergeTest, CopyGoesToItsSortedPlaceAndSharesNothing)
{
    TRouterList list = SortedList({"Alpha", "Gamma"});
    TRouterEntry source = Untidy("Beta");
    const int added = AddRouterCopy(list, source);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.Entry(1), source);

    source.Status2Values.Clear();
    source.Comments.clear();
    EXPECT_EQ(list.Entry(1).Status2Values.Count(), 2);
    EXPECT_EQ(list.Entry(1).Comments, "a\nb\rc\r\nd");
}

TEST(RouterMergeTest, NameAlreadyPresentSelectsTheFirstEntryOfThatName)
{
    TRouterList list = SortedList({"Alpha", "foo", "Gamma"});
    list.Select(2);
    const int added = AddRouterCopy(list, Untidy("FOO"));
    EXPECT_EQ(added, 2); // behind the entry that compares equal
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha", "foo", "FOO", "Gamma"}));
    EXPECT_EQ(list.Selected(), 1);
}

TEST(RouterMergeTest, UnchangedSaveDoesWhatTheWindowsControlsDo)
{
    TRouterEntry e = Untidy("R");
    ApplyUnchangedSave(e, 45000.25);
    EXPECT_EQ(e.SavedAt, 45000.25);
    EXPECT_EQ(e.HTTPPort, 1);
    EXPECT_EQ(e.BrowserAuth, 1);
    EXPECT_EQ(e.AuthString, "");
    EXPECT_EQ(e.Comments, "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(e.BeforeIPAddress, "\r\n<td>");
    EXPECT_EQ(e.AfterIPAddress, "</td>\r\n");
    EXPECT_EQ(e.Reserved1, "");
    EXPECT_EQ(e.Reserved2, "");
    EXPECT_EQ(e.ReservedFlag, 1);
    // No field is left, so no normalisation runs on these.
    const TRouterEntry before = Untidy("R");
    EXPECT_EQ(e.GoOnline, before.GoOnline);
    EXPECT_EQ(e.OfflineCode, before.OfflineCode);
    EXPECT_EQ(e.Status2Values, before.Status2Values);

    e.BrowserAuth = 0;
    e.AuthString = "form.cgi";
    for (const auto& [port, held] : {std::pair{-5, 1}, {80, 80}, {65535, 65535}, {65536, 65535},
                                     {INT32_MIN, 1}, {INT32_MAX, 65535}}) {
        e.HTTPPort = port;
        ApplyUnchangedSave(e, 0);
        EXPECT_EQ(e.HTTPPort, held) << port;
    }
    EXPECT_EQ(e.BrowserAuth, 0);
    EXPECT_EQ(e.AuthString, "form.cgi");
}

TEST(RouterMergeTest, LineBreaksBecomeCrLf)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},           {"abc", "abc"},         {"\r\n", "\r\n"},   {"\n", "\r\n"},
        {"\r", "\r\n"},     {"\n\r", "\r\n\r\n"},   {"\r\r\n", "\r\n\r\n"},
        {std::string("a\0\nb", 4), std::string("a\0\r\nb", 5)},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CrLfLineBreaks(text), expected);
}

// The bulk merge against one window merge per source: AddRouterCopy, then
// the save of the selected entry.
TEST(RouterMergeTest, BulkMergeEqualsOneMergeAfterAnother)
{
    std::mt19937 random(7);
    const char* const pool[] = {"", "a", "A", "b", "\xC4rger", "\xE4rger", "c", "B", "zz"};
    auto randomName = [&] {
        if (random() % 2)
            return std::string(pool[random() % std::size(pool)]);
        return std::string(random() % 2 ? "r" : "R") + std::to_string(random() % 60);
    };
    for (int round = 0; round < 200; ++round) {
        const bool skipExisting = round % 2 == 1;
        TRouterList bulk;
        TRouterList reference;
        for (int i = 0, n = int(random() % 20); i < n; ++i) {
            TRouterEntry e = Untidy(randomName());
            e.HTTPPort = i; // tells the entries apart
            bulk.Add(e.RouterVendor, std::make_unique<TRouterEntry>(e));
            reference.Add(e.RouterVendor, std::make_unique<TRouterEntry>(e));
        }
        TRouterList sources(TRouterList::TOrder::Unsorted);
        // Few sources are merged one by one, many all at once.
        for (int i = 0, n = int(random() % (round % 4 < 2 ? 5 : 40)); i < n; ++i) {
            TRouterEntry e = Untidy(randomName());
            e.HTTPPort = 1000 + i;
            // Ones without TABs and double property names, which the bulk
            // merge keeps as bytes.
            if (i % 2) {
                e.OfflineCode.clear();
                e.Status2Values.Clear();
            }
            sources.Add(e.RouterVendor, std::make_unique<TRouterEntry>(e));
        }
        // In file order, or in any order.
        std::vector<int> chosen(std::size_t(sources.Count()));
        std::iota(chosen.begin(), chosen.end(), 0);
        if (round % 3 == 0)
            std::shuffle(chosen.begin(), chosen.end(), random);
        std::vector<int> expectedSkipped;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            if (skipExisting && reference.FindByName(sources.Name(chosen[k])) >= 0) {
                expectedSkipped.push_back(int(k));
                continue;
            }
            AddRouterCopy(reference, sources.Entry(chosen[k]));
            ApplyUnchangedSave(reference.SelectedEntry(), 2.0);
        }
        const TMergeResult result = MergeRouters(bulk, sources, chosen, {skipExisting, 2.0});
        EXPECT_EQ(result.skipped, expectedSkipped);
        EXPECT_EQ(result.merged.size() + result.skipped.size(), chosen.size());
        ASSERT_EQ(Names(bulk), Names(reference)) << "round " << round;
        for (int i = 0; i < bulk.Count(); ++i)
            EXPECT_EQ(bulk.Entry(i), reference.Entry(i)) << "round " << round << ", entry " << i;
        if (!result.merged.empty()) {
            EXPECT_EQ(bulk.Selected(), reference.Selected()) << "round " << round;
        }
    }
}

TEST(RouterMergeTest, NamesTextHasOneCrLfLinePerEntryInListOrder)
{
    TRouterList list = SortedList({"B", "A", ""});
    list.Rename(2, "Z\xFC");
    EXPECT_EQ(RouterNamesText(list), "\r\nA\r\nZ\xFC\r\n");
    EXPECT_EQ(RouterNamesText(TRouterList()), "");
}
