#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kolvaro {

// A failure the user gets to see: what() is the German message, complete.
class Failure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The message pattern with its one "%s" replaced by the offending text.
std::string FormatMessage(std::string_view pattern, std::string_view text);

// Throws Failure(FormatMessage(pattern, text)).
[[noreturn]] void Fail(std::string_view pattern, std::string_view text);

}  // namespace kolvaro
