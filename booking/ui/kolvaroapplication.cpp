#include "kolvaroapplication.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "data/durable_file.h"
#include "dialogs.h"

KolvaroApplication::KolvaroApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Kolvaro"));
    setApplicationDisplayName(QStringLiteral("Kolvaro"));
    // While another program holds a file's folder, the windows keep being
    // painted; what the user does meanwhile waits until the write is over.
    kolvaro::FolderLock::SetWhileWaiting(
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

KolvaroApplication::~KolvaroApplication() {
    kolvaro::FolderLock::SetWhileWaiting({});
}

bool KolvaroApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        // What the handler did before the failure stays; the window stays usable.
        CurrentDialogs().ShowError(activeWindow(), QString::fromUtf8(failure.what()));
    }
    return false;
}

void KolvaroApplication::LoadQtTranslations() {
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_") + QLocale::system().name(),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
    } else {
        delete translator;
    }
}
