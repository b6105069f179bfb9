#include "bookings/totals.h"

#include "data/failure.h"
#include "data/time_text.h"

namespace kolvaro {

namespace {

// From `from` to `to` in days, past midnight when `to` is earlier.
DateTime Elapsed(DateTime from, DateTime to) {
    return to < from ? 1.0 - (from - to) : to - from;
}

}  // namespace

std::string DayTime(std::string_view kommt, std::string_view pause1, std::string_view pause2,
                    std::string_view geht) {
    DateTime span = 0;
    try {
        if (!kommt.empty() && !geht.empty()) {
            DateTime k = StrToTime(kommt);
            span = Elapsed(k, StrToTime(geht));
        } else if (!kommt.empty() && !pause1.empty()) {
            // Arrival and start of the break but no leaving: the morning counts.
            DateTime k = StrToTime(kommt);
            span = Elapsed(k, StrToTime(pause1));
        }
        if (!pause1.empty() && !pause2.empty()) {
            DateTime p1 = StrToTime(pause1);
            span -= Elapsed(p1, StrToTime(pause2));
        }
    } catch (const Failure&) {
        // A damaged cell: keep what was counted up to it.
    }
    // The time text of a negative span is its magnitude.
    return TimeToStr(span).substr(0, 5);
}

std::string ComputeTotals(std::vector<BookingDay>& days) {
    int total = 0;
    for (BookingDay& day : days) {
        auto& c = day.cells;
        c[4] = DayTime(c[0], c[1], c[2], c[3]);
        total += TimeToMinutes(c[4]);
        c[5] = MinutesToTime(total);
    }
    return MinutesToTime(total) + " ";
}

}  // namespace kolvaro
