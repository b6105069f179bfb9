// Shows the setup wizard on one page for a screenshot:
//   setup_screen_driver welcome|folder|installing|finish|failure|error
// It works in a scratch folder under /tmp and changes nothing else.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "app_icon.h"
#include "german_texts.h"
#include "tfehler.h"
#include "tmain.h"

using kolvaro::setup::TFehler;
using kolvaro::setup::TMain;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Setup - Kolvaro"));
    QApplication::setWindowIcon(kolvaro::setup::KolvaroIcon());
    kolvaro::setup::LoadGermanQtTexts(app);
    const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("welcome");

    QTemporaryDir scratch;
    const bool failing = page == QStringLiteral("failure") || page == QStringLiteral("error");
    if (!failing) {
        QFile dat(scratch.filePath(QStringLiteral("velmora.dat")));
        dat.open(QIODevice::WriteOnly);
        dat.write("#!/bin/sh\n");
    }
    QDir::setCurrent(scratch.path());

    TMain Main;
    TFehler Fehler;
    Main.SetErrorDialog(&Fehler);
    Main.show();
    if (page == QStringLiteral("welcome")) {
        return app.exec();
    }
    Main.btnWeiterClick();
    if (page == QStringLiteral("folder")) {
        return app.exec();
    }
    Main.findChild<QLineEdit*>(QStringLiteral("edPfad"))->setText(scratch.filePath("Kolvaro"));
    // The error dialog stays open until the screenshot is taken and the
    // driver is killed; the other pages go on to their place.
    QTimer::singleShot(0, &Main, [&] {
        Main.btnWeiterClick();
        if (page == QStringLiteral("finish") || page == QStringLiteral("failure")) {
            for (int tick = 0; tick < 5; ++tick) {
                Main.TimerTimer();
            }
        } else if (page == QStringLiteral("installing")) {
            Main.TimerTimer();
        }
    });
    if (page == QStringLiteral("failure")) {
        QTimer::singleShot(300, &Main, [&] { Fehler.accept(); });
    }
    return app.exec();
}
