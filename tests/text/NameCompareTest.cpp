#include "NameCompare.h"

#include <gtest/gtest.h>

TEST(NameCompare, FoldsEveryLetterOfTheCodePage)
{
    EXPECT_TRUE(SameNameNoCase("Foo", "fOO"));
    EXPECT_TRUE(SameNameNoCase("\xC4rger", "\xE4rger"));   // Ä, ä
    EXPECT_TRUE(SameNameNoCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF")); // Š Œ Ž Ÿ
    EXPECT_FALSE(SameNameNoCase("\xE4", "a"));              // accents count
    EXPECT_FALSE(SameNameNoCase("\xD7", "\xF7"));           // × and ÷ are no letters
    EXPECT_FALSE(SameNameNoCase("ab", "abc"));
    EXPECT_TRUE(SameNameNoCase(std::string("a\0b", 3), std::string("A\0B", 3)));
    EXPECT_FALSE(SameNameNoCase(std::string("a\0b", 3), std::string("a\0c", 3)));
}

TEST(NameCompare, OrdersByFoldedCodePointUnderTheCLocale)
{
    EXPECT_EQ(CompareNamesNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareNamesNoCase("", "a"), 0);
    EXPECT_LT(CompareNamesNoCase("a", "B"), 0);
    EXPECT_LT(CompareNamesNoCase("A_", "ab"), 0);     // lower-case folding: '_' < 'b'
    EXPECT_LT(CompareNamesNoCase("z", "\xC4"), 0);    // Ä (U+00C4) after z
    EXPECT_LT(CompareNamesNoCase("\xE0", "\x8A"), 0); // à (U+00E0) before Š (U+0161)
    EXPECT_GT(CompareNamesNoCase("b", "a"), 0);
    EXPECT_LT(CompareNamesNoCase(std::string("a\0a", 3), std::string("a\0b", 3)), 0);
}

TEST(NameCompare, SortKeysAgreeWithComparison)
{
    const char* names[] = {"", "a", "A", "ab", "\xC4", "\xE4x", "z", "Z1", "\x80", "a b"};
    for (const char* a : names) {
        for (const char* b : names) {
            const int byKey = NameSortKey(a).compare(NameSortKey(b));
            const int direct = CompareNamesNoCase(a, b);
            EXPECT_EQ(byKey < 0, direct < 0) << a << " / " << b;
            EXPECT_EQ(byKey == 0, direct == 0) << a << " / " << b;
        }
    }
}
