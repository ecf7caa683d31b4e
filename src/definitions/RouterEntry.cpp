#include "RouterEntry.h"

#include <chrono>
#include <ctime>

TRouterEntry NewRouterEntry()
{
    TRouterEntry entry;
    entry.ReservedFlag = 1;
    return entry;
}

namespace {

std::tm LocalTime(std::time_t seconds)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

} // namespace

double CurrentDateTime()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::tm local = LocalTime(system_clock::to_time_t(now));
    const sys_days localDay =
        year(local.tm_year + 1900) / month(unsigned(local.tm_mon + 1)) / unsigned(local.tm_mday);
    constexpr sys_days kDayZero = year(1899) / December / 30;
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const double secondOfDay =
        local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + double(millis) / 1000.0;
    return double((localDay - kDayZero).count()) + secondOfDay / 86400.0;
}
