#include "time_text.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <optional>

#include "calendar.h"
#include "clock.h"
#include "failure.h"

namespace kolvaro {

namespace {

constexpr const char* kIntegerMessage = "'%s' ist kein gültiger Integerwert";
constexpr const char* kTimeMessage = "'%s' ist keine gültige Zeit";
constexpr const char* kDateMessage = "'%s' ist kein gültiges Datum";

constexpr long long kMsPerDay = 86'400'000;

// Day 0 of a date value is 30 December 1899; 1 January 1970 is day 25569.
constexpr long long kUnixEpochDay = 25569;

// Reads the texts of times and dates: blanks, separators and runs of digits.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') {
            ++pos_;
        }
    }

    bool Take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool AtDigit() const { return pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; }

    // A run of decimal digits; values beyond any limit that a caller checks are
    // held at a ceiling so that a long run cannot overflow.
    std::optional<long long> Number() {
        if (!AtDigit()) {
            return std::nullopt;
        }
        long long value = 0;
        while (AtDigit()) {
            if (value < 100'000'000'000LL) {
                value = value * 10 + (text_[pos_] - '0');
            }
            ++pos_;
        }
        return value;
    }

    bool AtEnd() const { return pos_ == text_.size(); }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::chrono::sys_days SysDaysOf(long long serial) {
    return std::chrono::sys_days{std::chrono::days{serial - kUnixEpochDay}};
}

long long SerialOf(std::chrono::sys_days day) {
    return day.time_since_epoch().count() + kUnixEpochDay;
}

// The whole days of a value, truncated toward zero as the date part of a
// date-time value is.
long long DayNumber(DateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e9) {
        Fail(kDateMessage, std::to_string(value));
    }
    return static_cast<long long>(std::trunc(value));
}

std::chrono::year_month_day CalendarOf(DateTime value) {
    const std::chrono::year_month_day ymd{SysDaysOf(DayNumber(value))};
    if (static_cast<int>(ymd.year()) < 1 || static_cast<int>(ymd.year()) > 9999) {
        Fail(kDateMessage, std::to_string(value));
    }
    return ymd;
}

std::chrono::year_month_day Today() {
    return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(Now().local)};
}

}  // namespace

int StrToInt(std::string_view text) {
    Scanner scan(text);
    scan.SkipBlanks();
    bool negative = false;
    if (scan.Take('-')) {
        negative = true;
    } else {
        scan.Take('+');
    }
    const auto digits = scan.Number();
    if (!digits || !scan.AtEnd()) {
        Fail(kIntegerMessage, text);
    }
    const long long value = negative ? -*digits : *digits;
    if (value < INT_MIN || value > INT_MAX) {
        Fail(kIntegerMessage, text);
    }
    return static_cast<int>(value);
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

DateTime StrToTime(std::string_view text) {
    Scanner scan(text);
    long long parts[3] = {0, 0, 0};
    int count = 0;
    for (; count < 3; ++count) {
        if (count > 0) {
            scan.SkipBlanks();
            if (!scan.Take(':')) {
                break;
            }
        }
        scan.SkipBlanks();
        const auto number = scan.Number();
        if (!number) {
            Fail(kTimeMessage, text);
        }
        parts[count] = *number;
    }
    scan.SkipBlanks();
    if (!scan.AtEnd() || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        Fail(kTimeMessage, text);
    }
    return static_cast<double>(parts[0] * 3600 + parts[1] * 60 + parts[2]) / 86400.0;
}

std::string TimeToStr(DateTime value) {
    double ms = std::round(std::fabs(value) * static_cast<double>(kMsPerDay));
    ms = std::isfinite(ms) ? std::fmod(ms, static_cast<double>(kMsPerDay)) : 0.0;
    const long long whole = static_cast<long long>(ms);
    const long long seconds = whole / 1000;
    return ZeroPad(seconds / 3600, 2) + ":" + ZeroPad(seconds / 60 % 60, 2) + ":" +
           ZeroPad(seconds % 60, 2);
}

DateTime StrToDate(std::string_view text) {
    Scanner scan(text);
    scan.SkipBlanks();
    const auto day = scan.Number();
    scan.SkipBlanks();
    if (!day || !scan.Take('.')) {
        Fail(kDateMessage, text);
    }
    scan.SkipBlanks();
    const auto month = scan.Number();
    if (!month) {
        Fail(kDateMessage, text);
    }
    scan.SkipBlanks();
    std::optional<long long> year;
    if (scan.Take('.')) {
        scan.SkipBlanks();
        year = scan.Number();
        if (year) {
            scan.SkipBlanks();
            scan.Take('.');  // a final "." after the year is allowed
            scan.SkipBlanks();
        }
    }
    if (!scan.AtEnd()) {
        Fail(kDateMessage, text);
    }
    const int currentYear = static_cast<int>(Today().year());
    long long y = year ? *year : currentYear;
    if (y < 100) {
        y += currentYear / 100 * 100;
    }
    if (y < 1 || y > 9999 || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
        Fail(kDateMessage, text);
    }
    const std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>(y)},
                                          std::chrono::month{static_cast<unsigned>(*month)},
                                          std::chrono::day{static_cast<unsigned>(*day)}};
    if (!ymd.ok()) {
        Fail(kDateMessage, text);
    }
    return static_cast<double>(SerialOf(std::chrono::sys_days{ymd}));
}

std::string DateToStr(DateTime value) {
    const auto ymd = CalendarOf(value);
    return ZeroPad(static_cast<unsigned>(ymd.day()), 2) + "." +
           ZeroPad(static_cast<unsigned>(ymd.month()), 2) + "." +
           ZeroPad(static_cast<int>(ymd.year()), 4);
}

int DayOfWeek(DateTime value) {
    return static_cast<int>(std::chrono::weekday{SysDaysOf(DayNumber(value))}.c_encoding()) + 1;
}

DateTime Date() {
    return static_cast<double>(SerialOf(std::chrono::sys_days{Today()}));
}

DateTime Time() {
    const auto local = Now().local;
    const auto sinceMidnight = local - std::chrono::floor<std::chrono::days>(local);
    return static_cast<double>(sinceMidnight.count()) / 86400.0;
}

std::string ZeroPad(std::string_view text, std::size_t width) {
    std::string padded(text);
    if (padded.size() < width) {
        padded.insert(0, width - padded.size(), '0');
    }
    return padded;
}

std::string ZeroPad(long long value, std::size_t width) {
    return ZeroPad(IntToStr(value), width);
}

int TimeToMinutes(std::string_view text) {
    // The hours are all but the last three characters, the minutes the last
    // two; the separator between them is not looked at.
    const std::string_view hours = text.size() >= 3 ? text.substr(0, text.size() - 3) : "";
    const long long h = StrToInt(hours);
    const long long m = StrToInt(text.size() >= 2 ? text.substr(text.size() - 2) : text);
    const long long total = h * 60 + m;
    if (total < INT_MIN || total > INT_MAX) {
        Fail(kIntegerMessage, text);
    }
    return static_cast<int>(total);
}

std::string MinutesToTime(int minutes) {
    // Only totals of zero or more reach here; a negative one is still written
    // readably, with the sign in front.
    const long long m = minutes;
    const long long magnitude = m < 0 ? -m : m;
    return std::string(m < 0 ? "-" : "") + IntToStr(magnitude / 60) + ":" +
           ZeroPad(magnitude % 60, 2);
}

std::string WeekdayOf(std::string_view date) {
    return WeekdayName(DayOfWeek(StrToDate(date)));
}

int DaysBetween(std::string_view from, std::string_view to) {
    return static_cast<int>(StrToDate(to) - StrToDate(from));
}

std::string AddDays(std::string_view date, int days) {
    return DateToStr(StrToDate(date) + days);
}

std::string DateText(int day, int month, int year) {
    return ZeroPad(day, 2) + "." + ZeroPad(month, 2) + "." + IntToStr(year);
}

std::string TodayText() {
    return DateToStr(Date());
}

}  // namespace kolvaro
