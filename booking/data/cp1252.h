#pragma once

// Windows-1252, the code page of every file this program reads or writes.
// Inside the program all text is UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace kolvaro {

// Every byte maps to one character, so reading never fails.
std::string Cp1252ToUtf8(std::string_view bytes);
// The same, appended to `out`: no string of its own for every value read.
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// Empty when the text holds a character Windows-1252 cannot hold (or is not
// valid UTF-8): such text is never changed silently.
std::optional<std::string> Utf8ToCp1252(std::string_view text);

}  // namespace kolvaro
