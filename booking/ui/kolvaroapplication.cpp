#include "kolvaroapplication.h"

#include <malloc.h>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "app_icon.h"
#include "data/durable_file.h"
#include "dialogs.h"

KolvaroApplication::KolvaroApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name only; a display name would be appended to every window title
    // ("Achtung — Kolvaro") by the window system glue.
    setApplicationName(QStringLiteral("Kolvaro"));
    setDesktopFileName(QStringLiteral("de.kolvaro.Kolvaro"));
    setWindowIcon(KolvaroIcon());
    // Every click that saves reads the settings file (megabytes with
    // thousands of employees) and composes it anew, and frees the buffers at
    // its end. By default the C library hands such room back to the system
    // at once, and the next click waits for it to be zeroed again page by
    // page. Buffers below 32 MB now come from the heap, and up to 64 MB of
    // free room at its end is kept for the next click.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
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

bool KolvaroApplication::LoadQtTranslations() {
    // The program speaks German whatever the system's language is, and so do
    // Qt's own boxes in it (Yes/No, the print, file and input dialogs).
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto* translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}
