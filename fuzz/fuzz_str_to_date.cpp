// StrToDate on any text: a whole day from 01.01.0001 to 31.12.9999, or the
// date message; DateToStr of the value reads back as the same day.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/time_text.h"
#include "fuzz_check.h"

namespace {

constexpr double kFirstDay = -693593;  // 01.01.0001
constexpr double kLastDay = 2958465;   // 31.12.9999

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kolvaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DateTime value = 0;
    try {
        value = StrToDate(text);
    } catch (const Failure& failure) {
        fuzz::CheckMessage(failure, "'%s' ist kein gültiges Datum", text);
        return 0;
    }
    fuzz::Check(value == std::trunc(value), "date with a time part", text);
    fuzz::Check(value >= kFirstDay && value <= kLastDay, "date outside the calendar", text);

    const std::string written = DateToStr(value);
    fuzz::Check(written.size() == 10 && written[2] == '.' && written[5] == '.',
                "DateToStr is not DD.MM.YYYY", written);
    DateTime again = 0;
    try {
        again = StrToDate(written);
    } catch (const Failure&) {
        fuzz::Broken("DateToStr text is refused", written);
    }
    fuzz::Check(again == value, "DateToStr does not read back", text);
    const int weekday = DayOfWeek(value);
    fuzz::Check(weekday >= 1 && weekday <= 7, "weekday out of range", text);
    if (value < kLastDay) {
        fuzz::Check(DaysBetween(written, AddDays(written, 1)) == 1,
                    "the next day is not one day later", text);
    }
    return 0;
}
