#include "RouterFile.h"
#include "ToolTestUtil.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace tooltest;

namespace {

TRun Suggest(const QStringList& arguments)
{
    return RunTool(QStringList{QStringLiteral("suggest")} + arguments);
}

QString Page(const char* name)
{
    return QStringLiteral(PAGES_DIR "/") + QString::fromLatin1(name);
}

QStringList JsonKeys(const std::string& out)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object().keys();
}

QString JsonField(const std::string& out, const char* key)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object().value(QLatin1String(key)).toString();
}

class SuggestCommandTest : public ToolTest {};

} // namespace

TEST_F(SuggestCommandTest, JsonHoldsTheRecordsFieldNames)
{
    const TRun ip = Suggest({Page("dsl-status-a.htm"), "--value", "84.151.23.7", "--json"});
    EXPECT_EQ(ip.exitCode, 0) << ip.err;
    EXPECT_EQ(JsonKeys(ip.out), (QStringList{"AfterIPAddress", "BeforeIPAddress"})) << ip.out;
    EXPECT_EQ(JsonField(ip.out, "AfterIPAddress"), "<");

    const TRun offline = Suggest({Page("dsl-status-a.htm"), "--value", "84.151.23.7", "--for", "ip", "--offline-page",
                                  Page("dsl-status-offline.htm"), "--json"});
    EXPECT_EQ(JsonKeys(offline.out), (QStringList{"AfterIPAddress", "BeforeIPAddress", "OfflineCode"}));
    EXPECT_EQ(JsonField(offline.out, "OfflineCode"), "getrennt");

    Write("script.htm", "<script>var fw = \"1.2.3\";</script>");
    const TRun property = Suggest({Path("script.htm"), "--value", "1.2.3", "--for", "property", "--json"});
    EXPECT_EQ(property.out, "{\"code\": \"varfw=\\\"\"}\n");
}

TEST_F(SuggestCommandTest, PrintsOneFieldPerLineInUtf8)
{
    Write("kueche.htm", "<tr><td>Ger\xE4tename:</td>\r\n<td>K\xFC" "che 2</td></tr>");
    const TRun run = Suggest({Path("kueche.htm"), "--value", "K\xC3\xBC" "che 2", "--for", "property"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "code: >Ger\xC3\xA4tename:</td><td>\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(SuggestCommandTest, ValueTypedAsABrowserShowsItIsReadAsThePageWritesIt)
{
    Write("refs.htm", "<tr><td>Rate</td><td>16000&nbsp;kbps</td></tr><tr><td>Zustand</td><td>&Uuml;ber DSL</td></tr>");
    const TRun rate = Suggest({Path("refs.htm"), "--value", "16000 kbps", "--also", Path("refs.htm"), "--value2",
                               "16000 kbps"});
    EXPECT_EQ(rate.exitCode, 0) << rate.err;
    EXPECT_NE(rate.err.find("\xE2\x80\x9E" "16000&nbsp;kbps"), std::string::npos) << rate.err;
    // A property ends at the ";" of the reference, which the reason shows.
    const TRun state = Suggest({Path("refs.htm"), "--value", "\xC3\x9C" "ber DSL", "--for", "property"});
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_NE(state.err.find("&Uuml"), std::string::npos) << state.err;
}

TEST_F(SuggestCommandTest, ValueTypedInUtf8IsFoundInAPageSavedInUtf8)
{
    Write("utf8.htm", "<tr><th>Ger\xC3\xA4t</th><td>K\xC3\xBC" "che</td></tr><tr><th>DSL</th><td>\xE2\x86\x93 100</td></tr>");
    const TRun name = Suggest({Path("utf8.htm"), "--value", "K\xC3\xBC" "che", "--for", "property"});
    EXPECT_EQ(name.out, "code: >Ger\xC3\x83\xC2\xA4t</th><td>\n") << name.err; // the page's bytes, read as Windows-1252
    const TRun arrow = Suggest({Path("utf8.htm"), "--value", "\xE2\x86\x93 100", "--for", "property"});
    EXPECT_EQ(arrow.exitCode, 0) << arrow.err;
}

// As a user would: propose the rules on one saved page, save them in a
// definition, and test that definition on a page saved at another time.
TEST_F(SuggestCommandTest, ProposedRulesReadTheOtherPageOfTheSameRouter)
{
    const TRun address = Suggest({Page("json-status-a.json"), "--value", "84.57.12.201", "--json"});
    const TRun gateway = Suggest({Page("json-status-a.json"), "--value", "84.57.0.1", "--for", "property", "--json"});
    ASSERT_EQ(address.exitCode, 0) << address.err;
    ASSERT_EQ(gateway.exitCode, 0) << gateway.err;

    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = "Box";
    entry->BeforeIPAddress = JsonField(address.out, "BeforeIPAddress").toStdString();
    entry->AfterIPAddress = JsonField(address.out, "AfterIPAddress").toStdString();
    entry->Status2Values.Add("Gateway=" + JsonField(gateway.out, "code").toStdString());
    TRouterList list;
    list.Add("Box", std::move(entry));
    Write("Routers.dat", SerializeRouterList(list));

    const QString other = Page("json-status-b.json");
    EXPECT_EQ(RunTool({"test", Path("Routers.dat"), other, "--router", "Box"}).out, "ONLINE\n31.18.240.9\n");
    EXPECT_EQ(RunTool({"test", Path("Routers.dat"), other, "--router", "Box", "--status", "2"}).out,
              "Gateway: 31.18.240.1\n");
}

TEST_F(SuggestCommandTest, ValueThatOccursMoreThanOnce)
{
    Write("dns.htm", "<td>DNS</td><td>9.9.9.9</td><td>9.9.9.9</td>");
    const TRun first = Suggest({Path("dns.htm"), "--value", "9.9.9.9"});
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "BeforeIPAddress: >DNS</td><td>\nAfterIPAddress: <\n");
    EXPECT_NE(first.err.find("steht 2 Mal"), std::string::npos) << first.err;

    const TRun second = Suggest({Path("dns.htm"), "--value", "9.9.9.9", "--occurrence", "2", "--json"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(JsonField(second.out, "BeforeIPAddress").startsWith('{')) << second.out;

    const TRun third = Suggest({Path("dns.htm"), "--value", "9.9.9.9", "--occurrence", "3"});
    EXPECT_EQ(third.exitCode, 1);
    EXPECT_NE(third.err.find("nur 2 Mal"), std::string::npos) << third.err;
}

TEST_F(SuggestCommandTest, ExitsWithAMessageWhenThereIsNoRule)
{
    const QString page = Page("dsl-status-a.htm");
    const auto refuses = [](const TRun& run, const std::string& message) {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    };
    refuses(Suggest({page, "--value", "1.2.3.4"}), "kommt in der Seite nicht vor");
    refuses(Suggest({page, "--value", "16000", "--for", "property"}), "\xE2\x80\x9E" "16000kbit/s\xE2\x80\x9C");
    refuses(Suggest({page, "--value", "84.151.23.7", "--offline-page", page}), "keinen Text");
    refuses(Suggest({page, "--value", "\xE2\x9C\x93"}), "Windows-1252");
    refuses(Suggest({page}), "--value");
    refuses(Suggest({page, "--value", "verbunden", "--for", "status"}), "--for");
    refuses(Suggest({page, "--value", "verbunden", "--occurrence", "0"}), "--occurrence");
    refuses(Suggest({Path("fehlt.htm"), "--value", "x"}), "kann nicht ge\xC3\xB6" "ffnet werden");

    Write("end.htm", "<td>IP:</td><td>84.1.2.3");
    refuses(Suggest({Path("end.htm"), "--value", "84.1.2.3"}), "Hinter dem Wert");
    EXPECT_EQ(Suggest({Path("end.htm"), "--value", "84.1.2.3", "--for", "property"}).out, "code: </td><td>\n");
}

// Saved after a reconnect, the page shows other values: the rule must read both.
TEST_F(SuggestCommandTest, TwoSavesGiveARuleThatReadsBoth)
{
    const TRun both = Suggest({Page("cable-channels-a.htm"), "--value", "39.8 dB", "--for", "property", "--also",
                               Page("cable-channels-b.htm"), "--value2", "39.5 dB"});
    EXPECT_EQ(both.exitCode, 0) << both.err;
    EXPECT_NE(both.err.find("Seite 1 \xE2\x80\x9E" "39.8dB\xE2\x80\x9C, Seite 2 \xE2\x80\x9E" "39.5dB"),
              std::string::npos) << both.err;

    // The first page has the address second, the other first: no count reads both.
    Write("a.htm", "<b>x</b><b>84.1.2.3</b>");
    Write("b.htm", "<b>91.6.7.8</b><b>x</b>");
    const TRun none = Suggest({Path("a.htm"), "--value", "84.1.2.3", "--also", Path("b.htm"), "--value2", "91.6.7.8"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("auf allen Seiten"), std::string::npos) << none.err;
    EXPECT_EQ(Suggest({Path("a.htm"), "--value", "84.1.2.3", "--also", Path("b.htm")}).exitCode, 1);
}
