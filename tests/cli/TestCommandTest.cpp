#include "RouterFile.h"
#include "ToolTestUtil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tooltest;

namespace {

TRun RunTest(const QStringList& arguments)
{
    return RunTool(QStringList{QStringLiteral("test")} + arguments);
}

std::unique_ptr<TRouterEntry> Router(const std::string& name, const std::string& before)
{
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = name;
    entry->OfflineCode = "getrennt";
    entry->BeforeIPAddress = before;
    entry->AfterIPAddress = "</td>";
    entry->Status2Values.Add("Firmware=Version:");
    entry->Status2Values.Add("Gr\xF6\xDF" "e=Gr\xF6\xDF" "e:");
    entry->Status2Values.Add("Fehlt=<nirgends>");
    return entry;
}

// Three routers: two read the page below, one looks for another marker.
class TestCommandTest : public ToolTest {
protected:
    void SetUp() override
    {
        TRouterList list;
        list.Add("zeta", Router("zeta", "WAN-IP:</td><td>"));
        list.Add("Alpha", Router("Alpha", "IP:<td>"));
        list.Add("mid", Router("mid", "DNS:<td>"));
        Write("Routers.dat", SerializeRouterList(list));
        WritePage("online.htm", "<tr>\r\n <td>WAN-IP:</td>\t<td> 84.1.2.3 </td>\nVersion: 1.14<br>"
                                "Gr\xF6\xDF" "e: 5\xB5m<");
        WritePage("offline.htm", "\0\0getrennt IP:<td>1.2.3.4</td>");
    }

    // The whole literal, NUL bytes included.
    template <std::size_t N>
    void WritePage(const char* name, const char (&bytes)[N]) { Write(name, std::string_view(bytes, N - 1)); }
};

} // namespace

TEST_F(TestCommandTest, Status1PrintsStateAndAddress)
{
    const TRun online = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "ZETA"});
    EXPECT_EQ(online.exitCode, 0) << online.err;
    EXPECT_EQ(online.out, "ONLINE\n84.1.2.3\n");

    const TRun offline = RunTest({Path("Routers.dat"), Path("offline.htm"), "--router", "alpha", "--json"});
    EXPECT_EQ(offline.exitCode, 0) << offline.err;
    EXPECT_EQ(offline.out, "{\"state\": \"OFFLINE\", \"ip\": \"\"}\n");

    const TRun noAddress = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "mid", "--status", "1"});
    EXPECT_EQ(noAddress.out, "ONLINE\n\n");
}

TEST_F(TestCommandTest, OtherStatusQueriesPrintTheValuesFoundInUtf8)
{
    const TRun plain = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--status", "2"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "Firmware: 1.14\nGr\xC3\xB6\xC3\x9F" "e: 5\xC2\xB5m\n");

    const TRun json = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--status", "2", "--json"});
    EXPECT_EQ(json.out, "{\"values\": [[\"Firmware\", \"1.14\"], [\"Gr\xC3\xB6\xC3\x9F" "e\", \"5\xC2\xB5m\"]]}\n");

    const TRun none = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--status", "3", "--json"});
    EXPECT_EQ(none.out, "{\"values\": []}\n");
}

TEST_F(TestCommandTest, WithoutRouterListsEveryOnlineRouterInSortedOrder)
{
    WritePage("both.htm", "IP:<td>10.0.0.1</td>WAN-IP:</td><td>84.1.2.3</td>");
    const TRun run = RunTest({Path("Routers.dat"), Path("both.htm")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Alpha\t10.0.0.1\nzeta\t84.1.2.3\n");
    EXPECT_EQ(RunTest({Path("Routers.dat"), Path("offline.htm")}).out, "");
    EXPECT_EQ(RunTest({Path("Routers.dat"), Path("both.htm"), "--json"}).out,
              "{\"online\": [[\"Alpha\", \"10.0.0.1\"], [\"zeta\", \"84.1.2.3\"]]}\n");
}

TEST_F(TestCommandTest, ReportsWhatItCannotDo)
{
    const TRun missingPage = RunTest({Path("Routers.dat"), Path("fehlt.htm"), "--router", "zeta"});
    EXPECT_EQ(missingPage.exitCode, 1);
    EXPECT_NE(missingPage.err.find("Datei " + Path("fehlt.htm").toStdString() + " kann nicht ge\xC3\xB6" "ffnet werden. "),
              std::string::npos) << missingPage.err;
    EXPECT_EQ(missingPage.out, "");

    const TRun unknown = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "omega"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("omega"), std::string::npos);

    EXPECT_EQ(RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--status", "5"}).exitCode, 1);
    EXPECT_EQ(RunTest({Path("Routers.dat"), Path("online.htm"), "--status", "2"}).exitCode, 1);

    EXPECT_EQ(RunTest({Path("none.dat"), Path("online.htm")}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(Path("none.dat")));
}

TEST_F(TestCommandTest, ExplainShowsWhereEachRuleMatched)
{
    // Prepared page: "<tr><td>WAN-IP:</td><td>84.1.2.3</td>Version:1.14<br>..."
    const TRun plain = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--explain"});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    const std::string quoteOpen = "\xE2\x80\x9E", quoteClose = "\xE2\x80\x9C";
    for (const std::string& line : {
             std::string("ONLINE\n84.1.2.3\n\nSeite, wie die Regeln sie sehen: 63 Bytes\n"),
             "Offline-Code: " + quoteOpen + "getrennt" + quoteClose + " nicht gefunden: die Seite gilt als ONLINE\n",
             "  ! 0+63  " + quoteOpen + "getrennt" + quoteClose + " nicht gefunden  [<tr><td>WAN-IP:",
             "IP-Adresse: Wert " + quoteOpen + "84.1.2.3" + quoteClose + "\n",
             "    8+16  " + quoteOpen + "WAN-IP:</td><td>" + quoteClose
                 + " gefunden, dahinter beginnt der Wert  <tr><td>[WAN-IP:</td><td>]84.1.2.3</td\xE2\x80\xA6\n",
             "    32+5  Ende an " + quoteOpen + "</td>" + quoteClose,
             "    24+8  Wert " + quoteOpen + "84.1.2.3" + quoteClose
                 + "  \xE2\x80\xA6" "IP:</td><td>[84.1.2.3]</td>Version\xE2\x80\xA6\n"})
        EXPECT_NE(plain.out.find(line), std::string::npos) << line << "\nin:\n" << plain.out;

    const TRun json = RunTest({Path("Routers.dat"), Path("online.htm"), "--router", "zeta", "--status", "2",
                               "--json", "--explain"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    EXPECT_EQ(root["values"].toArray().size(), 2);
    const QJsonObject trace = root["trace"].toObject();
    EXPECT_EQ(trace["pageSize"].toInt(), 63);
    const QJsonArray rules = trace["rules"].toArray();
    ASSERT_EQ(rules.size(), 3);
    const QJsonObject firmware = rules[0].toObject();
    EXPECT_EQ(firmware["name"].toString(), "Firmware");
    EXPECT_EQ(firmware["value"].toString(), "1.14");
    const QJsonObject marker = firmware["steps"].toArray()[0].toObject();
    EXPECT_EQ(marker["kind"].toString(), "marker");
    EXPECT_EQ(marker["offset"].toInt(), 37);
    EXPECT_EQ(marker["length"].toInt(), 8);
    const QJsonObject missing = rules[2].toObject();
    EXPECT_EQ(missing["failure"].toString(), "markerNotFound");
    EXPECT_EQ(missing["failedStep"].toInt(), 0);
    EXPECT_EQ(missing["value"].toString(), "");

    EXPECT_EQ(RunTest({Path("Routers.dat"), Path("online.htm"), "--explain"}).exitCode, 1);
}
