#include "LiveRequest.h"
#include "LiveTest.h"
#include "RouterEntry.h"

#include <gtest/gtest.h>

namespace {

const TRouterAddress kRouter{"http", "192.168.0.1", 8080};

TRouterAddress Parsed(const std::string& text, int httpPort = 80)
{
    const auto address = ParseRouterAddress(text, httpPort);
    EXPECT_TRUE(std::holds_alternative<TRouterAddress>(address)) << text;
    return std::holds_alternative<TRouterAddress>(address) ? std::get<TRouterAddress>(address) : TRouterAddress{};
}

} // namespace

TEST(LiveRequest, PostSendsThePartBehindTheQuestionMarkAsFormWithPlaceholdersFilledIn)
{
    const TLiveRequest request = BuildLiveRequest(
        "login", "/<post>/cgi/login.cgi?u=%USERNAME%&p=%password%&l=MD5PasswordL()&U=MD5PasswordU()",
        kRouter, {"a b&c", "password"});
    EXPECT_TRUE(request.post);
    EXPECT_EQ(request.url, "http://192.168.0.1:8080/cgi/login.cgi");
    EXPECT_EQ(request.body, "u=a%20b%26c&p=password&l=5f4dcc3b5aa765d61d8327deb882cf99"
                            "&U=5F4DCC3B5AA765D61D8327DEB882CF99");
    EXPECT_EQ(request.shownBody, "u=a%20b%26c&p=***&l=***&U=***");
}

TEST(LiveRequest, GetKeepsItsQueryAndShowsThePasswordAsStars)
{
    const TLiveRequest request =
        BuildLiveRequest("status", "doc/st atus.htm?pw=%PASSWORD%", kRouter, {"admin", "\xE4?&="});
    EXPECT_FALSE(request.post);
    EXPECT_EQ(request.url, "http://192.168.0.1:8080/doc/st%20atus.htm?pw=%E4%3F%26%3D");
    EXPECT_EQ(request.shownUrl, "http://192.168.0.1:8080/doc/st%20atus.htm?pw=***");
    EXPECT_EQ(BuildLiveRequest("online", "http://example.org/", kRouter, {}).url, "http://example.org/");
}

TEST(RouterAddress, TakesSchemeAndPortAsTypedElseTheDefinitionsPort)
{
    EXPECT_EQ(Parsed("192.168.0.1", 8080).Base(), "http://192.168.0.1:8080/");
    EXPECT_EQ(Parsed("Router.local:81/", 8080).Base(), "http://Router.local:81/");
    EXPECT_EQ(Parsed("https://[fe80::1]", 80).Base(), "https://[fe80::1]:443/");
    EXPECT_EQ(Parsed("https://fritz.box", 8443).Base(), "https://fritz.box:8443/");
    for (const char* bad : {"", "ftp://router", "router/doc/m5.htm", "user:pw@router", "router:99999", "router:0"})
        EXPECT_TRUE(std::holds_alternative<std::string>(ParseRouterAddress(bad, 80))) << bad;
}

TEST(LivePlan, LoginFirstThenTheChosenActionTheStatusPagesAndSignOff)
{
    TRouterEntry entry = NewRouterEntry();
    entry.AuthString = "login.cgi";
    entry.StatusPage = "status.htm";
    entry.Status3Page = "wlan.htm";
    entry.SignOffURL = "logout.cgi";
    entry.GoOnline = "connect.cgi";
    entry.Status2Values.SetValue("a", "b");
    std::vector<std::string> names;
    std::vector<std::vector<int>> queries;
    for (const TPlannedRequest& request : PlanLiveTest(entry, {1, 2, 3, 4}, TLiveAction::GoOnline)) {
        names.push_back(request.name);
        queries.push_back(request.statusQueries);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"login", "online", "status", "status3", "signoff"}));
    EXPECT_EQ(queries, (std::vector<std::vector<int>>{{}, {}, {1, 2, 4}, {3}, {}}));
    EXPECT_EQ(DefaultStatusQueries(entry), (std::vector<int>{1, 2}));

    entry.BrowserAuth = 1; // HTTP authentication replaces the login request
    EXPECT_EQ(PlanLiveTest(entry, {3}, TLiveAction::None).front().name, "status3");
}
