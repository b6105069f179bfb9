#pragma once

// The publisher's name and web site, shown in the main window and written as
// the last line of every month file.

#include <string_view>

namespace kolvaro {

inline constexpr std::string_view kPublisherLine = "Kolvaro Zeiterfassung - www.kolvaro.de";
inline constexpr std::string_view kPublisherUrl = "https://www.kolvaro.de";

}  // namespace kolvaro
