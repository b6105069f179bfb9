#include "clock.h"

#include <ctime>
#include <mutex>
#include <utility>

namespace kolvaro {

namespace {

std::mutex clockMutex;
std::function<ClockReading()> clockOverride;

ClockReading SystemReading() {
    using namespace std::chrono;
    const auto utc = floor<seconds>(system_clock::now());
    const std::time_t t = system_clock::to_time_t(utc);
    std::tm parts{};
    localtime_r(&t, &parts);
    const local_days day{year{parts.tm_year + 1900} / month(parts.tm_mon + 1) /
                         std::chrono::day(parts.tm_mday)};
    // A leap second (tm_sec 60) is counted as the last second of the minute.
    const int second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    return {day + hours{parts.tm_hour} + minutes{parts.tm_min} + seconds{second}, utc};
}

}  // namespace

ClockReading Now() {
    std::function<ClockReading()> clock;
    {
        std::lock_guard lock(clockMutex);
        clock = clockOverride;
    }
    return clock ? clock() : SystemReading();
}

void SetClock(std::function<ClockReading()> clock) {
    std::lock_guard lock(clockMutex);
    clockOverride = std::move(clock);
}

ClockReading FixedReading(int year, unsigned month, unsigned day, int hour, int minute,
                          int second) {
    using namespace std::chrono;
    const local_seconds local =
        local_days{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}} +
        hours{hour} + minutes{minute} + seconds{second};
    return {local, sys_seconds{local.time_since_epoch()}};
}

}  // namespace kolvaro
