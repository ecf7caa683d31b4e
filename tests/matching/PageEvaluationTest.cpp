#include "PageEvaluation.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace std::string_literals;

namespace {

TRouterEntry Status1Router()
{
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = "Status:getrennt";
    entry.BeforeIPAddress = "IP-Adresse:</td><td>";
    entry.AfterIPAddress = "</td>";
    return entry;
}

// The rows as name=value lines.
std::vector<std::string> Lines(const TFoundValues& values)
{
    std::vector<std::string> lines;
    for (const TFoundValues::TRow& row : values.Rows())
        lines.push_back(std::string(row.name) + "=" + std::string(row.value));
    return lines;
}

constexpr const char* kOnlinePage =
    "<tr>\r\n\t<td>Status: verbunden</td></tr>\r\n"
    "<tr><td>IP-Adresse:</td> <td> 84.1.2.3 </td></tr>";

} // namespace

TEST(PreparePage, RemovesSpacesEverywhereAndLineBreaksBeforeTheFirstNul)
{
    EXPECT_EQ(PreparePage("<td>\r\n\tIP: 1</td>"), "<td>IP:1</td>");
    EXPECT_EQ(PreparePage("a \r\n\0 b\r\n\t \0 "s), "a\0b\r\n\t\0"s);
    EXPECT_EQ(PreparePage(""), "");
}

TEST(PreparePage, AgreesWithAByteByByteReferenceOnLongPages)
{
    std::mt19937 random(7);
    const std::string_view alphabet = "<td> \r\n\t\0a";
    for (int round = 0; round < 200; ++round) {
        std::string page(random() % 300, ' ');
        for (char& c : page)
            c = alphabet[random() % alphabet.size()];
        std::string expected;
        const std::size_t firstNul = page.size() < 2 ? page.find('\0') : page.find('\0', 2);
        for (std::size_t i = 0; i < page.size(); ++i) {
            const char c = page[i];
            const bool lineBreak = c == '\r' || c == '\n' || c == '\t';
            const bool leadingNul = c == '\0' && i < 2 && page.size() >= 2;
            if (c != ' ' && !leadingNul && !(lineBreak && i < firstNul))
                expected += c;
        }
        ASSERT_EQ(PreparePage(page), expected) << round;
    }
}

TEST(PreparePage, ReadsAPageBehindLeadingNuls)
{
    EXPECT_EQ(PreparePage("\0\0<html>"s), "<html>");
    EXPECT_EQ(PreparePage("\0<a>\n"s), "<a>");
    EXPECT_EQ(PreparePage("<\0\0a\n"s), "<\0a\n"s);
    std::string single("\0"s);
    FixLeadingNuls(single);
    EXPECT_EQ(single, "\0"s);
}

TEST(PageEvaluation, Status1ReadsOnlineStateAndAddress)
{
    const TPageTest test(Status1Router(), kOnlinePage, 1);
    const TStaticTestResult& result = test.Result();
    EXPECT_FALSE(result.offline);
    EXPECT_EQ(result.ipAddress, "84.1.2.3");
    EXPECT_TRUE(result.values.Empty());
}

TEST(PageEvaluation, OfflineCodeWinsOverMatchingAddressMarkers)
{
    const std::string page = "<td>Status: getrennt</td><td>IP-Adresse:</td><td>0.0.0.0</td>";
    const TPageTest test(Status1Router(), page, 1);
    const TStaticTestResult& result = test.Result();
    EXPECT_TRUE(result.offline);
    EXPECT_EQ(result.ipAddress, "");
}

TEST(PageEvaluation, PageWithoutEitherMarkerIsOnlineWithoutAddress)
{
    for (const std::string& page : {"<html>nothing here</html>"s, ""s}) {
        const TPageTest test(Status1Router(), page, 1);
    const TStaticTestResult& result = test.Result();
        EXPECT_FALSE(result.offline);
        EXPECT_EQ(result.ipAddress, "");
    }
    TRouterEntry noOfflineCode = Status1Router();
    noOfflineCode.OfflineCode.clear();
    EXPECT_FALSE(TPageTest(noOfflineCode, "Status:getrennt", 1).Result().offline);
}

TEST(PageEvaluation, MatchesOnlyUpToANulBehindTheStart)
{
    const std::string address = "<td>IP-Adresse:</td><td>84.1.2.3</td>";
    EXPECT_EQ(TPageTest(Status1Router(), "\0"s + address, 1).Result().ipAddress, "84.1.2.3");
    EXPECT_EQ(TPageTest(Status1Router(), "\0\0"s + address, 1).Result().ipAddress, "84.1.2.3");
    EXPECT_EQ(TPageTest(Status1Router(), "<a>\0"s + address, 1).Result().ipAddress, "");
}

TEST(PageEvaluation, PropertiesListNonEmptyValuesInListOrder)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status3Values.Add("Firmware=Version:");
    entry.Status3Values.Add("DNS={startpos=DNS}<td>");
    entry.Status3Values.Add("Fehlt=<nirgends>");
    entry.Status3Values.Add("DHCP=name=dhcp");
    const std::string page =
        "Version: 1.2<br>\n<td>IP</td><td>DNS</td><td>9.9.9.9</td>"
        "<input type=checkbox name=dhcp checked>";

    const TPageTest test(entry, page, 3);
    const TStaticTestResult& result = test.Result();
    const std::vector<std::string> expected{"Firmware=1.2", "DNS=9.9.9.9", "DHCP=aktiv"};
    EXPECT_EQ(Lines(result.values), expected);
    EXPECT_TRUE(TPageTest(entry, page, 2).Result().values.Empty());
}

TEST(PageEvaluation, DuplicateNamesGiveOneLineWithTheFirstCode)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("wan=WAN:");
    entry.Status2Values.Add("Other=x:");
    entry.Status2Values.Add("WAN=LAN:");
    const TPageTest test(entry, "WAN:1<LAN:2<x:3<", 2);
    const TStaticTestResult& result = test.Result();
    const std::vector<std::string> expected{"WAN=1", "Other=3"};
    EXPECT_EQ(Lines(result.values), expected);
}

TEST(PageEvaluation, RefusesAnUnknownStatusQuery)
{
    EXPECT_THROW(TPageTest(NewRouterEntry(), "", 0), std::invalid_argument);
    EXPECT_THROW(TPageTest(NewRouterEntry(), "", 5), std::invalid_argument);
}
