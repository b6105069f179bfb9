#include "bookings/generator.h"

#include <algorithm>
#include <iterator>

#include "data/failure.h"
#include "data/time_text.h"

namespace kolvaro {

namespace {

constexpr std::array<std::string_view, 7> kWeekdayOrder = {"Mo", "Di", "Mi", "Do",
                                                           "Fr", "Sa", "So"};

bool IsWorkingDay(const std::array<bool, 7>& workingDays, std::string_view weekday) {
    auto found = std::find(kWeekdayOrder.begin(), kWeekdayOrder.end(), weekday);
    return found != kWeekdayOrder.end() && workingDays[std::distance(kWeekdayOrder.begin(), found)];
}

}  // namespace

std::string DrawBookingTime(std::string_view von, std::string_view bis, RandomSource& source) {
    const DateTime from = StrToTime(von);
    const DateTime to = StrToTime(bis);
    // A window whose latest time lies before its earliest one runs past
    // midnight, as a night shift from 22:00 to 06:00 does: it ends on the
    // next day.
    const DateTime span = to < from ? to - from + 1.0 : to - from;
    const int length = TimeToMinutes(TimeToStr(span).substr(0, 5));
    const auto offset = DrawBelow(source, static_cast<std::uint32_t>(length));
    // The text of a time drops whole days: past midnight it starts at 00:00.
    return TimeToStr(from + StrToTime(MinutesToTime(static_cast<int>(offset)))).substr(0, 5);
}

GenerationResult GeneratePeriod(const std::array<bool, 7>& workingDays,
                                const std::array<BookingWindow, 4>& windows,
                                const std::vector<std::string>& weekdays, RandomSource& source,
                                const std::vector<bool>& holidays) {
    GenerationResult result;
    result.days.resize(weekdays.size());
    try {
        for (std::size_t day = 0; day < weekdays.size(); ++day) {
            const bool holiday = day < holidays.size() && holidays[day];
            if (holiday || !IsWorkingDay(workingDays, weekdays[day])) {
                continue;
            }
            DayBookings& bookings = result.days[day];
            // Each draw lands in its cell at once, so a failing draw leaves
            // the ones before it in place.
            for (std::size_t column = 0; column < 3; ++column) {
                bookings[column] =
                    DrawBookingTime(windows[column].von, windows[column].bis, source);
            }
            if (bookings[1] == bookings[2]) {
                bookings[1].clear();
                bookings[2].clear();
            }
            bookings[3] = DrawBookingTime(windows[3].von, windows[3].bis, source);
        }
    } catch (const Failure& failure) {
        result.failure = failure.what();
    }
    return result;
}

}  // namespace kolvaro
