#include "MarkerSearch.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// The rest behind the marker, or "<not found>".
std::string Rest(std::string_view marker, std::string_view page)
{
    const TMarkerMatch match = FindMarker(marker, page);
    if (!match.found) {
        EXPECT_TRUE(match.rest.empty());
        return "<not found>";
    }
    return std::string(match.rest);
}

constexpr std::string_view kCells = "x<td>a</td><td>b</td>";

} // namespace

TEST(FindMarker, PlainMarkerGivesTheRestBehindItsFirstOccurrence)
{
    EXPECT_EQ(Rest("<td>", kCells), "a</td><td>b</td>");
    EXPECT_EQ(Rest("<TD>", kCells), "a</td><td>b</td>");
    EXPECT_EQ(Rest("</td><td>b</td>", kCells), "");
    EXPECT_EQ(Rest("<tr>", kCells), "<not found>");
    EXPECT_EQ(Rest("", kCells), "<not found>");
    EXPECT_EQ(Rest("<td>", ""), "<not found>");
}

TEST(FindMarker, CountPicksTheNthOccurrenceWithoutOverlap)
{
    EXPECT_EQ(Rest("{2}<td>", kCells), "b</td>");
    EXPECT_EQ(Rest("{2}aa", "aaaab"), "b");
    EXPECT_EQ(Rest("{3}aa", "aaaaab"), "<not found>");
    EXPECT_EQ(Rest("{0}<td>", "a<td>b"), "a<td>b");
    EXPECT_EQ(Rest("{-1}<td>", "a<td>b"), "a<td>b");
    EXPECT_EQ(Rest("{0}<tr>", "a<td>b"), "<not found>");
}

TEST(FindMarker, FewerOccurrencesThanCountedIsNotFound)
{
    // No value follows a third cell that the page lacks.
    EXPECT_EQ(Rest("{3}<td>", kCells), "<not found>");
    EXPECT_EQ(Rest("{2147483647}<td>", kCells), "<not found>");
    EXPECT_EQ(Rest("{startpos=b}{2}</td>", "</td>b</td>"), "<not found>");
}

TEST(FindMarker, StartTextNarrowsTheSearch)
{
    EXPECT_EQ(Rest("{startpos=DNS}<td>", "IP<td>1</td>DNS<td>2</td>"), "2</td>");
    EXPECT_EQ(Rest("{STARTPOS=dns}<td>", "IP<td>1</td>DNS<td>2</td>"), "2</td>");
    // The start text stays at the front of the page and can be matched itself.
    EXPECT_EQ(Rest("{startpos=DNS}DNS", "DNS1DNS2"), "1DNS2");
    EXPECT_EQ(Rest("{startpos=DNS}{2}<td>", "<td>0DNS<td>1<td>2"), "2");
    EXPECT_EQ(Rest("{startpos=a=b}c", "c1a=bc2"), "2");
}

TEST(FindMarker, StartTextThatThePageLacksWidensTheSearch)
{
    EXPECT_EQ(Rest("{startpos=xyz}<td>", "a<td>b"), "b");
    EXPECT_EQ(Rest("{startpos=}<td>", "a<td>b"), "b");
}

TEST(FindMarker, DirectivesAloneAreNeverFound)
{
    EXPECT_EQ(Rest("{2}", "{2}{2}"), "<not found>");
    EXPECT_EQ(Rest("{startpos=a}", "{startpos=a}a"), "<not found>");
    EXPECT_EQ(Rest("{startpos=a}{3}", "aaaa"), "<not found>");
}

TEST(FindMarker, ReadsBracesTheWayStoredDefinitionsExpect)
{
    // Without a closing brace the marker stays whole and is searched literally.
    EXPECT_EQ(Rest("{startpos=x", "a{startpos=xb"), "b");
    // A brace pair anywhere is a count directive; what precedes it is dropped.
    EXPECT_EQ(Rest("ab{c}d", "d1ab{c}d2"), "1ab{c}d2");
    EXPECT_EQ(Rest("{1}ab{c}d", "d1ab{c}d2"), "2");
    EXPECT_EQ(Rest("a{startpos=x}y", "y1x y2"), "2");
    // Directives in the wrong order: start text "{2", count "startpos=x".
    EXPECT_EQ(Rest("{2}{startpos=x}y", "y1y2"), "1y2");
    EXPECT_EQ(Rest("{2}{startpos=x}y", "y1{2y2"), "2");
    // Behind an explicit count, braces are literal.
    EXPECT_EQ(Rest("{2}{a}", "{a}1{a}2"), "2");
}

TEST(FindMarker, SearchesEndAtTheFirstNul)
{
    EXPECT_EQ(Rest("<td>", "a\0<td>b"s), "<not found>");
    EXPECT_EQ(Rest("{2}<td>", "<td>1\0<td>2"s), "<not found>");
    EXPECT_EQ(Rest("{startpos=b}c", "c1\0bc2"s), "1\0bc2"s);
    // The rest itself reaches to the end of the page.
    EXPECT_EQ(Rest("<td>", "<td>1\0x"s), "1\0x"s);
    // A marker ends at its NUL too; the rest starts behind the matched part.
    EXPECT_EQ(Rest("<td>\0junk"s, "<td>1"), "1");
}

TEST(ReadCount, AcceptsSignedDecimalAndHexadecimal)
{
    EXPECT_EQ(ReadCount("2"), 2);
    EXPECT_EQ(ReadCount("  +7"), 7);
    EXPECT_EQ(ReadCount("-3"), -3);
    EXPECT_EQ(ReadCount("010"), 10);
    EXPECT_EQ(ReadCount("$1f"), 31);
    EXPECT_EQ(ReadCount("x10"), 16);
    EXPECT_EQ(ReadCount("X10"), 16);
    EXPECT_EQ(ReadCount("0x10"), 16);
    EXPECT_EQ(ReadCount("-0X10"), -16);
    EXPECT_EQ(ReadCount("0"), 0);
    EXPECT_EQ(ReadCount("2147483647"), 2147483647);
    EXPECT_EQ(ReadCount("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadCount("$7FFFFFFF"), 2147483647);
}

TEST(ReadCount, AnythingElseCountsAsOne)
{
    for (std::string_view text : {"", " ", "+", "-", "$", "0x", "x", "2 ", "2a", "- 2", "+-2", "1.5",
                                  "2147483648", "-2147483649", "$80000000", "99999999999999999999",
                                  "startpos=x", "0x0x1", "$-1"})
        EXPECT_EQ(ReadCount(text), 1) << text;
}

TEST(FirstTerminator, GivesTheEarliestTerminator)
{
    auto first = [](std::string_view text) { return FirstTerminator("<", ";", "')", text); };
    EXPECT_EQ(first("1.2.3.4;x<"), 8u);
    EXPECT_EQ(first("1.2.3.4<x;"), 8u);
    EXPECT_EQ(first("ip')<"), 3u);
    EXPECT_EQ(first("a')b;c<"), 2u);
    EXPECT_EQ(first("a;b')c<"), 2u);
    EXPECT_EQ(first("1.2.3.4"), 0u);
    EXPECT_EQ(first("1.2\0<"s), 0u);
    // A longer terminator that starts before an earlier-listed one found
    // further on.
    EXPECT_EQ(FirstTerminator("d", "bcd", "x", "abcdd"), 2u);
    EXPECT_EQ(FirstTerminator("e", "d", "bcde", "abcde"), 2u);
}

TEST(ExtractIPAddress, TakesTheTextUpToAfterOrATerminator)
{
    EXPECT_EQ(ExtractIPAddress("IP:", "</td>", "IP:1.2.3.4</td>"), "1.2.3.4");
    EXPECT_EQ(ExtractIPAddress("IP:", "", "IP:1.2.3.4<br>"), "1.2.3.4");
    EXPECT_EQ(ExtractIPAddress("IP:", "!", "IP:1.2.3.4;x!"), "1.2.3.4;x");
    EXPECT_EQ(ExtractIPAddress("IP:", "", "IP:\x01" "1.2.3.4\x1F<"), "1.2.3.4");
    EXPECT_EQ(ExtractIPAddress("I\r\nP:", "</\ttd>", "IP:1.2.3.4</td>"), "1.2.3.4");
    // The text after the address is plain text: braces are literal.
    EXPECT_EQ(ExtractIPAddress("IP:", "{1}", "IP:1.2.3.4{1}"), "1.2.3.4");
}

TEST(ExtractIPAddress, IsEmptyWithoutEitherEnd)
{
    EXPECT_EQ(ExtractIPAddress("IP:", "", "IP:1.2.3.4"), "");
    EXPECT_EQ(ExtractIPAddress("IP:", "</td>", "1.2.3.4</td>"), "");
    EXPECT_EQ(ExtractIPAddress("", "</td>", "IP:1.2.3.4</td>"), "");
    EXPECT_EQ(ExtractIPAddress("IP:", "", "IP:1.2.3.4\0<"s), "");
}

TEST(ExtractPropertyValue, CutsAtTerminatorQuoteAndReadsCheckedBoxes)
{
    EXPECT_EQ(ExtractPropertyValue("name=dhcp", "<inputtype=checkboxname=dhcpchecked><br>"), "aktiv");
    EXPECT_EQ(ExtractPropertyValue("value=", "<inputvalue=1.2.3.4\"/>"), "1.2.3.4");
    EXPECT_EQ(ExtractPropertyValue("Uptime:", "Uptime:\x7" "3h;"), "3h");
    EXPECT_EQ(ExtractPropertyValue("{2}<td>", "<td>a<td>CHECKED<"), "aktiv");
}

TEST(ExtractPropertyValue, WithoutTerminatorTakesTheRestOfThePage)
{
    EXPECT_EQ(ExtractPropertyValue("Name:", "Name: Box 7 \n"), "Box 7");
    // Only the searches stop at a NUL byte: the value keeps what follows it,
    // and a quote or terminator behind the NUL cuts nothing.
    EXPECT_EQ(ExtractPropertyValue("Name:", "Name:Box\0\"junk<"s), "Box\0\"junk<"s);
    EXPECT_EQ(ExtractPropertyValue("Name:", "Name:\0x "s), "x");
}

TEST(ExtractPropertyValue, EmptyOrMissingCodeGivesNothing)
{
    EXPECT_EQ(ExtractPropertyValue("", "anything<"), "");
    EXPECT_EQ(ExtractPropertyValue("\r\n\t", "anything<"), "");
    EXPECT_EQ(ExtractPropertyValue("zzz", "anything<"), "");
}
