#pragma once

class QCoreApplication;

namespace kolvaro::setup {

// Qt's own texts in the wizard (the folder list's menus, standard buttons) in
// German, whatever the system's language; false when Qt's German texts are
// not installed.
bool LoadGermanQtTexts(QCoreApplication& application);

}  // namespace kolvaro::setup
