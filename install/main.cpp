#include <QApplication>

#include "app_icon.h"
#include "german_texts.h"
#include "tfehler.h"
#include "tmain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The application's title. Not its display name: the window system glue
    // would append that to every window title ("Fehler — Setup - Kolvaro").
    QApplication::setApplicationName(QStringLiteral("Setup - Kolvaro"));
    QApplication::setWindowIcon(kolvaro::setup::KolvaroIcon());
    kolvaro::setup::LoadGermanQtTexts(app);

    kolvaro::setup::TMain Main;
    kolvaro::setup::TFehler Fehler;
    Main.SetErrorDialog(&Fehler);
    Main.show();
    return app.exec();
}
