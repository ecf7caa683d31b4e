#include "RouterEntry.h"

#include "FileSystem.h"

#include <chrono>

TRouterEntry NewRouterEntry()
{
    TRouterEntry entry;
    entry.ReservedFlag = 1;
    return entry;
}

double CurrentDateTime()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::int64_t seconds = duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    // Day 0 of the date-time is 30 December 1899, 25569 days before 1970.
    constexpr double kUnixEpochDay = 25569.0;
    const double localSeconds = double(seconds) + double(LocalTimeOffset(seconds)) + double(millis) / 1000.0;
    return kUnixEpochDay + localSeconds / 86400.0;
}
