#include "mwIPos.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(FindTextNoCase, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(FindTextNoCase("post", "<POST>"), 2u);
    EXPECT_EQ(FindTextNoCase("<Td>", "x<tD>"), 2u);
    EXPECT_EQ(FindTextNoCase("\xE4", "\xC4"), 0u); // ä and Ä
    EXPECT_EQ(FindTextNoCase("@", "`"), 0u);
    EXPECT_EQ(FindTextNoCase("[", "{"), 0u);
}

TEST(FindTextNoCase, FindsOccurrencesInsideFailedPartialMatches)
{
    EXPECT_EQ(FindTextNoCase("aab", "aaab"), 2u);
    EXPECT_EQ(FindTextNoCase("abac", "ababac"), 3u);
    EXPECT_EQ(FindTextNoCase("x", "x"), 1u);
    EXPECT_EQ(FindTextNoCase("xy", "x"), 0u);
}

TEST(FindTextNoCase, EmptyPatternOrTextFindsNothing)
{
    EXPECT_EQ(FindTextNoCase("", "abc"), 0u);
    EXPECT_EQ(FindTextNoCase("\0a"s, "abc"), 0u);
    EXPECT_EQ(FindTextNoCase("a", ""), 0u);
    EXPECT_EQ(FindTextNoCase("", ""), 0u);
}

TEST(FindTextNoCase, BothTextsEndAtTheirFirstNul)
{
    EXPECT_EQ(FindTextNoCase("b", "a\0b"s), 0u);
    EXPECT_EQ(FindTextNoCase("a\0zzz"s, "ba"), 2u);
    EXPECT_EQ(FindTextNoCase("a\0b"s, "\0a"s), 0u);
}
