#pragma once

// The Kolvaro icon: for the wizard's own windows, and as a file in the user's
// icon theme for the shortcuts.

#include <QIcon>
#include <QString>

namespace kolvaro::setup {

// Sharp at every size a desktop asks for, from 16 to 256 pixels.
QIcon KolvaroIcon();

// Puts the scalable icon into the user's icon theme
// (~/.local/share/icons/hicolor/scalable/apps/kolvaro.svg) and answers its
// path; empty when it could not be written, and the former file stays.
QString InstallIconFile();

}  // namespace kolvaro::setup
