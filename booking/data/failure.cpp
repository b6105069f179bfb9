#include "failure.h"

namespace kolvaro {

std::string FormatMessage(std::string_view pattern, std::string_view text) {
    std::string message(pattern);
    if (auto at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, text);
    }
    return message;
}

void Fail(std::string_view pattern, std::string_view text) {
    throw Failure(FormatMessage(pattern, text));
}

}  // namespace kolvaro
