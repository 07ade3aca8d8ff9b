#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace platform {

LocalDateTime LocalNow()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    auto millisecond = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;

    std::tm local{};
    localtime_r(&seconds, &local);
    LocalDateTime result;
    result.Year = local.tm_year + 1900;
    result.Month = local.tm_mon + 1;
    result.Day = local.tm_mday;
    result.Hour = local.tm_hour;
    result.Minute = local.tm_min;
    // A leap second reads as the last ordinary second of its minute.
    result.Second = local.tm_sec > 59 ? 59 : local.tm_sec;
    result.Millisecond = static_cast<int>(millisecond < 0 ? millisecond + 1000 : millisecond);
    return result;
}

} // namespace platform
