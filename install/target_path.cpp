#include "target_path.h"

namespace kolvaro::setup {

QString TargetPathFor(const QString& chosenFolder) {
    if (chosenFolder.endsWith(u'/')) {
        return chosenFolder + QStringLiteral("Kolvaro");
    }
    return chosenFolder + QStringLiteral("/Kolvaro");
}

QString SourceDirectoryFrom(const QString& workingDirectory) {
    QString directory = workingDirectory;
    if (directory.endsWith(u'/')) {
        directory.chop(1);
    }
    return directory;
}

}  // namespace kolvaro::setup
