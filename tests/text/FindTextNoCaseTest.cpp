#include "mwIPos.h"
#include "NaiveSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace std::string_literals;
using namespace std::string_view_literals;

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

TEST(FindNthTextNoCase, CountsOccurrencesWithoutOverlap)
{
    EXPECT_EQ(FindNthTextNoCase("aa", "aAaAa", 2), 3u);
    EXPECT_EQ(FindNthTextNoCase("aa", "aAaAa", 3), 0u);
    EXPECT_EQ(FindNthTextNoCase("<td>", "<td>1<TD>2", 0), 1u);
    EXPECT_EQ(FindNthTextNoCase("x", "x\0x"s, 2), 0u);
    EXPECT_EQ(FindNthTextNoCase("a", std::string(100000, 'a'), 100000), 100000u);
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

TEST(FindTextNoCase, AgreesWithAStraightforwardSearch)
{
    struct TKind {
        std::string_view alphabet;
        std::size_t maxText;
        std::size_t maxPattern;
    };
    // Few distinct bytes make long partial matches; the last kind drives the
    // search from its filter into two-way matching.
    const TKind kinds[] = {
        {"aAbB\0"sv, 80, 6},
        {"<td>/TD=\"x"sv, 400, 12},
        {"aaaaaaaaaaaaaaaaaaaaAAAAAAAAAAAAAAAAAAAAbB"sv, 6000, 400},
        {"aaaaaaaAb"sv, 6000, 300},
    };
    std::mt19937 random(20261207);
    auto randomText = [&](std::size_t maxLength, std::string_view alphabet) {
        std::string text(random() % (maxLength + 1), 'a');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 4000; ++round) {
        const TKind& kind = kinds[round % std::size(kinds)];
        const std::string text = randomText(kind.maxText, kind.alphabet);
        std::string pattern = randomText(kind.maxPattern, kind.alphabet);
        if (!text.empty() && round % 2 == 0)
            pattern = text.substr(random() % text.size(), pattern.size() + 1);
        ASSERT_EQ(FindTextNoCase(pattern, text), NaiveFind(pattern, text))
            << "round " << round << " pattern " << pattern.size() << " text " << text.size();
        const std::size_t n = random() % 5 + 1;
        ASSERT_EQ(FindNthTextNoCase(pattern, text, n), NaiveFind(pattern, text, n)) << "round " << round << " n " << n;
    }
}

TEST(FindTextNoCase, LongRunsOfOneLetterStayExact)
{
    const std::string text = std::string(100000, 'a') + "A" + std::string(1000, 'a') + "B";
    const std::string pattern = std::string(1000, 'A') + "b";
    EXPECT_EQ(FindTextNoCase(pattern, text), 100002u);
    EXPECT_EQ(FindTextNoCase(std::string(500, 'a') + "b" + std::string(500, 'a'), text), 0u);
    EXPECT_EQ(FindTextNoCase(pattern, text.substr(0, text.size() - 1) + '\0' + "b"), 0u);
}
