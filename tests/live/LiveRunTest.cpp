#include "FakeRouter.h"
#include "LiveTest.h"
#include "PageEvaluation.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <netdb.h>

#include <chrono>
#include <future>
#include <thread>

using namespace fakerouter;

// Names under "slow.invalid" take 30 s to resolve, as behind a name server
// that does not answer; every other name resolves as usual.
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result) noexcept
{
    using TResolve = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto resolve = reinterpret_cast<TResolve>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (node && std::string_view(node).ends_with(".slow.invalid")) {
        std::this_thread::sleep_for(std::chrono::seconds(30));
        return EAI_AGAIN;
    }
    return resolve(node, service, hints, result);
}

namespace {

TLiveTestReport RunAgainstFake(const TRouterEntry& entry, TLiveLimits limits = {}, const std::string& listener = "http",
                    const TCredentials& credentials = {kUser, kPassword}, std::vector<int> queries = {1})
{
    TLiveCancel cancel;
    const std::string scheme = listener == "tls" ? "https://" : "";
    return RunLiveTest(entry, {scheme + Address(listener), credentials, queries, TLiveAction::None, limits}, cancel);
}

void ExpectNoSecret(const TLiveTestReport& report)
{
    for (const auto& exchange : report.requests) {
        std::string shown = exchange->shownUrl + exchange->message;
        for (const std::string& hop : exchange->redirects)
            shown += hop;
        for (const char* secret : {"p&ss", "p%26ss", "w\xF6rt", "wört", "w%F6rt"})
            EXPECT_EQ(shown.find(secret), std::string::npos) << shown;
    }
}

} // namespace

TEST(LiveRun, LogsInByHttpAuthenticationOrFormAndReadsEveryQuery)
{
    // The last sends its page compressed unasked; it is read unpacked.
    for (const TRouterEntry& entry : {Router("Basic", true, "basic/status.htm"),
                                      Router("Digest", true, "digest/status.htm"), FormRouter(),
                                      Router("Gzip", true, "gzip")}) {
        const TLiveTestReport report = RunAgainstFake(entry, {}, "http", {kUser, kPassword}, {1, 2, 3, 4});
        ASSERT_TRUE(report.Succeeded()) << entry.RouterVendor << ": " << report.message;
        ASSERT_EQ(report.results.size(), 4u);
        EXPECT_EQ(report.results[0].test->Result().ipAddress, "192.0.2.7");
        ExpectNoSecret(report);
    }
    const TLiveTestReport form = RunAgainstFake(FormRouter(), {}, "http", {kUser, kPassword}, {1, 2, 3, 4});
    EXPECT_EQ(form.requests.size(), 6u); // login, status, three extra pages, sign-off
    EXPECT_EQ(form.requests[0]->redirects.size(), 1u);
    EXPECT_EQ(form.results[3].page, 4);
    EXPECT_EQ(form.results[3].test->Result().values.ValueAt(0), "aktiv");
}

TEST(LiveRun, AWrongPasswordStopsTheTestWithTheHttpStatus)
{
    const TLiveTestReport report =
        RunAgainstFake(Router("Basic", true, "basic/status.htm"), {}, "http", {kUser, "falsch"});
    EXPECT_EQ(report.failure, TLiveFailure::WrongPassword);
    EXPECT_NE(report.message.find("401"), std::string::npos);
    EXPECT_TRUE(report.results.empty());
}

TEST(LiveRun, EachFailureIsToldApartAndNothingBeyondItIsSent)
{
    TLiveLimits quick;
    quick.readTimeoutMs = 500;
    TLiveLimits trusting;
    trusting.acceptAnyCertificate = true;
    const std::string otherHost = "http://127.0.0.2:" + std::to_string(Port("http")) + "/";
    struct TCase {
        std::string listener;
        std::string page;
        TLiveLimits limits;
        TLiveFailure expected;
    };
    const TCase cases[] = {
        {"closed", "", {}, TLiveFailure::Refused},
        {"notHttp", "", {}, TLiveFailure::NotHttp},
        {"http", "slow?s=5", quick, TLiveFailure::ReadTimeout},
        {"http", "huge", {}, TLiveFailure::TooLarge},
        {"http", "cut", {}, TLiveFailure::Interrupted},
        {"http", "elsewhere", {}, TLiveFailure::OtherHost},
        {"http", otherHost, {}, TLiveFailure::OtherHost},
        {"http", "loop", {}, TLiveFailure::TooManyRedirects},
        {"http", "nothing-here", {}, TLiveFailure::HttpStatus},
        {"tls", "form/login.htm", {}, TLiveFailure::Certificate},
        {"tls", "form/login.htm", trusting, TLiveFailure::None},
    };
    for (const TCase& test : cases) {
        TRouterEntry entry = Router("x", true, test.page);
        entry.SignOffURL = "form/logout.cgi";
        const TLiveTestReport report = RunAgainstFake(entry, test.limits, test.listener);
        EXPECT_EQ(report.failure, test.expected) << test.listener << " " << test.page << ": " << report.message;
        EXPECT_EQ(report.requests.size(), StopsTheTest(test.expected) ? 1u : 2u) << test.page;
        EXPECT_EQ(report.message.empty(), test.expected == TLiveFailure::None) << test.page;
    }
}

TEST(LiveRun, AFailureAfterARedirectNamesWhereItFailed)
{
    const std::string tls = "127.0.0.1:" + std::to_string(Port("tls"));
    const TLiveTestReport report = RunAgainstFake(Router("x", true, "bounce?to=https://" + tls + "/"));
    EXPECT_EQ(report.failure, TLiveFailure::Certificate);
    EXPECT_NE(report.message.find(tls), std::string::npos) << report.message;
    EXPECT_NE(report.message.find("selbst signiert"), std::string::npos) << report.message;
}

TEST(LiveRun, AUserNameWithALineBreakIsNeverPutIntoAHeader)
{
    const TLiveTestReport report =
        RunAgainstFake(Router("Digest", true, "digest/status.htm"), {}, "http", {"admin\r\nX-Injected: 1", kPassword});
    EXPECT_TRUE(report.requests.empty());
    EXPECT_FALSE(report.Succeeded());
    EXPECT_FALSE(report.message.empty());
}

TEST(LiveRun, ASecretInARedirectIsShownAsStars)
{
    const TLiveTestReport report =
        RunAgainstFake(Router("x", true, "bounce?to=form%2Flogin.htm%3Fpw%3D%PASSWORD%%26h%3DMD5PasswordU()"));
    ASSERT_EQ(report.requests.at(0)->redirects.size(), 1u);
    EXPECT_NE(report.requests[0]->redirects[0].find("pw=***&h=***"), std::string::npos)
        << report.requests[0]->redirects[0];
    ExpectNoSecret(report);
}

// While an answer is awaited, and while the router's name is looked up.
TEST(LiveRun, CancelEndsAWaitingRequestAtOnce)
{
    for (const auto& [address, page] : {std::pair{Address(), "slow?s=20"}, {"router.slow.invalid", "status.htm"}}) {
        TLiveCancel cancel;
        auto run = std::async(std::launch::async, [&] {
            return RunLiveTest(Router("x", true, page), {address, {kUser, kPassword}, {1}, {}, {}}, cancel);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel.Cancel();
        ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready) << address;
        EXPECT_EQ(run.get().failure, TLiveFailure::Cancelled);
    }
}
