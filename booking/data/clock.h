#pragma once

// The one seam through which the program reads the system clock: today's date,
// the time of day, and the calendar time that seeds the booking generator.
// Tests set it; the program itself never does.

#include <chrono>
#include <functional>

namespace kolvaro {

struct ClockReading {
    std::chrono::local_seconds local;  // wall-clock date and time in the user's time zone
    std::chrono::sys_seconds utc;      // calendar time, whole seconds
};

ClockReading Now();

// Replaces the system clock until called again with an empty function.
void SetClock(std::function<ClockReading()> clock);

// A fixed reading for tests: the local time given, UTC taken as the same instant.
ClockReading FixedReading(int year, unsigned month, unsigned day, int hour = 0, int minute = 0,
                          int second = 0);

}  // namespace kolvaro
