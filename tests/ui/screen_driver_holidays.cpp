// Shows December 2024 in journal mode with the state Bayern chosen, a few
// booked days (one with too short a break, one on Christmas Day), hovers a
// cell until its tooltip shows, and saves a picture of the screen:
//   holidays_screen_driver <file.png> tag|date|menu [journal.pdf]
// With a third argument the journal is printed into that PDF file as well.
// It works in a scratch folder under /tmp and changes nothing else.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "data/clock.h"
#include "kolvaroapplication.h"
#include "tmain.h"

int main(int argc, char* argv[]) {
    KolvaroApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "/tmp/holidays.png";
    const bool onDate = argc > 2 && QByteArray(argv[2]) == "date";
    const bool menu = argc > 2 && QByteArray(argv[2]) == "menu";
    const QString pdf = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    kolvaro::SetClock([] { return kolvaro::FixedReading(2024, 12, 10, 9, 30); });

    QTemporaryDir scratch;
    {
        QFile ini(scratch.filePath(QStringLiteral("velmora.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Global]\r\nBundesland=BY\r\n[0007]\r\nNummer=0007\r\nName=Anna Berg\r\n");
    }
    QDir::setCurrent(scratch.path());

    TMain Main;
    Main.show();
    QApplication::setActiveWindow(&Main);
    if (!QTest::qWaitForWindowExposed(&Main)) {
        return 1;
    }

    const auto rowOf = [&](const QString& date) {
        for (int row = 1; row < Main.GridDatum->rowCount(); ++row) {
            if (TMain::CellText(Main.GridDatum, row, 1) == date) {
                return row;
            }
        }
        return 1;
    };
    const struct {
        const char* date;
        const char* times[4];
    } days[] = {
        {"02.12.2024", {"07:30", "12:00", "12:30", "16:15"}},
        {"03.12.2024", {"07:05", "12:00", "12:30", "17:05"}},  // 9:30 with 30 minutes
        {"04.12.2024", {"07:40", "12:05", "12:35", "16:10"}},
        {"05.12.2024", {"07:25", "12:10", "12:40", "16:00"}},
        {"06.12.2024", {"07:35", "12:00", "12:30", "14:30"}},
        {"23.12.2024", {"07:30", "12:00", "12:30", "16:00"}},
        {"24.12.2024", {"08:00", "", "", "12:00"}},
        {"25.12.2024", {"09:00", "", "", "13:00"}},  // Christmas Day
        {"26.12.2024", {"05:00", "", "", "17:00"}},  // a long holiday
        {"27.12.2024", {"07:30", "12:00", "12:30", "16:00"}},
    };
    for (const auto& day : days) {
        for (int column = 0; column < 4; ++column) {
            TMain::SetCell(Main.Grid, rowOf(QLatin1String(day.date)), column,
                           QLatin1String(day.times[column]));
        }
    }
    // Delete on an empty day computes the totals and the notes.
    Main.Grid->setFocus();
    Main.Grid->setCurrentCell(rowOf(QStringLiteral("09.12.2024")), 0);
    QTest::keyClick(Main.Grid, Qt::Key_Delete);

    if (!pdf.isEmpty()) {
        Main.JournalPrinter()->setOutputFileName(pdf);
        QTimer::singleShot(0, &Main, [] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        Main.btnDruckenClick();
    }

    // Hover the cell through the window system, as the mouse does.
    QTableWidget* grid = onDate || menu ? Main.GridDatum : Main.Grid;
    const int row = rowOf(onDate ? QStringLiteral("25.12.2024") : QStringLiteral("03.12.2024"));
    const QRect cell = grid->visualItemRect(grid->item(row, onDate || menu ? 1 : 4));
    const QPoint at = grid->viewport()->mapTo(&Main, cell.center());
    if (menu) {
        // The right-click on the dates, and its submenu opened.
        QTest::mouseClick(Main.windowHandle(), Qt::RightButton, {}, at);
        QTimer::singleShot(500, &Main, [&] {
            QMenu* states = Main.PopupFeiertage->actions().first()->menu();
            const QRect entry = Main.PopupFeiertage->actionGeometry(states->menuAction());
            QTest::mouseMove(Main.PopupFeiertage->windowHandle(), entry.center());
            QTest::mouseClick(Main.PopupFeiertage->windowHandle(), Qt::LeftButton, {},
                              entry.center());
        });
    } else {
        QTest::mouseMove(Main.windowHandle(), at - QPoint(3, 0));
        QTest::mouseMove(Main.windowHandle(), at);
    }

    QTimer::singleShot(2000, &Main, [&] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(output);
        app.quit();
    });
    return app.exec();
}
