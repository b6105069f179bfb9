// TimeToMinutes on any text: an integer or the integer message, never
// anything else; a count of minutes written by MinutesToTime reads back.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/time_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kolvaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int minutes = 0;
    try {
        minutes = TimeToMinutes(text);
    } catch (const Failure& failure) {
        // The message names either part of the text or the whole of it.
        const std::string message = failure.what();
        // (A text holding a NUL byte shows only up to it.)
        fuzz::Check(
            message.starts_with("'") && (message.ends_with("' ist kein gültiger Integerwert") ||
                                         text.find('\0') != std::string_view::npos),
            "unexpected failure message", message);
        return 0;
    }
    // The minutes are the last two characters: a two-digit number or a
    // one-digit one with a blank or sign before it.
    const long long lastTwo = StrToInt(text.substr(text.size() - 2));
    fuzz::Check(lastTwo >= -9 && lastTwo <= 99, "minutes part out of range", text);
    if (minutes >= 0) {
        const std::string written = MinutesToTime(minutes);
        fuzz::Check(TimeToMinutes(written) == minutes, "MinutesToTime does not read back", text);
    }
    return 0;
}
