#include "Collation.h"
#include "NameCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <vector>

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// The names sorted by a collator of the given locale.
std::vector<std::string> SortedUnder(const char* locale, std::vector<std::string> names)
{
    const TCollator collator(locale);
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return collator.Compare(a, b) < 0;
    });
    return names;
}

// Sets (or with null removes) an environment variable.
void SetEnv(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : ""); // an empty value removes it
#else
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
#endif
}

// Sets an environment variable for the scope, restoring the old value.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        SetEnv(name, value);
    }
    ~TScopedEnv() { SetEnv(m_name, m_old ? m_old->c_str() : nullptr); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

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

// The tests run under LC_ALL=C.UTF-8: the neutral alphabetical order.
TEST(NameCompare, SortsAlphabeticallyIgnoringCase)
{
    EXPECT_EQ(CompareNamesNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareNamesNoCase("", "a"), 0);
    EXPECT_LT(CompareNamesNoCase("a", "B"), 0);
    EXPECT_LT(CompareNamesNoCase("Apfel", "\xC4rger"), 0); // Ärger
    EXPECT_LT(CompareNamesNoCase("\xC4rger", "Zeta"), 0);
    EXPECT_LT(CompareNamesNoCase("\xE4rger", "Bach"), 0);  // ärger: ä is an a with an accent
    EXPECT_LT(CompareNamesNoCase("Arger", "\xE4rger"), 0); // the accent counts after the letters
    EXPECT_LT(CompareNamesNoCase("\x8A" "ibenik", "Tor"), 0); // Š with the S
    EXPECT_GT(CompareNamesNoCase("b", "a"), 0);
}

// Names that the alphabet finds alike but that differ beyond case (ß and
// ss, ª and a, an invisible soft hyphen or NUL byte) are still different.
TEST(NameCompare, EqualExactlyWhenSameNameAndKeysAgree)
{
    const std::vector<std::string> alphabet = {"a", "A", "\xE4", "\xC4", "s", "S", "\xDF", "ss", "\xAA",
                                               "\xAD", std::string(1, '\0'), "\x81", "\x01", " ", "2", "\xB2",
                                               "\x9F", "\xFF", "\x8A", "\x9A", "-"};
    std::mt19937 random(7);
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        std::string name;
        for (int length = int(random() % 4); length > 0; --length)
            name += alphabet[random() % alphabet.size()];
        names.push_back(name);
    }
    std::vector<std::string> keys;
    for (const std::string& name : names) {
        keys.emplace_back();
        AppendNameSortKey(name, keys.back());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = 0; j < names.size(); j += 7) {
            const int direct = CompareNamesNoCase(names[i], names[j]);
            ASSERT_EQ(direct == 0, SameNameNoCase(names[i], names[j])) << i << " / " << j;
            ASSERT_EQ(Sign(direct), -Sign(CompareNamesNoCase(names[j], names[i])));
            // Keys decide where they differ.
            const int byKey = Sign(keys[i].compare(keys[j]));
            if (byKey != 0) {
                ASSERT_EQ(byKey, Sign(direct)) << i << " / " << j;
            }
        }
    }
}

TEST(Collation, SameOrderWhereNoLanguageIsSetAndInGerman)
{
    const std::vector<std::string> names = {"Zeta", "\xC4rger", "apfel", "Arger", "\xF6l", "Ofen", "\xDF",
                                            "sz", "10", "2", "_x", "Bach"};
    const std::vector<std::string> neutral = SortedUnder("C", names);
    EXPECT_EQ(neutral, (std::vector<std::string>{"_x", "10", "2", "apfel", "Arger", "\xC4rger", "Bach",
                                                 "Ofen", "\xF6l", "\xDF", "sz", "Zeta"}));
    for (const char* locale : {"", "POSIX", "C.UTF-8", "C.utf8", "de_DE.UTF-8", "de_AT@euro"})
        EXPECT_EQ(SortedUnder(locale, names), neutral) << locale;
    EXPECT_EQ(TCollator("C.UTF-8").LocaleId(), "root");
}

// Keys order as Compare does, in languages with letters of two characters
// too ("l·" of the neutral order, Czech "ch", Danish "aa").
TEST(Collation, KeysOrderAsCompareDoes)
{
    std::mt19937 random(3);
    const std::string likely = "aAcChHlL\xB7\xE4\xC4\xDF\xE6\xAA\xAD\x81 -1";
    const auto text = [&] {
        std::string out;
        for (int length = int(random() % 6); length > 0; --length)
            out += random() % 2 ? likely[random() % likely.size()] : char(random() % 256);
        return out;
    };
    for (const char* locale : {"C", "de_DE.UTF-8", "sv_SE.UTF-8", "cs_CZ.UTF-8", "da_DK.UTF-8"}) {
        SCOPED_TRACE(locale);
        const TCollator collator(locale);
        const auto key = [&](const std::string& t) {
            std::string k;
            collator.AppendSortKey(t, k);
            return k;
        };
        for (int first = 0; first < 256; first += 1) {
            for (int second = 0; second < 256; second += 3) {
                const std::string a(1, char(first)), b(1, char(second));
                ASSERT_EQ(Sign(key(a).compare(key(b))), Sign(collator.Compare(a, b))) << first << " " << second;
            }
        }
        for (int i = 0; i < 20000; ++i) {
            const std::string a = text(), b = random() % 4 ? text() : a + text();
            ASSERT_EQ(Sign(key(a).compare(key(b))), Sign(collator.Compare(a, b))) << a << " / " << b;
        }
    }
}

TEST(Collation, FollowsTheUsersLanguage)
{
    const TCollator swedish("sv_SE.UTF-8");
    if (swedish.LocaleId().rfind("sv", 0) != 0)
        GTEST_SKIP() << "no Swedish collation in this ICU";
    // Swedish puts Ä behind Z.
    EXPECT_GT(swedish.Compare("\xC4rger", "Zeta"), 0);
    EXPECT_EQ(swedish.Compare("\xC4rger", "\xE4RGER"), 0);
}

TEST(Collation, UserLocaleComesFromTheEnvironment)
{
    const TScopedEnv all("LC_ALL", nullptr), collate("LC_COLLATE", nullptr), lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(UserCollationLocale(), "de_DE.UTF-8");
    {
        const TScopedEnv set("LC_COLLATE", "sv_SE.UTF-8");
        EXPECT_EQ(UserCollationLocale(), "sv_SE.UTF-8");
        const TScopedEnv over("LC_ALL", "C");
        EXPECT_EQ(UserCollationLocale(), "C");
    }
    // Without any: the C locale on POSIX systems, the user's on Windows.
    const TScopedEnv none("LANG", nullptr);
    EXPECT_EQ(UserCollationLocale(), SystemCollationLocale());
#ifndef _WIN32
    EXPECT_EQ(SystemCollationLocale(), "");
#endif
}
