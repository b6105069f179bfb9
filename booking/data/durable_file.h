#pragma once

// Replacing a whole file so that it is never left half written: the bytes go
// to a temporary file in the same folder, are flushed to disk and renamed over
// the old file. The caller turns a false result into its own message.

#include <optional>
#include <string>
#include <string_view>

namespace kolvaro {

// False when the file could not be replaced; the former file is then as it
// was and no temporary file is left. A file that is read-only is not replaced
// even where the folder would allow it.
bool WriteFileDurably(const std::string& path, std::string_view bytes);

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace kolvaro
