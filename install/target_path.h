#pragma once

#include <QString>

namespace kolvaro::setup {

// The folder the program goes into when the user has chosen the folder D:
// D + "/Kolvaro", or D + "Kolvaro" when D already ends in "/" (the root "/"
// gives "/Kolvaro", not "//Kolvaro").
QString TargetPathFor(const QString& chosenFolder);

// The working directory as the folder that holds the file to install, without
// a trailing "/": the root "/" becomes the empty text, so that
// SourceDirectory + "/velmora.dat" still names "/velmora.dat".
QString SourceDirectoryFrom(const QString& workingDirectory);

}  // namespace kolvaro::setup
