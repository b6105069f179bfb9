#pragma once

// The core keeps its text as UTF-8 std::string; the windows show QString.

#include <QString>
#include <string_view>

inline QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
