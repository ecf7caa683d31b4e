#include "RuleProposal.h"
#include "RuleProposalCheck.h"

#include "MarkerSearch.h"
#include "PageByteClasses.h"
#include "PageEvaluation.h"
#include "ValueSpelling.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace std::string_literals;

namespace {

std::string PreparedFixture(const std::string& name)
{
    std::ifstream in(std::string(PAGES_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return PreparePage(bytes.str());
}

std::string Describe(const TRuleProposal& proposal)
{
    return proposal.found ? "before '" + proposal.beforeIPAddress + "' after '" + proposal.afterIPAddress
                                + "' code '" + proposal.code + "'"
                          : "refused: " + proposal.reason;
}

// What the page test reads on `page` with the proposed rule.
std::string Apply(const TRuleProposal& proposal, TRuleTarget target, std::string_view page)
{
    TRouterEntry entry = NewRouterEntry();
    if (target == TRuleTarget::IPAddress) {
        entry.BeforeIPAddress = proposal.beforeIPAddress;
        entry.AfterIPAddress = proposal.afterIPAddress;
        return std::string(TestPreparedPage(entry, page, 1).ipAddress);
    }
    entry.Status3Values.Add("Wert=" + proposal.code);
    const TFoundValues values = TestPreparedPage(entry, page, 3).values;
    return values.Empty() ? "" : std::string(values.ValueAt(0));
}

// Where the rest of the proposed marker begins.
std::size_t RestBegin(const TRuleProposal& proposal, TRuleTarget target, std::string_view page)
{
    const std::string& marker = target == TRuleTarget::IPAddress ? proposal.beforeIPAddress : proposal.code;
    const TMarkerMatch match = FindMarker(marker, page);
    return match.found ? std::size_t(match.rest.data() - page.data()) : std::string::npos;
}

struct TPagePair {
    const char* first;
    const char* second;
    TRuleTarget target;
    const char* valueInFirst; // as the page shows it
    const char* valueInSecond;
};

constexpr auto kIp = TRuleTarget::IPAddress;
constexpr auto kProperty = TRuleTarget::Property;

// Status pages of one router saved at two times: the rule proposed on the
// one page must read the same field on the other.
const TPagePair kPagePairs[] = {
    {"dsl-status-a.htm", "dsl-status-b.htm", kIp, "84.151.23.7", "91.62.140.211"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kProperty, "62.155.247.1", "62.155.246.33"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kProperty, "217.237.148.70", "217.237.149.142"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kProperty, "0 Tage 11:02:37", "1 Tage 00:00:12"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kProperty, "255.255.255.255", "255.255.255.255"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kIp, "16000", "15488"},
    {"dsl-status-a.htm", "dsl-status-b.htm", kProperty, "14.03.2024 09:12:44", "02.04.2024 21:40:03"},
    {"cable-channels-a.htm", "cable-channels-b.htm", kIp, "84.44.170.12", "84.44.171.3"},
    {"cable-channels-a.htm", "cable-channels-b.htm", kProperty, "2.9 dBmV", "2.4 dBmV"},
    {"cable-channels-a.htm", "cable-channels-b.htm", kProperty, "39.8 dB", "39.5 dB"},
    {"cable-channels-a.htm", "cable-channels-b.htm", kProperty, "43.5 dBmV", "45.0 dBmV"},
    {"cable-channels-a.htm", "cable-channels-b.htm", kProperty, "Thu Mar 14 09:12:44 2024",
     "Tue Apr 02 21:40:03 2024"},
    {"js-status-a.htm", "js-status-b.htm", kIp, "84.131.7.200", "79.210.66.18"},
    {"js-status-a.htm", "js-status-b.htm", kIp, "84.131.0.1", "79.210.0.1"},
    {"js-status-a.htm", "js-status-b.htm", kProperty, "1d 02:11:45", "0d 00:04:12"},
    {"js-status-a.htm", "js-status-b.htm", kProperty, "6", "11"},
    {"wlan-form-a.htm", "wlan-form-b.htm", kProperty, "Zuhause", "Buero-Netz"},
    {"wlan-form-a.htm", "wlan-form-b.htm", kProperty, "100", "50"},
    {"wlan-form-a.htm", "wlan-form-b.htm", kProperty, "6", "13"},
    // More devices before the address on the second page.
    {"overview-a.htm", "overview-b.htm", kIp, "88.72.19.140", "88.73.201.7"},
    {"overview-a.htm", "overview-b.htm", kProperty, "14.03.2024, 06:00", "02.04.2024, 06:00"},
    {"overview-a.htm", "overview-b.htm", kIp, "1833", "20417"},
    {"json-status-a.json", "json-status-b.json", kIp, "84.57.12.201", "31.18.240.9"},
    {"json-status-a.json", "json-status-b.json", kProperty, "84.57.0.1", "31.18.240.1"},
    {"json-status-a.json", "json-status-b.json", kIp, "3600", "864211"},
    {"english-status-a.htm", "english-status-b.htm", kIp, "71.212.9.44", "71.212.133.2"},
    {"english-status-a.htm", "english-status-b.htm", kProperty, "03:14:27", "127:02:10"},
    {"english-status-a.htm", "english-status-b.htm", kProperty, "11", "6"},
};

class RuleProposalPairs : public ::testing::TestWithParam<TPagePair> {};

} // namespace

TEST_P(RuleProposalPairs, RuleFromOnePageReadsTheSameFieldOnTheOther)
{
    const TPagePair& pair = GetParam();
    const std::string pages[] = {PreparedFixture(pair.first), PreparedFixture(pair.second)};
    const std::string values[] = {ValueAsRulesSeeIt(pair.valueInFirst), ValueAsRulesSeeIt(pair.valueInSecond)};
    for (int from = 0; from < 2; ++from) {
        const int to = 1 - from;
        const TRuleProposal proposal = ProposeRuleForValue(pages[from], values[from], pair.target);
        ASSERT_TRUE(proposal.found) << proposal.reason;
        EXPECT_EQ(proposal.result, values[from]);
        EXPECT_EQ(Apply(proposal, pair.target, pages[from]), values[from]) << Describe(proposal);
        EXPECT_EQ(Apply(proposal, pair.target, pages[to]), values[to]) << Describe(proposal);
    }
}

INSTANTIATE_TEST_SUITE_P(SavedStatusPages, RuleProposalPairs, ::testing::ValuesIn(kPagePairs));

TEST(RuleProposal, PrefersLabelsToNumbersAndDirectivesOnlyWhereNeeded)
{
    const std::string page = PreparedFixture("dsl-status-a.htm");
    const TRuleProposal gateway = ProposeRuleForValue(page, "62.155.247.1", kIp);
    // The cell's attributes, and the colon and tags behind the label, are
    // left to the count of tags behind it.
    EXPECT_EQ(gateway.beforeIPAddress, "{startpos=>Standard-Gateway}{3}>");
    EXPECT_EQ(gateway.afterIPAddress, "<");
    // The LAN table before it has the same label: the WAN address needs more
    // of the page's text, but none of the numbers around it.
    const TRuleProposal wan = ProposeRuleForValue(page, "84.151.23.7", kIp);
    ASSERT_TRUE(wan.found);
    EXPECT_NE(wan.beforeIPAddress.find("IP-Adresse:"), std::string::npos) << wan.beforeIPAddress;
    EXPECT_EQ(wan.beforeIPAddress.find_first_of("0123456789"), std::string::npos) << wan.beforeIPAddress;
    // Whole tag names, not the tail of one.
    const std::string xml = "<wan><state>up</state><ip>5.1.2.3</ip><gateway>5.1.0.1</gateway></wan>";
    EXPECT_EQ(ProposeRuleForValue(xml, "5.1.0.1", kProperty).code, "<gateway>");
    // In a script's value list, the place in the list.
    const TRuleProposal dns = ProposeRuleForValue(PreparedFixture("js-status-a.htm"), "9.9.9.9", kIp);
    EXPECT_EQ(dns.beforeIPAddress, "{startpos=newArray}{6}','");
    EXPECT_EQ(dns.afterIPAddress, "'");
}

TEST(RuleProposal, ValueThatOccursTwiceGetsADirective)
{
    const std::string page = PreparePage("<tr><td>DNS</td><td>9.9.9.9</td><td>9.9.9.9</td></tr>");
    const std::vector<TValueSpan> places = FindValueInPage(page, "9.9.9.9", 10);
    ASSERT_EQ(places.size(), 2u);
    for (const TRuleTarget target : {kIp, kProperty}) {
        const TRuleProposal second = ProposeRule(page, places[1], target);
        ASSERT_TRUE(second.found) << second.reason;
        const std::string& marker = target == kIp ? second.beforeIPAddress : second.code;
        EXPECT_EQ(marker.front(), '{') << marker;
        EXPECT_EQ(RestBegin(second, target, page), places[1].begin) << marker;
    }
    // In the JavaScript list the gateway is also the first DNS server.
    const std::string script = PreparedFixture("js-status-a.htm");
    const std::vector<TValueSpan> gateway = FindValueInPage(script, "84.131.0.1", 10);
    ASSERT_EQ(gateway.size(), 2u);
    const TRuleProposal dns = ProposeRule(script, gateway[1], kIp);
    ASSERT_TRUE(dns.found) << dns.reason;
    EXPECT_EQ(RestBegin(dns, kIp, script), gateway[1].begin);
    const std::string other = PreparedFixture("js-status-b.htm");
    EXPECT_EQ(RestBegin(dns, kIp, other), FindValueInPage(other, "79.210.0.1", 10).at(1).begin);
}

TEST(RuleProposal, ValueAtTheVeryStartOrEndOfThePage)
{
    const std::string page = "84.1.2.3</td><td>DNS:</td><td>9.9.9.9";
    for (const TRuleTarget target : {kIp, kProperty}) {
        const TRuleProposal start = ProposeRule(page, {0, 8}, target);
        ASSERT_TRUE(start.found) << start.reason;
        EXPECT_EQ(Apply(start, target, page), "84.1.2.3");
        EXPECT_EQ(RestBegin(start, target, page), 0u);
    }
    // A property value without terminator runs to the page end; an address
    // needs text behind it.
    const TRuleProposal end = ProposeRuleForValue(page, "9.9.9.9", kProperty);
    ASSERT_TRUE(end.found) << end.reason;
    EXPECT_EQ(end.code, ">DNS:</td><td>");
    EXPECT_EQ(end.result, "9.9.9.9");
    const TRuleProposal address = ProposeRuleForValue(page, "9.9.9.9", kIp);
    EXPECT_FALSE(address.found);
    EXPECT_NE(address.reason.find("Hinter dem Wert"), std::string::npos) << address.reason;
}

TEST(RuleProposal, SearchesEndAtTheFirstNul)
{
    const std::string page = "<td>IP:</td><td>84.1.2.3</td>\0<td>DNS:</td><td>9.9.9.9</td>"s;
    const TRuleProposal before = ProposeRuleForValue(page, "84.1.2.3", kIp);
    ASSERT_TRUE(before.found) << before.reason;
    EXPECT_EQ(Apply(before, kIp, page), "84.1.2.3");

    const TRuleProposal behind = ProposeRuleForValue(page, "9.9.9.9", kProperty);
    EXPECT_FALSE(behind.found);
    EXPECT_NE(behind.reason.find("NUL"), std::string::npos) << behind.reason;
    // Right behind the NUL a property value is still read: the rest starts
    // there, runs to the page end and is trimmed of the NUL.
    const std::string tail = "<td>Wert:\0 42"s;
    const TRuleProposal trimmed = ProposeRule(tail, {11, 13}, kProperty);
    ASSERT_TRUE(trimmed.found) << trimmed.reason;
    EXPECT_EQ(trimmed.code, ">Wert:");
    EXPECT_FALSE(ProposeRule(tail, {11, 13}, kIp).found);
}

TEST(RuleProposal, PropertyValueMustEndWhereThePageTestEndsIt)
{
    const std::string page = PreparedFixture("dsl-status-a.htm");
    const TRuleProposal rate = ProposeRuleForValue(page, "16000", kProperty);
    EXPECT_FALSE(rate.found);
    EXPECT_NE(rate.reason.find("„16000kbit/s“"), std::string::npos) << rate.reason;
    // A value cut at a double quote, and a checked box, which reads "aktiv".
    const std::string form = PreparedFixture("wlan-form-a.htm");
    EXPECT_EQ(ProposeRuleForValue(form, "WPA2 (AES)", kProperty).result, "WPA2(AES)");
    const TRuleProposal box = ProposeRuleForValue(form, "checked", kProperty);
    ASSERT_TRUE(box.found) << box.reason;
    EXPECT_EQ(box.result, "aktiv");
    EXPECT_EQ(Apply(box, kProperty, PreparedFixture("wlan-form-b.htm")), "aktiv");
}

TEST(RuleProposal, ExplainsWhyThereIsNoRule)
{
    const std::string page = "<td>IP:</td><td>84.1.2.3</td>";
    EXPECT_EQ(ProposeRuleForValue(page, " \r\n", kIp).reason, "Der Wert ist leer.");
    EXPECT_NE(ProposeRuleForValue(page, "1.2.3.5", kIp).reason.find("„1.2.3.5“ kommt in der Seite nicht vor"),
              std::string::npos);
    EXPECT_FALSE(ProposeRule(page, {20, 40}, kIp).found);
    // Nothing but one letter: a count of letters lands at byte 5000, but the
    // property value runs on, and no text behind an address could end it.
    const std::string letters(10000, 'a');
    const TRuleProposal runsOn = ProposeRule(letters, {5000, 5001}, kProperty);
    EXPECT_NE(runsOn.reason.find("Ein Eigenschaftswert endet erst"), std::string::npos) << runsOn.reason;
    const TRuleProposal noEnd = ProposeRule(letters, {5000, 5001}, kIp);
    EXPECT_NE(noEnd.reason.find("Hinter dem Wert"), std::string::npos) << noEnd.reason;
}

TEST(RuleProposal, CodesWithBracesAreSearchedLiterally)
{
    // Braces in HTML code would read as a count directive without an
    // explicit one; a start directive in the page's text needs an empty one.
    const std::string json = "<script>varst={ip:\"84.1.2.3\",dns:\"9.9.9.9\"};</script>";
    const TRuleProposal ip = ProposeRuleForValue(json, "84.1.2.3", kIp);
    ASSERT_TRUE(ip.found) << ip.reason;
    EXPECT_EQ(Apply(ip, kIp, json), "84.1.2.3");

    const std::string odd = "<p>{startpos=x}{2}:42<p>{startpos=x}{2}:43<";
    const TRuleProposal second = ProposeRule(odd, {odd.rfind("43"), odd.rfind("43") + 2}, kProperty);
    ASSERT_TRUE(second.found) << second.reason;
    EXPECT_EQ(Apply(second, kProperty, odd), "43");
}

TEST(RuleProposal, EveryProposalReadsItsValueOnRandomPages)
{
    std::mt19937 random(12);
    const std::string_view alphabet = "<>td/:;'\")\"={}aB1.\x01";
    int proposed = 0;
    for (int round = 0; round < 800; ++round) {
        std::string input(9 + random() % 120, ' ');
        for (char& c : input)
            c = alphabet[random() % alphabet.size()];
        for (std::size_t i = 0; i < 4; ++i)
            input[i] = char(random());
        if (random() % 4 == 0)
            input[4 + random() % (input.size() - 4)] = '\0';
        if (input[0] & 2)
            input[4 + random() % (input.size() - 4)] = '\xFF';
        ASSERT_EQ(CheckRuleProposalInput(input, &proposed), "") << round;
    }
    EXPECT_GT(proposed, 300);
}

// Each rule below comes from a fault seen on real pages: the rule proposed
// from one save read nothing, or another value, on the next save.
namespace {

// What the rule proposed for the value of the first save, at its place
// number `place`, reads on the second.
std::string ReadOnNextSave(const std::string& first, const std::string& value, const std::string& next,
                           TRuleTarget target, std::size_t place = 1)
{
    const std::string pages[] = {PreparePage(first), PreparePage(next)};
    const std::vector<TValueSpan> places = FindValueInPage(pages[0], ValueAsRulesSeeIt(value), place);
    const TRuleProposal proposal = ProposeRule(pages[0], places.at(place - 1), target);
    return proposal.found ? Apply(proposal, target, pages[1]) : "(none: " + proposal.reason + ")";
}

// A modem's channel list in a script, behind a loop that compares.
std::string ChannelScript(const char* captured, const char* firstChannel)
{
    return std::string("<script>\nfunction fill(list) {\n  var cellsList = list.split(\"|\");\n"
                       "  for (i = 0; i < cellsList.length; i++) { show(i, cellsList[i]); }\n}\n"
                       "var status = '") + captured + "|0|0|0|';\nvar channels = '1|Locked|QAM256|17|" + firstChannel
           + "|2|Locked|QAM256|18|579000000 Hz|2.0|40.1|';\n</script>";
}

// A modem's startup steps and its table of 24 channels, the first locked or
// not, and the power of the last.
std::string ChannelTable(const char* firstLock, const char* lastPower)
{
    std::string page = "<table>";
    for (const char* step : {"Acquire Downstream Channel", "Connectivity State", "Boot State", "Configuration File",
                             "Security", "Network Access", "Time of Day"})
        page += std::string("<tr><td>") + step + "</td><td>OK</td><td>Operational</td></tr>\n";
    page += "</table><h2>Downstream Bonded Channels</h2><table>\n<tr><th>Channel</th><th>Lock Status</th>"
            "<th>Modulation</th><th>Channel ID</th><th>Frequency</th><th>Power</th><th>SNR</th><th>Corrected</th>"
            "<th>Uncorrectables</th></tr>\n";
    for (int channel = 1; channel <= 24; ++channel) {
        const std::string number = std::to_string(channel);
        page += "<tr align=\"left\"><td>" + number + "</td><td>" + (channel == 1 ? firstLock : "Locked")
                + "</td><td>QAM256</td><td>" + number + "</td><td>" + number + "02000000 Hz</td><td>"
                + (channel == 24 ? lastPower : number + ".1 dBmV") + "</td><td>40." + number
                + " dB</td><td>0</td><td>0</td></tr>\n";
    }
    return page + "</table>";
}

} // namespace

TEST(PageByteClasses, TagsAreToldFromComparisonsInScripts)
{
    for (const std::string_view tag : {"<tdclass=\"x\">", "<metahttp-equiv=\"refresh\">", "<br>", "</td>", "<b>x"})
        EXPECT_TRUE(OpensTag(tag, 0)) << tag;
    for (const std::string_view comparison : {"<cellsList.length;i++)", "<max)", "<n-1;", "<a[0]", "<!--"})
        EXPECT_FALSE(OpensTag(comparison, 0)) << comparison;
}

TEST(PageByteClasses, StyleSheetsAndDeclarationsHoldNoLabels)
{
    const std::string page = "<!DOCTYPEhtml><style>td.lan{font-weight:bold}</style><td>Uptime</td>";
    const TByteRoles roles(page, 0, page.size());
    EXPECT_FALSE(HoldsLabel(page, 0, page.find("<td>"), roles));
    EXPECT_TRUE(HoldsLabel(page, page.find("<td>"), page.size(), roles));
}

TEST(RuleFromOneSave, NumbersBehindAComparisonInAScriptAreValues)
{
    EXPECT_EQ(ReadOnNextSave(ChannelScript("Sun Dec 14 11:56:29 2025", "579000000 Hz|9.3|43.4"), "43.4",
                             ChannelScript("Tue Dec 16 08:02:11 2025", "579000000 Hz|8.8|42.0"), kIp),
              "42.0");
}

TEST(RuleFromOneSave, StartTextIsALabelNotAValue)
{
    EXPECT_EQ(ReadOnNextSave(ChannelTable("Not Locked", "3.8 dBmV"), "3.8 dBmV", ChannelTable("Locked", "8.3 dBmV"),
                             kProperty),
              "8.3dBmV");
}

TEST(RuleFromOneSave, ReadableLabelBeforeASymbolOfAnotherEncoding)
{
    const std::string page = "<table><tr><td>\xE2\x97\x8F</td><td>Internet</td></tr>\n<tr><th>Anbieter</th><td>Netz"
                             "</td></tr>\n<tr><th>IPv4-Adresse</th><td>84.1.2.3</td></tr></table>\n";
    const TRuleProposal proposal = ProposeRuleForValue(PreparePage(page), "84.1.2.3", kIp);
    EXPECT_EQ(proposal.beforeIPAddress, ">IPv4-Adresse</th><td>");
    // A symbol is no word: it never starts a rule on its own.
    const std::string bullets = "<p>\xE2\x97\x8F</p><p>\xE2\x97\x8F</p><table><tr><td>\xE2\x97\x8F</td>"
                                "<td>84.1.2.3</td></tr></table>";
    EXPECT_EQ(ProposeRuleForValue(PreparePage(bullets), "84.1.2.3", kIp).beforeIPAddress.find("\xE2\x97\x8F}"),
              std::string::npos);
}

TEST(RuleFromOneSave, CountsGoOnBeyondTwoHundred)
{
    // Error counters without labels, all 0; the value is the 1500th, so
    // that even a code of six cells occurs 250 times before it, and the next
    // save counts errors there.
    const auto counters = [](const char* errors) {
        std::string cells;
        for (int cell = 1; cell <= 1600; ++cell)
            cells += std::string("<td>") + (cell == 1500 ? errors : "0") + "</td>";
        return "<h2>Fehlerz\xE4hler</h2><table><tr>" + cells + "</tr></table>";
    };
    EXPECT_EQ(ReadOnNextSave(counters("0"), "0", counters("12"), kProperty, 1500), "12");
}

namespace {

// A page saved twice, and the rule of the page's structure that the rule
// from the first save must heed to read the second.
struct TNextSave {
    const char* rule;
    TRuleTarget target;
    const char* first;
    const char* value;
    const char* next;
    const char* nextValue;
};

const TNextSave kNextSaves[] = {
    {"a label after the row's number is no value", kProperty,
     "<tr><td>1</td><td>IP-Adresse</td><td>84.1.2.3</td></tr><tr><td>2</td><td>DNS</td><td>9.9.9.9</td></tr>", "9.9.9.9",
     "<tr><td>1</td><td>Typ</td><td>PPPoE</td></tr><tr><td>2</td><td>IP-Adresse</td><td>84.1.2.4</td></tr>"
     "<tr><td>3</td><td>DNS</td><td>9.9.9.8</td></tr>",
     "9.9.9.8"},
    {"a label ending in a colon is one in any cell", kProperty,
     "<tr><td>Rate Up:</td><td>1024</td><td>Rate Down:</td><td>16000</td></tr>", "16000",
     "<tr><td>Mode:</td><td>VDSL2</td><td>Profile Down:</td><td>17a</td></tr>"
     "<tr><td>Rate Up:</td><td>1024</td><td>Rate Down:</td><td>15488</td></tr>",
     "15488"},
    {"a label is kept whole across a non-breaking space", kIp,
     "<tr><td>Downstream&nbsp;Rate:</td><td>16000&nbsp;kbps</td></tr>", "16000",
     "<tr><td>Max&nbsp;Rate:</td><td>18000&nbsp;kbps</td></tr><tr><td>Downstream&nbsp;Rate:</td><td>15488&nbsp;kbps"
     "</td></tr>",
     "15488"},
    {"a label is kept whole, not its tail", kProperty,
     "<tr><td>Firmware</td><td>1.2</td></tr><tr><td>System Up Time</td><td>3 days</td></tr>", "3 days",
     "<tr><td>Lease Time</td><td>60 min</td></tr><tr><td>System Up Time</td><td>4 days</td></tr>", "4 days"},
    {"a class that every row has is no label", kIp,
     "<tr><td class=\"title\">Rx Power</td><td class=\"data\">-19.65&nbsp;dBm</td></tr>"
     "<tr><td class=\"title\">Voltage</td><td class=\"data\">3.30&nbsp;V</td></tr>",
     "-19.65",
     "<tr><td class=\"title\">Tx Power</td><td class=\"data\">2.10&nbsp;dBm</td></tr>"
     "<tr><td class=\"title\">Rx Power</td><td class=\"data\">-17.96&nbsp;dBm</td></tr>",
     "-17.96"},
    {"attributes change from save to save", kIp,
     "<tr><td>Model</td><td>HX</td></tr><tr><td>WAN IP</td><td class=\"even\">84.1.2.3</td></tr>", "84.1.2.3",
     "<TR><TD>Model</TD><TD class=odd>HX</TD></TR><TR><TD>WAN IP</TD><TD class=even data-x=1>84.1.2.4</TD></TR>",
     "84.1.2.4"},
    {"a label may lose its colon", kIp,
     "<tr><td class=\"key\">WAN IP:</td><td class=\"val\">84.1.2.3</td></tr><tr><td class=\"key\">Gateway:</td>"
     "<td class=\"val\">84.1.0.1</td></tr>",
     "84.1.2.3",
     "<tr><td class=\"key\">WAN IP</td><td class=\"val\">84.1.9.9</td></tr><tr><td class=\"key\">Gateway</td>"
     "<td class=\"val\">84.1.0.1</td></tr>",
     "84.1.9.9"},
    {"the next save may drop a help link behind the label", kProperty,
     "<tr><th>SNR Margin<a href=\"help.htm#snr\"><img src=\"q.gif\"></a></th><td>6.1 dB</td></tr>", "6.1 dB",
     "<tr><th>Attenuation</th><td>19 dB</td></tr><tr><th>SNR Margin</th><td>5.8 dB</td></tr>", "5.8 dB"},
    {"a field's attributes may be quoted in the next save", kIp,
     "<LABEL>Gateway</LABEL><INPUT type=text name=gw value=\"10.0.0.1\" disabled=\"\">", "10.0.0.1",
     "<label>Gateway</label><input type=\"text\" name=\"gw\" value=\"10.0.0.2\" disabled>", "10.0.0.2"},
    {"rows may come between a column's heading and the value", kProperty,
     "<table><tr><th>Name</th><th>Address</th><th>VLAN</th></tr><tr><td>Internet</td><td>10.1.2.3</td><td>7</td></tr>"
     "<tr><td>Telefonie</td><td>10.1.9.3</td><td>8</td></tr></table>",
     "7",
     "<table><tr><th>Name</th><th>Address</th><th>VLAN</th></tr><tr><td>Verwaltung</td><td>10.2.0.9</td><td>2</td></tr>"
     "<tr><td>Internet</td><td>10.1.2.4</td><td>7</td></tr><tr><td>Telefonie</td><td>10.1.9.3</td><td>8</td></tr></table>",
     "7"},
    {"a new label may end like the old one", kIp, "<tr><td>IP Address</td><td>1.2.3.4</td></tr>", "1.2.3.4",
     "<tr><td>LAN IP Address</td><td>192.168.1.1</td></tr><tr><td>IP Address</td><td>1.2.3.5</td></tr>", "1.2.3.5"},
    {"a script function's first argument names the value", kIp,
     "<script>showRow('Firmware', '5.04');showRow('Internet IP', '93.1.4.17');</script>", "93.1.4.17",
     "<script>showRow('Firmware', '5.05');showRow('Profile', '17a');showRow('Internet IP', '93.1.8.6');</script>",
     "93.1.8.6"},
    {"the option selected is what a list shows", kProperty,
     "<select><option value=\"0\">DHCP</option><option value=\"1\" selected>PPPoE</option></select>", "PPPoE",
     "<select><option value=\"0\" selected>DHCP</option><option value=\"1\">PPPoE</option></select>", "DHCP"},
    {"a key of two letters is a label", kProperty, "{\"wan\":{\"ip\":\"10.1.2.3\",\"gw\":\"10.1.0.1\"}}", "10.1.2.3",
     "{\"wan\":{\"ipv6\":\"2a01::7\",\"ip\":\"10.1.2.4\"}}", "10.1.2.4"},
    {"letters beyond ASCII are written otherwise by the next save", kIp,
     "<tr><td>Lokale IP</td><td>192.168.1.1</td></tr><tr><td>\xD6" "ffentliche IP</td><td>1.2.3.4</td></tr>", "1.2.3.4",
     "<tr><td>Lokale IP</td><td>192.168.1.1</td></tr><tr><td>&Ouml;ffentliche IP</td><td>1.2.3.5</td></tr>", "1.2.3.5"},
    {"another value in a script's list is no marker", kIp,
     "<script>var status = ['connected', 'Heimnetz-Garten', '192.168.178.23', '-56'];</script>", "192.168.178.23",
     "<script>var status = ['connected', 'Heimnetz-Keller', '192.168.178.88', '-71'];</script>", "192.168.178.88"},
};

void PrintTo(const TNextSave& save, std::ostream* out)
{
    *out << save.rule;
}

class RuleFromOneSaveOfAPage : public ::testing::TestWithParam<TNextSave> {};

} // namespace

TEST_P(RuleFromOneSaveOfAPage, ReadsTheNextSave)
{
    const TNextSave& save = GetParam();
    EXPECT_EQ(ReadOnNextSave(save.first, save.value, save.next, save.target), ValueAsRulesSeeIt(save.nextValue));
}

INSTANTIATE_TEST_SUITE_P(PageStructures, RuleFromOneSaveOfAPage, ::testing::ValuesIn(kNextSaves));

TEST(RuleFromSeveralSaves, ReadsEachSavesValueOrSaysWhichSaveLacksIt)
{
    // Another row before the address in the second save.
    const std::string first = PreparePage("<b>x</b><b>84.1.2.3</b>");
    const std::string second = PreparePage("<i>x</i><b>y</b><b>x</b><b>62.1.1.1</b>");
    const TRuleProposal both = ProposeRuleForPages({{first, "84.1.2.3", {}}, {second, "62.1.1.1", {}}}, kIp);
    ASSERT_TRUE(both.found) << both.reason;
    EXPECT_EQ(both.results, (std::vector<std::string>{"84.1.2.3", "62.1.1.1"}));
    EXPECT_EQ(Apply(both, kIp, second), "62.1.1.1");
    const TRuleProposal missing = ProposeRuleForPages({{first, "84.1.2.3", {}}, {second, "1.1.1.1", {}}}, kIp);
    EXPECT_EQ(missing.reason.rfind("Seite 2: ", 0), 0u) << missing.reason;
    // Only a start text that is no label fits both: the search goes on to such.
    const std::string third = PreparePage("<b>y</b><i>0</i><b>x</b><b>y</b><i>22</i><b>91.6.7.8</b>");
    const std::string fourth = PreparePage("<b>x</b><b>y</b><i>1</i><b>84.1.2.3</b>");
    const TRuleProposal wide = ProposeRuleForPages({{fourth, "84.1.2.3", {}}, {third, "91.6.7.8", {}}}, kIp);
    EXPECT_EQ(wide.results, (std::vector<std::string>{"84.1.2.3", "91.6.7.8"})) << wide.reason;
}

TEST(RuleFromSeveralSaves, ValuesCommonBeginningWhereNothingBeforeThemReadsAll)
{
    // Another firmware writes no colons, end tags or quotes.
    const std::string first = PreparePage("<h1>Status</h1><table><tr><td>Serial:</td><td class=\"v\">S4A9</td></tr>"
                                          "<tr><td>IP address:</td><td class=\"v\">178.24.3.90</td></tr></table>");
    const std::string second = PreparePage("<h1>Router</h1><table><tr><td class=k>Serial<td class=v>S4A9</tr>"
                                           "<tr><td class=k>IP address<td class=v>178.24.77.1</tr></table>");
    const TRuleProposal both = ProposeRuleForPages({{first, "178.24.3.90", {}}, {second, "178.24.77.1", {}}}, kIp);
    EXPECT_EQ(both.results, (std::vector<std::string>{"178.24.3.90", "178.24.77.1"})) << both.reason;
}

TEST(ValueAsRulesSeeIt, DropsSpacesAndLineBreaksAndTrims)
{
    EXPECT_EQ(ValueAsRulesSeeIt(" 0 Tage\t11:02:37\r\n"), "0Tage11:02:37");
    EXPECT_EQ(ValueAsRulesSeeIt("\x01" "a\x02"), "a");
    EXPECT_EQ(ValueAsRulesSeeIt("  "), "");
}

TEST(FindValueInPage, SameLetterCaseFirstWithoutOverlap)
{
    EXPECT_EQ(FindValueInPage("AN an An", "an", 10).size(), 1u);
    EXPECT_EQ(FindValueInPage("AN An", "an", 10).size(), 2u);
    const std::vector<TValueSpan> places = FindValueInPage("aaaaa", "aa", 10);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[1].begin, 2u);
    EXPECT_EQ(FindValueInPage("aaaaa", "aa", 1).size(), 1u);
    EXPECT_TRUE(FindValueInPage("x\0aa"s, "aa", 10).empty());
}

TEST(FindValueInPage, AsABrowserShowsIt)
{
    const std::string page = PreparePage("<td>Verbunden &uuml;ber DSL</td><td>16000&nbsp;kbps</td><td>K\xC3\xBC" "che &amp; "
                                         "Flur</td><td>Gr&#246;&szlig;e</td>");
    for (const auto& [typed, written] : {std::pair{"Verbunden \xFC" "ber DSL", "Verbunden&uuml;berDSL"},
                                         {"16000 kbps", "16000&nbsp;kbps"}, {"K\xFC" "che & Flur", "K\xC3\xBC" "che&amp;Flur"},
                                         {"gr\xF6\xDF" "e", "Gr&#246;&szlig;e"}}) {
        const std::vector<TValueSpan> places = FindValueAsPageWritesIt(page, typed, 2);
        ASSERT_EQ(places.size(), 1u) << typed;
        EXPECT_EQ(page.substr(places[0].begin, places[0].end - places[0].begin), written);
    }
    // The rule reads what the page writes.
    EXPECT_EQ(ProposeRuleForValue(page, "16000 kbps", kIp).result, "16000&nbsp;kbps");
}

TEST(OfflineCode, TextOfTheOfflinePageThatTheOnlinePageLacks)
{
    const std::string online = PreparedFixture("dsl-status-a.htm");
    const std::string offline = PreparedFixture("dsl-status-offline.htm");
    const TOfflineCodeProposal dsl = ProposeOfflineCode(online, offline);
    ASSERT_TRUE(dsl.found) << dsl.reason;
    EXPECT_EQ(dsl.offlineCode, "getrennt");
    // It holds for the router's other online page too.
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = dsl.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, PreparedFixture("dsl-status-b.htm"), 1).offline);

    const TOfflineCodeProposal script =
        ProposeOfflineCode(PreparedFixture("js-status-a.htm"), PreparedFixture("js-status-offline.htm"));
    EXPECT_EQ(script.offlineCode, "Disconnected");
}

TEST(OfflineCode, TextNearTheAddressComesFirst)
{
    // Offline, the telephone line reads "nein" too, far from the address.
    const std::string online = PreparedFixture("overview-a.htm");
    const std::string offline = PreparedFixture("overview-offline.htm");
    const TRuleProposal address = ProposeRuleForValue(online, "88.72.19.140", kIp);
    const TOfflineCodeProposal near = ProposeOfflineCode(online, offline, address.beforeIPAddress);
    EXPECT_EQ(near.offlineCode, "nichtverbunden");
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = near.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, PreparedFixture("overview-b.htm"), 1).offline);
    EXPECT_TRUE(ProposeOfflineCode(online, offline).found);
}

TEST(OfflineCode, VisibleWordBeforeMarkupBetweenTags)
{
    // Only the offline page ends its table right behind the address row:
    // text that close tags hold is new too, but a state word reads better.
    const std::string online = "<table><tr><td>WAN</td><td>Status</td><td>84.1.2.3</td></tr>"
                               "<inputtype=checkboxname=dhcpchecked></table>";
    const std::string offline = "<html><td>OFFLINE</td><table><tr><td>WAN</td><td>Status</td>"
                                "<td>0.0.0.0</td></tr></table>";
    const TRuleProposal address = ProposeRuleForValue(online, "84.1.2.3", kIp);
    ASSERT_TRUE(address.found) << address.reason;
    EXPECT_EQ(ProposeOfflineCode(online, offline, address.beforeIPAddress).offlineCode, "OFFLINE");
}

TEST(OfflineCode, SentenceThatTellsTheStateRatherThanACommonWord)
{
    const auto page = [](const char* state, const char* notice) {
        return PreparePage(std::string("<html><body>") + notice + "<table><tr><td>Status</td><td>" + state
                           + "</td></tr></table><p>Hilfe finden Sie im <a href=\"/manual.htm\">Handbuch</a>.</p>"
                             "</body></html>");
    };
    const std::string offline = page("---", "<p>Ihr Modem ist offline. Weitere Informationen finden Sie "
                                            "<a href=\"/help.htm\">hier</a>.</p>");
    const TOfflineCodeProposal proposal = ProposeOfflineCode(page("Online", ""), offline);
    ASSERT_TRUE(proposal.found) << proposal.reason;
    // The next online save shows a notice with a link "hier".
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = proposal.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, page("Online", "<p>Neue Firmware: klicken Sie <a href=\"/u.htm\">hier</a>.</p>"),
                                  1).offline)
        << proposal.offlineCode;
    EXPECT_TRUE(TestPreparedPage(entry, offline, 1).offline);
}

TEST(OfflineCode, NumbersAloneTellLessThanTheLabelBeforeThem)
{
    const auto page = [](const char* address, const char* time) {
        return PreparePage(std::string("<table><tr><td>WAN IP</td><td>") + address + "</td></tr><tr><td>DNS</td><td>"
                           + address + "</td></tr><tr><td>Time</td><td>" + time + "</td></tr></table>");
    };
    const TOfflineCodeProposal proposal = ProposeOfflineCode(page("62.1.4.9", "01:02:03"), page("0.0.0.0", "00:00:00"));
    ASSERT_TRUE(proposal.found) << proposal.reason;
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = proposal.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, page("62.1.4.10", "00:00:17"), 1).offline) << proposal.offlineCode;
}

TEST(OfflineCode, MissingFromEveryOnlineSave)
{
    const std::string offline = PreparePage("<td>getrennt</td><p>Internetverbindung unterbrochen</p>");
    const std::string online = PreparePage("<td>verbunden</td>");
    const std::string laterOnline = PreparePage("<td>verbunden</td><p>Internetverbindung unterbrochen: 0-mal</p>");
    const TOfflineCodeProposal proposal = ProposeOfflineCode({online, laterOnline}, offline);
    ASSERT_TRUE(proposal.found) << proposal.reason;
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = proposal.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, laterOnline, 1).offline) << proposal.offlineCode;
    EXPECT_TRUE(TestPreparedPage(entry, offline, 1).offline);
}

TEST(OfflineCode, PagesThatDifferInMarkupOrNotAtAll)
{
    // No word is new, but the offline page lacks the address between tags.
    const TOfflineCodeProposal empty =
        ProposeOfflineCode("<td>IP:</td><td>84.1.2.3</td>", "<td>IP:</td><td></td>");
    ASSERT_TRUE(empty.found) << empty.reason;
    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = empty.offlineCode;
    EXPECT_TRUE(TestPreparedPage(entry, "<td>IP:</td><td></td>", 1).offline) << empty.offlineCode;
    EXPECT_FALSE(TestPreparedPage(entry, "<td>IP:</td><td>84.1.2.3</td>", 1).offline) << empty.offlineCode;

    const TOfflineCodeProposal same = ProposeOfflineCode("<b>online</b>", "<B>ONLINE</B>");
    EXPECT_FALSE(same.found);
    EXPECT_NE(same.reason.find("keinen Text"), std::string::npos);
    EXPECT_FALSE(ProposeOfflineCode("<b>online</b>x", "online").found);
}

// Inputs on which the proposal fuzzer once failed.
TEST(RuleProposalFuzzRegressions, EveryStoredInputPassesTheChecks)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_DATA_DIR) / "proposal-fuzz-regressions";
    int replayed = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string input{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(CheckRuleProposalInput(input), "") << file.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
