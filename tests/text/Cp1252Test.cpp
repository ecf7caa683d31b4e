#include "Cp1252.h"

#include <gtest/gtest.h>

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
