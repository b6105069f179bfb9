#include "bookings/period.h"

#include "data/calendar.h"
#include "data/failure.h"
#include "data/time_text.h"

namespace kolvaro {

PeriodCheck CheckPeriod(std::string_view start, std::string_view end) {
    PeriodCheck check;
    DateTime from = 0;
    DateTime to = 0;
    try {
        from = StrToDate(start);
        to = StrToDate(end);
    } catch (const Failure&) {
        check.outcome = PeriodOutcome::Unreadable;
        return check;
    }
    // Both are whole days, so the difference is exact.
    long long n = static_cast<long long>(to - from);
    if (n > 30) {
        check.outcome = PeriodOutcome::TooLong;
        check.message = kPeriodTooLong;
        return check;
    }
    if (n < 0) {
        check.outcome = PeriodOutcome::EndBeforeStart;
        check.message = kPeriodInvalid;
        return check;
    }
    check.outcome = PeriodOutcome::Accepted;
    for (long long i = 0; i <= n; ++i) {
        DateTime day = from + static_cast<double>(i);
        check.days.push_back({WeekdayName(DayOfWeek(day)), DateToStr(day)});
    }
    return check;
}

MonthPeriod MonthDates(int month, std::string_view yearText) {
    int days = DaysInMonth(month, StrToInt(yearText));
    std::string mm = ZeroPad(month, 2);
    std::string year(yearText);
    return {"01." + mm + "." + year, ZeroPad(days, 2) + "." + mm + "." + year};
}

std::optional<std::string> AcceptEditedTime(std::string_view editorText) {
    DateTime value = 0;
    try {
        value = StrToTime(editorText);
    } catch (const Failure&) {
        return std::nullopt;
    }
    // The cell always gets the full form, so "07:3 " becomes "07:03": the export
    // and the month file read hours and minutes at fixed positions.
    return TimeToStr(value).substr(0, 5);
}

}  // namespace kolvaro
