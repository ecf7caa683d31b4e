#include "Utf16.h"

#include <gtest/gtest.h>

TEST(Utf16, EncodesEveryPlaneAndBack)
{
    const std::string utf8 = "a\xC3\xA4 \xCE\xA9 \xE2\x82\xAC \xF0\x9F\x90\xA7";
    const std::u16string utf16 = u"a\u00E4 \u03A9 \u20AC \U0001F427";
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf16, KeepsNamesWithUnpairedSurrogates)
{
    // Windows allows them in file names; they must survive the way through
    // UTF-8 and back, and not pair up with what follows.
    const std::u16string names[] = {
        {char16_t(0xD800)},
        {char16_t(0xDC00), u'x'},
        {u'a', char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDC27)},
        {char16_t(0xDC27), char16_t(0xD83D)},
    };
    for (const std::u16string& name : names)
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(name)), name);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD800)}), "\xED\xA0\x80");
}

TEST(Utf16, BytesThatAreNoUtf8AreTakenAsWindows1252)
{
    EXPECT_EQ(Utf8ToUtf16("\x80"), u"\u20AC");
    EXPECT_EQ(Utf8ToUtf16("M\xFCller.dat"), u"M\u00FCller.dat");
    // A cut sequence, an overlong form and a lead byte without its rest.
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\u00E2\u201A");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\u00C0\u00AF");
    EXPECT_EQ(Utf8ToUtf16("\xC3x"), u"\u00C3x");
}
