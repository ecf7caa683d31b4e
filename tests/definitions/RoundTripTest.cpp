// Every sample and every input that the fuzzer once found goes through the
// reader, the writer and the reader again.

#include "RoundTripCheck.h"
#include "RouterTestUtil.h"

#include <filesystem>

using namespace routertest;

namespace {

void CheckEveryFileIn(const std::string& dir)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(CheckRoundTrip(ReadBytes(entry.path().string())), "");
    }
    EXPECT_GT(files, 0) << "no files in " << dir;
}

} // namespace

TEST(RoundTrip, FuzzRegressions)
{
    CheckEveryFileIn(std::string(ROUTER_TEST_DATA_DIR) + "/fuzz-regressions");
}

TEST(RoundTrip, Samples)
{
    CheckEveryFileIn(SampleDir());
}
