#pragma once

// The text forms of times and dates (German regional settings) and every
// conversion between them. Times and dates are kept as day counts in a double,
// day 0 being 30 December 1899, exactly as the original Windows program did.

#include <string>
#include <string_view>

namespace kolvaro {

using DateTime = double;  // days; 1 hour = 1/24

int StrToInt(std::string_view text);  // "'%s' ist kein gültiger Integerwert"
std::string IntToStr(long long value);
DateTime StrToTime(std::string_view text);  // "'%s' ist keine gültige Zeit"
std::string TimeToStr(DateTime value);      // HH:MM:SS of the absolute value, whole days dropped
DateTime StrToDate(std::string_view text);  // "'%s' ist kein gültiges Datum"
std::string DateToStr(DateTime value);      // DD.MM.YYYY
int DayOfWeek(DateTime value);              // 1 = Sunday … 7 = Saturday
DateTime Date();                            // today, through the clock seam
DateTime Time();                            // now as a time of day, through the clock seam

// Text put in front with "0" until it has `width` characters; longer texts stay.
std::string ZeroPad(std::string_view text, std::size_t width);
std::string ZeroPad(long long value, std::size_t width);

int TimeToMinutes(std::string_view text);      // "07:45" -> 465, "168:05" -> 10085
std::string MinutesToTime(int minutes);        // 465 -> "7:45"
std::string WeekdayOf(std::string_view date);  // "So", "Mo", … "Sa"

// Date arithmetic on date texts.
int DaysBetween(std::string_view from, std::string_view to);  // whole days, negative when to < from
std::string AddDays(std::string_view date, int days);
std::string DateText(int day, int month, int year);  // DD.MM. + year as it is
std::string TodayText();

}  // namespace kolvaro
