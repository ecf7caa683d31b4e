#include "RouterEntry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

// Sets TZ for the test's time and restores it afterwards.
class TimeZoneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            m_saved = tz;
    }
    void TearDown() override { SetTimeZone(m_saved ? m_saved->c_str() : nullptr); }

    static void SetTimeZone(const char* tz)
    {
#ifdef _WIN32
        _putenv_s("TZ", tz ? tz : "");
        _tzset();
#else
        if (tz)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }

    // CurrentDateTime() with the days of the given offset to UTC taken off,
    // checked to lie within the second in which it was taken.
    static void ExpectNowAtOffset(double offsetDays)
    {
        const std::time_t before = std::time(nullptr);
        const double now = CurrentDateTime() - offsetDays;
        const std::time_t after = std::time(nullptr) + 1;
        constexpr double kUnixEpochDay = 25569.0;
        EXPECT_GE(now, kUnixEpochDay + double(before) / 86400.0);
        EXPECT_LE(now, kUnixEpochDay + double(after) / 86400.0);
    }

private:
    std::optional<std::string> m_saved;
};

} // namespace

TEST_F(TimeZoneTest, CurrentDateTimeCountsLocalDaysSinceTheEndOf1899)
{
    SetTimeZone("UTC0");
    ExpectNowAtOffset(0);
    SetTimeZone("IST-5:30"); // half an hour counts too
    ExpectNowAtOffset(5.5 / 24);
    SetTimeZone("XYZ+10");
    ExpectNowAtOffset(-10.0 / 24);
}
