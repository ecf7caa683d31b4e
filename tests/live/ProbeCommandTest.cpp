// routersdat probe as a program, against the fake router.
#include "ChildProcess.h"
#include "FakeRouter.h"
#include "RouterFile.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

using namespace fakerouter;
using namespace routertest;

namespace {

class ProbeCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRouterList list;
        list.Add("Fake Formular", std::make_unique<TRouterEntry>(FormRouter()));
        list.Add("Fake Basic", std::make_unique<TRouterEntry>(Router("Fake Basic", true, "basic/status.htm")));
        WriteBytes(file, SerializeRouterList(list));
        WriteBytes(passwordFile, kPasswordUtf8 + "\nnot the password\n");
        unsetenv("TARVELO_PASSWORD");
    }

    TProgramRun Probe(const std::string& router, std::vector<std::string> more = {})
    {
        std::vector<std::string> arguments = {"probe", file, "--router", router, "--address", Address(), "--user",
                                              kUser};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return RunProgram(ROUTERSDAT, arguments);
    }

    TempDir dir{"probe-"};
    const std::string file = dir / "Routers.dat";
    const std::string passwordFile = dir / "password";
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

// Each result is what "routersdat test" prints for the response saved.
TEST_F(ProbeCommand, ResultsEqualTheTestOfTheSavedResponses)
{
    const std::string saved = dir / "pages";
    const TProgramRun probe =
        Probe("Fake Formular", {"--password-file", passwordFile, "--json", "--explain", "--save-dir", saved});
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    const std::vector<std::string> names = {"01-login.htm",   "02-status.htm",  "03-status2.htm",
                                            "04-status3.htm", "05-status4.htm", "06-signoff.htm"};
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(saved))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, names);

    for (int n = 1; n <= 4; ++n) {
        const std::string page = names[std::size_t(n)];
        const TProgramRun test = RunProgram(ROUTERSDAT, {"test", file, saved + "/" + page, "--router", "Fake Formular",
                                                         "--status", std::to_string(n), "--json", "--explain"});
        ASSERT_EQ(test.exitCode, 0) << test.err;
        const std::string expected = "{\"status\": " + std::to_string(n) + ", \"page\": " + std::to_string(n) + ", "
                                     + test.out.substr(1, test.out.size() - 2);
        EXPECT_NE(probe.out.find(expected), std::string::npos) << "status " << n;
    }
    for (const std::string& text : {probe.out, probe.err})
        EXPECT_EQ(text.find("w\xC3\xB6rt"), std::string::npos);
}

TEST_F(ProbeCommand, ThePasswordComesFromTheEnvironmentNeverFromTheCommandLine)
{
    const TProgramRun refused = Probe("Fake Basic", {"--password", kPasswordUtf8});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("TARVELO_PASSWORD"), std::string::npos);
    EXPECT_EQ(refused.err.find("w\xC3\xB6rt"), std::string::npos);

    setenv("TARVELO_PASSWORD", kPasswordUtf8.c_str(), 1);
    const TProgramRun run = Probe("Fake Basic", {"--status", "1"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out).at(3), "192.0.2.7");
}

TEST_F(ProbeCommand, AFailureExitsWithItsReason)
{
    const TProgramRun run = Probe("Fake Basic", {"--password-file", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("HTTP 401"), std::string::npos) << run.err;
}
