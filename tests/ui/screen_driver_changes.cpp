// Shows a month for a screenshot of closing and reopening it:
//   changes_screen_driver closed|menu|close|reopen
// "closed": the month closed, its mark beside "Zeitraum"; "menu": the same
// with the month's menu open; "close" and "reopen": the question asked
// before closing or reopening, with Qt's buttons as the program shows them.
// Stays on screen for five seconds. It works in a scratch folder under /tmp
// and changes nothing else.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "data/clock.h"
#include "kolvaroapplication.h"
#include "tkalender.h"
#include "tmain.h"

int main(int argc, char* argv[]) {
    KolvaroApplication app(argc, argv);
    app.LoadQtTranslations();
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("closed");
    kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 2, 15, 9, 30); });

    QTemporaryDir scratch;
    {
        QFile ini(scratch.filePath(QStringLiteral("velmora.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write(
            "[0007]\r\nNummer=0007\r\nName=Anna Berg\r\nMo=1\r\nDi=1\r\nMi=1\r\nDo=1\r\n"
            "Fr=1\r\nSa=0\r\nSo=0\r\n");
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
    // Two weeks of bookings, typed as the user would and stored.
    const char* times[4] = {"07:41", "12:03", "12:35", "16:12"};
    for (int row = 4; row < 16; ++row) {
        const QString weekday = TMain::CellText(Main.GridDatum, row, 0);
        if (weekday == QStringLiteral("Sa") || weekday == QStringLiteral("So")) {
            continue;
        }
        for (int column = 0; column < 4; ++column) {
            Main.Grid->setFocus();
            Main.Grid->setCurrentCell(row, column);
            const QByteArray digits = QByteArray(times[column]).replace(":", "");
            for (const char digit : digits) {
                QTest::keyClick(QApplication::focusWidget(), digit);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
    }
    QTimer::singleShot(5000, &app, &QApplication::quit);
    if (mode == "close") {
        QTimer::singleShot(0, &Main, &TMain::monatabschliessen1Click);
        return app.exec();
    }
    // Closed from the month's menu, answered by the questions' default
    // buttons being replaced here by a direct close.
    QTimer::singleShot(0, &Main, [&] {
        QTimer::singleShot(200, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                QTest::keyClick(box, Qt::Key_J);  // "&Ja"
                QTest::keyClick(box, Qt::Key_Y);  // "&Yes" where Qt speaks English
            }
        });
        Main.monatabschliessen1Click();
        if (mode == "reopen") {
            QTimer::singleShot(0, &Main, &TMain::monatwiederoeffnen1Click);
        } else if (mode == "menu") {
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 12),
                                    Main.cbxMonat->mapToGlobal(QPoint(20, 12)));
            QApplication::sendEvent(Main.cbxMonat, &click);
        }
    });
    return app.exec();
}
