// StrToInt on any text: a number that the text really holds, or the integer
// message; and IntToStr of the number reads back as the same number.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "data/time_text.h"
#include "fuzz_check.h"

namespace {

// Blanks, an optional sign, decimal digits and nothing more, within int.
std::optional<long long> Expected(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    long long value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[at] - '0');
        if (value > 1LL << 40) {
            return std::nullopt;  // far beyond int either way
        }
    }
    value = negative ? -value : value;
    if (value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kolvaro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto expected = Expected(text);
    int value = 0;
    try {
        value = StrToInt(text);
    } catch (const Failure& failure) {
        fuzz::CheckMessage(failure, "'%s' ist kein gültiger Integerwert", text);
        fuzz::Check(!expected, "a valid integer was refused", text);
        return 0;
    }
    fuzz::Check(expected && *expected == value, "accepted with the wrong value", text);
    fuzz::Check(StrToInt(IntToStr(value)) == value, "IntToStr does not read back", text);
    return 0;
}
