#pragma once

#include "desktop_entry.h"

namespace kolvaro::setup {

// Where a shortcut goes: the user's application menu (made when missing), the
// desktop (which must exist), or ShortcutInfo::Folder.
enum class ShortcutFolder { Programs, Desktop, Given };

// Writes LinkName + ".desktop" into the folder, executable, replacing an
// older one in a single step. False when the folder is missing, the entry
// cannot be written faithfully or the file cannot be written; a failed write
// leaves the former file as it was.
bool CreateShortcut(const ShortcutInfo& info, ShortcutFolder folder);

}  // namespace kolvaro::setup
