#include "Cp1252.h"
#include "WMsgBox.h"

#include <gtest/gtest.h>

#include <type_traits>

TEST(Cp1252, EveryByteRoundTripsThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    std::string back;
    ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
}

TEST(Cp1252, MapsTheCodePageSpecialsAndUnassignedBytes)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0xC4), u'\u00C4');
    for (unsigned char unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(Cp1252ToUnicode(unassigned), char16_t(unassigned));
        EXPECT_EQ(UnicodeToCp1252(unassigned), unassigned);
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Cp1252, RefusesWhatTheCodePageCannotHold)
{
    std::string out;
    EXPECT_EQ(UnicodeToCp1252(0x0080), -1); // a C1 control the code page replaced by €
    EXPECT_EQ(UnicodeToCp1252(0x4E2D), -1);
    EXPECT_FALSE(Utf8ToCp1252("\xE4\xB8\xAD", out));      // CJK character
    EXPECT_FALSE(Utf8ToCp1252("\xF0\x9F\x98\x80", out));  // emoji
    EXPECT_FALSE(Utf8ToCp1252("\xC3", out));              // cut sequence
    EXPECT_FALSE(Utf8ToCp1252("\xC0\x80", out));          // overlong NUL
    EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80", out));      // surrogate
    ASSERT_TRUE(Utf8ToCp1252("Stra\xC3\x9F" "e \xE2\x82\xAC", out));
    EXPECT_EQ(out, "Stra\xDF" "e \x80");
}

// A message (UTF-8) and Windows-1252 bytes never pass for each other.
static_assert(!std::is_convertible_v<std::string, TCp1252Text>);
static_assert(!std::is_convertible_v<TCp1252Text, std::string>);
static_assert(!std::is_invocable_v<decltype(&ShowMsgBox), std::string, TCp1252Text, TMsgBoxKind, TMsgBoxButtons>);

TEST(Cp1252Text, MessagesBecomeWhatTheBoxShows)
{
    // What the code page lacks is "?"; bytes that are no UTF-8 stay as they are.
    EXPECT_EQ(ToCp1252Text("Bestätigung € \xF0\x9F\x98\x80 \xFF").Bytes(), "Best\xE4tigung \x80 ? \xFF");
    EXPECT_EQ(ToUtf8(TCp1252Text("\x80\x81\xE4")), "\xE2\x82\xAC\xC2\x81\xC3\xA4");
    // A quoted text cannot break the message's lines or steer a terminal.
    EXPECT_EQ(Shown(TCp1252Text("a\nb\x1B\xE4")), "a\\x0ab\\x1b\xC3\xA4");
    EXPECT_EQ(Shown("\xE2\x82\xAC\xCE\xA9\n"), "\xE2\x82\xAC?\\x0a");
}
