#include "MarkerSearchCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

// Inputs on which the marker-search fuzzer once failed.
TEST(MarkerSearchFuzzRegressions, EveryStoredInputPassesTheChecks)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_DATA_DIR) / "fuzz-regressions";
    int replayed = 0;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string input{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(CheckMarkerSearchInput(input), "") << file.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
