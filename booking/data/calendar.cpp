#include "calendar.h"

#include <array>
#include <chrono>
#include <stdexcept>

#include "clock.h"

namespace kolvaro {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "Januar", "Februar", "März",      "April",   "Mai",      "Juni",
    "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

constexpr std::array<const char*, 7> kWeekdayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};

std::chrono::month MonthOf(int month) {
    if (month < 1 || month > 12) {
        throw std::invalid_argument("month out of range");
    }
    return std::chrono::month{static_cast<unsigned>(month)};
}

}  // namespace

const char* MonthName(int month) {
    return kMonthNames[static_cast<unsigned>(MonthOf(month)) - 1];
}

const char* WeekdayName(int weekday) {
    if (weekday < 1 || weekday > 7) {
        throw std::invalid_argument("weekday out of range");
    }
    return kWeekdayNames[static_cast<std::size_t>(weekday - 1)];
}

int DaysInMonth(int month, int year) {
    const std::chrono::year_month_day_last last{std::chrono::year{year} / MonthOf(month) /
                                                std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

int FirstWeekday(int month, int year) {
    const std::chrono::sys_days first{std::chrono::year{year} / MonthOf(month) / 1};
    return static_cast<int>(std::chrono::weekday{first}.c_encoding()) + 1;
}

CalendarMonth CurrentMonth() {
    const std::chrono::year_month_day today{std::chrono::floor<std::chrono::days>(Now().local)};
    return {static_cast<int>(static_cast<unsigned>(today.month())), static_cast<int>(today.year())};
}

}  // namespace kolvaro
