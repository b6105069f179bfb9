// StrToTime on any text: a time of day from 0 up to but excluding 1 day, or
// the time message; TimeToStr of the value reads back as the same value.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/time_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kolvaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DateTime value = 0;
    try {
        value = StrToTime(text);
    } catch (const Failure& failure) {
        fuzz::CheckMessage(failure, "'%s' ist keine gültige Zeit", text);
        return 0;
    }
    fuzz::Check(value >= 0 && value < 1, "time outside the day", text);
    const double seconds = value * 86400;
    fuzz::Check(std::fabs(seconds - std::round(seconds)) < 1e-6, "not whole seconds", text);

    const std::string written = TimeToStr(value);
    fuzz::Check(written.size() == 8 && written[2] == ':' && written[5] == ':',
                "TimeToStr is not HH:MM:SS", written);
    DateTime again = -1;
    try {
        again = StrToTime(written);
    } catch (const Failure&) {
        fuzz::Broken("TimeToStr text is refused", written);
    }
    fuzz::Check(again == value, "TimeToStr does not read back", text);
    // The first five characters are a time of day that reads as the same minute.
    const DateTime minute = StrToTime(written.substr(0, 5));
    fuzz::Check(std::floor(value * 1440 + 1e-9) == std::round(minute * 1440),
                "HH:MM is another minute", text);
    return 0;
}
