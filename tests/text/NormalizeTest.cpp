#include "Normalize.h"
#include "Tools.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST(RemoveSpaces, DropsOnlySpaceBytesEverywhere)
{
    EXPECT_EQ(Tools().RemoveSpaces(" a  b "), "ab");
    EXPECT_EQ(Tools().RemoveSpaces("a\tb\xA0" "c"), "a\tb\xA0" "c");
    EXPECT_EQ(Tools().RemoveSpaces("a \0 b"s), "a\0b"s);
    EXPECT_EQ(&Tools(), &Tools());
}

TEST(StripLineBreaks, RemovesLineBreaksAndTabsBeforeTheFirstNul)
{
    EXPECT_EQ(StripLineBreaks("a\r\nb\tc"), "abc");
    EXPECT_EQ(StripLineBreaks("a\0b\n"s), "a\0b\n"s);
    EXPECT_EQ(StripLineBreaks("\n\t\0\r\0\t"s), "\0\r\0\t"s);
    EXPECT_EQ(StripLineBreaks("a b"), "a b");
    EXPECT_EQ(StripLineBreaks(""), "");
}

TEST(NormalizePostPrefix, CanonicalisesALeadingPostMarker)
{
    EXPECT_EQ(NormalizePostPrefix("<post>/login.cgi"), "<POST>login.cgi");
    EXPECT_EQ(NormalizePostPrefix("<Post>form.cgi"), "<POST>form.cgi");
    EXPECT_EQ(NormalizePostPrefix("<POST>/"), "<POST>");
    EXPECT_EQ(NormalizePostPrefix("<post>/a=<POST>"), "<POST>a=<POST>");
}

TEST(NormalizePostPrefix, LeavesOtherRequestsAlone)
{
    EXPECT_EQ(NormalizePostPrefix("<POST>x"), "<POST>x");
    EXPECT_EQ(NormalizePostPrefix("<post>a=<POST>"), "<post>a=<POST>");
    EXPECT_EQ(NormalizePostPrefix("x<post>"), "x<post>");
    EXPECT_EQ(NormalizePostPrefix("<pos"), "<pos");
    EXPECT_EQ(NormalizePostPrefix("<po\0st>"s), "<po\0st>"s);
}

TEST(NormalizeRequest, DropsOneLeadingSlashThenTheMarker)
{
    EXPECT_EQ(NormalizeRequest("/doc/status.htm"), "doc/status.htm");
    EXPECT_EQ(NormalizeRequest("//x"), "/x");
    EXPECT_EQ(NormalizeRequest("/<post>/a"), "<POST>a");
    EXPECT_EQ(NormalizeRequest(""), "");
    EXPECT_EQ(NormalizeRequest("/"), "");
}

TEST(NormalizeHtmlCode, JoinsAFieldIntoOneLineWithoutSpaces)
{
    EXPECT_EQ(NormalizeHtmlCode("<td>\r\n  IP: </td>"), "<td>IP:</td>");
    EXPECT_EQ(NormalizeHtmlCode("a \t\0 \t"s), "a\0\t"s);
}
