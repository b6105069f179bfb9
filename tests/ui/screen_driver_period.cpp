// Shows the main window with a filled month and the cell editor open, and
// saves a picture of it:
//   period_screen_driver journal|generation|enter|question <file.png>
// "enter" types a time into an empty weekend cell and ends it with Enter, so
// that the current cell is an empty one; it stays on screen for three seconds.
// "question" asks the delete question, with Qt's buttons as the program shows them.
// It works in a scratch folder under /tmp and changes nothing else.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "data/clock.h"
#include "kolvaroapplication.h"
#include "maskededit.h"
#include "tkalender.h"
#include "tmain.h"

int main(int argc, char* argv[]) {
    KolvaroApplication app(argc, argv);
    app.LoadQtTranslations();
    const bool generation = argc > 1 && QByteArray(argv[1]) == "generation";
    const QString output =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp/period.png");
    kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 2, 15, 9, 30); });

    QTemporaryDir scratch;
    {
        QFile ini(scratch.filePath(QStringLiteral("velmora.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(QByteArray(generation ? "[Global]\r\nAutoBuchung=1\r\n" : "") +
                  "[0007]\r\nNummer=0007\r\nName=Anna Berg\r\nMo=1\r\nDi=1\r\nMi=1\r\nDo=1\r\n"
                  "Fr=1\r\nSa=0\r\nSo=0\r\nBeginnVon=07:30\r\nBeginnBis=08:00\r\n"
                  "PauseBeginnVon=12:00\r\nPauseBeginnBis=12:15\r\nPauseEndeVon=12:30\r\n"
                  "PauseEndeBis=12:45\r\nEndeVon=16:00\r\nEndeBis=16:30\r\n");
    }
    QDir::setCurrent(scratch.path());

    TMain Main;
    TKalender Kalender(&Main);
    Main.SetKalender(&Kalender);
    Main.show();
    QApplication::setActiveWindow(&Main);
    if (!QTest::qWaitForWindowExposed(&Main)) {
        return 1;
    }
    if (generation) {
        Main.edDatumVon->setText(QStringLiteral("01.03.2008"));
        Main.edDatumBis->setText(QStringLiteral("31.03.2008"));
    }

    // Working days get four times each; weekends stay empty.
    const char* times[][4] = {{"07:41", "12:03", "12:35", "16:12"},
                              {"07:55", "12:10", "12:40", "16:28"},
                              {"07:33", "12:01", "12:31", "16:05"}};
    for (int row = 1; row < Main.Grid->rowCount(); ++row) {
        const QString weekday = TMain::CellText(Main.GridDatum, row, 0);
        if (weekday == QStringLiteral("Sa") || weekday == QStringLiteral("So")) {
            continue;
        }
        for (int column = 0; column < 4; ++column) {
            TMain::SetCell(Main.Grid, row, column, QLatin1String(times[row % 3][column]));
        }
    }
    // Delete on an empty weekend time computes the totals (and in journal mode
    // writes the month file into the scratch folder).
    Main.Grid->setFocus();
    Main.Grid->setCurrentCell(generation ? 1 : 2, 0);
    QTest::keyClick(Main.Grid, Qt::Key_Delete);

    if (argc > 1 && QByteArray(argv[1]) == "question") {
        QTimer::singleShot(3000, &app, &QApplication::quit);
        Main.btnLoeschenClick();
        return 0;
    }
    int wait = 300;
    if (argc > 1 && QByteArray(argv[1]) == "enter") {
        // Saturday 02.02.2008: "Kommt" typed, the empty "Pause" current.
        Main.Grid->setCurrentCell(2, 0);
        QTest::keyClicks(Main.Grid, QStringLiteral("0"));
        QTest::keyClicks(Main.meGridEdit, QStringLiteral("800"));
        QTest::keyClick(Main.meGridEdit, Qt::Key_Return);
        wait = 3000;
    } else {
        // The cell editor open over a filled "Pause".
        Main.Grid->setCurrentCell(5, 1);
        Main.GridDblClick();
    }

    QTimer::singleShot(wait, &Main, [&] {
        Main.grab().save(output);
        app.quit();
    });
    return app.exec();
}
