#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "tfehler.h"
#include "tmain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Setup - Kolvaro"));

    // Qt's own texts (the folder list's menus, standard buttons) in the user's
    // language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    kolvaro::setup::TMain Main;
    kolvaro::setup::TFehler Fehler;
    Main.SetErrorDialog(&Fehler);
    Main.show();
    return app.exec();
}
