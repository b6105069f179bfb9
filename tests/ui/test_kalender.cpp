// The calendar picker: the month grid, today, highlighting, choosing, closing.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "data/calendar.h"
#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "tkalender.h"

namespace {

const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

QColor Background(const QLabel* label) {
    return label->palette().color(QPalette::Window);
}
QColor Foreground(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

}  // namespace

class KalenderTest : public QObject {
    Q_OBJECT

  private:
    // The visible labels as "row,column=caption", row by row.
    static QStringList Layout(const TKalender& kalender) {
        QStringList cells;
        for (int row = 0; row < 6; ++row) {
            for (int column = 0; column < 7; ++column) {
                const QLabel* label = kalender.DayLabel(row, column);
                if (!label->isHidden()) {
                    cells << QStringLiteral("%1,%2=%3").arg(row).arg(column).arg(label->text());
                }
            }
        }
        return cells;
    }

  private slots:
    void init() {
        kolvaro::SetClock([] { return kolvaro::FixedReading(2004, 3, 15); });
    }
    void cleanup() { kolvaro::SetClock({}); }

    void startsOnTodaysMonth() {
        TKalender kalender;
        QCOMPARE(kalender.Month, 3);
        QCOMPARE(kalender.Year, 2004);
        QCOMPARE(kalender.pnJahr->text(), QStringLiteral("März 2004"));
        QCOMPARE(kalender.size(), QSize(194, 136));
        QCOMPARE(kalender.DayLabel(5, 6)->geometry(), QRect(10 + 27 * 6, 45 + 15 * 5, 14, 13));
    }

    void monthGrid_data() {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("first");  // row,column of the 1st
        QTest::addColumn<QString>("last");   // row,column of the last day
        QTest::newRow("February 2000, leap") << 2 << 2000 << 29 << "0,2"
                                             << "4,2";
        QTest::newRow("February 2004, leap") << 2 << 2004 << 29 << "0,0"
                                             << "4,0";
        QTest::newRow("February 1900, not leap") << 2 << 1900 << 28 << "0,4"
                                                 << "4,3";
        QTest::newRow("February 2100, not leap") << 2 << 2100 << 28 << "0,1"
                                                 << "4,0";
        QTest::newRow("March 2004, row 5 hidden") << 3 << 2004 << 31 << "0,1"
                                                  << "4,3";
        QTest::newRow("May 2004, six rows") << 5 << 2004 << 31 << "0,6"
                                            << "5,1";
        QTest::newRow("February 2009, four rows") << 2 << 2009 << 28 << "0,0"
                                                  << "3,6";
    }

    void monthGrid() {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, days);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QCOMPARE(kolvaro::DaysInMonth(month, year), days);
        TKalender kalender;
        kalender.ShowMonthOf(month, year);
        const QStringList cells = Layout(kalender);
        QCOMPARE(cells.size(), days);
        QCOMPARE(cells.first(), first + QStringLiteral("=1"));
        QCOMPARE(cells.last(), last + u'=' + QString::number(days));
        // The cells run on without gaps, day after day.
        for (int i = 1; i < cells.size(); ++i) {
            QVERIFY(cells[i].endsWith(u'=' + QString::number(i + 1)));
        }
    }

    void navigationSteps_data() {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::newRow("< in January") << 1 << 2004 << "btnMonthBack"
                                      << "Dezember 2003";
        QTest::newRow("> in December") << 12 << 2004 << "btnMonthForward"
                                       << "Januar 2005";
        QTest::newRow("<<") << 6 << 2004 << "btnYearBack"
                            << "Juni 2003";
        QTest::newRow(">>") << 6 << 2004 << "btnYearForward"
                            << "Juni 2005";
    }

    void navigationSteps() {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QString, button);
        QFETCH(QString, title);
        TKalender kalender;
        kalender.ShowMonthOf(month, year);
        QTest::mouseClick(kalender.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(kalender.pnJahr->text(), title);
    }

    void todayIsTealAndBoldOnlyInItsMonth() {
        TKalender kalender;
        const QLabel* fifteenth = kalender.DayLabel(2, 1);  // 15.03.2004, a Monday
        QCOMPARE(fifteenth->text(), QStringLiteral("15"));
        QCOMPARE(Foreground(fifteenth), kTeal);
        QVERIFY(fifteenth->font().bold());
        int teal = 0;
        for (int i = 0; i < 42; ++i) {
            teal += Foreground(kalender.DayLabel(i / 7, i % 7)) == kTeal ? 1 : 0;
        }
        QCOMPARE(teal, 1);

        kalender.ShowMonthOf(3, 2005);
        for (int i = 0; i < 42; ++i) {
            const QLabel* label = kalender.DayLabel(i / 7, i % 7);
            QVERIFY(label->isHidden() || Foreground(label) == kBlack);
            QVERIFY(label->isHidden() || !label->font().bold());
        }
    }

    void highlightFollowsTheClickAndSurvivesAMonthChange() {
        TKalender kalender;
        QLabel* first = kalender.DayLabel(1, 3);   // 10.03.2004
        QLabel* second = kalender.DayLabel(3, 3);  // 24.03.2004
        QTest::mousePress(first, Qt::LeftButton);
        QCOMPARE(Background(first), kNavy);
        QCOMPARE(Foreground(first), kWhite);
        QTest::mousePress(second, Qt::LeftButton);
        QCOMPARE(Background(first), kWhite);
        QCOMPARE(Foreground(first), kBlack);
        QCOMPARE(Background(second), kNavy);
        QCOMPARE(kalender.Day, 0);  // a click chooses nothing

        QLabel* today = kalender.DayLabel(2, 1);
        QTest::mousePress(today, Qt::LeftButton);
        QCOMPARE(Background(today), kNavy);
        QCOMPARE(Foreground(today), kTeal);
        QVERIFY(!today->font().bold());

        // April 2004: the same place now holds the 12th, still highlighted.
        QTest::mouseClick(kalender.btnMonthForward, Qt::LeftButton);
        QCOMPARE(today->text(), QStringLiteral("12"));
        QCOMPARE(Background(today), kNavy);
        QCOMPARE(Foreground(today), kWhite);

        // A press on the heading "So" only clears the highlight.
        QTest::mousePress(kalender.lbSo, Qt::LeftButton);
        QCOMPARE(Background(today), kWhite);
        QCOMPARE(Foreground(today), kBlack);
    }

    void doubleClickChoosesAndEscapeDoesNot() {
        TKalender kalender;
        kalender.ShowMonthOf(6, 2004);
        kalender.show();
        QVERIFY(QTest::qWaitForWindowExposed(&kalender));
        QLabel* seventh = kalender.DayLabel(1, 1);
        QCOMPARE(seventh->text(), QStringLiteral("7"));
        QTest::mouseDClick(seventh, Qt::LeftButton);
        QCOMPARE(kalender.Day, 7);
        QCOMPARE(kalender.Month, 6);
        QCOMPARE(kalender.Year, 2004);
        QVERIFY(kalender.isHidden());
        QCOMPARE(kalender.result(), int(QDialog::Accepted));

        // Shown again: the same month, no day chosen; Escape closes it so.
        kalender.show();
        QVERIFY(QTest::qWaitForWindowExposed(&kalender));
        QCOMPARE(kalender.Day, 0);
        QCOMPARE(kalender.pnJahr->text(), QStringLiteral("Juni 2004"));
        QTest::mouseDClick(kalender.lbSo, Qt::LeftButton);  // the heading chooses nothing
        QVERIFY(!kalender.isHidden());
        kalender.btnMonthBack->setFocus();
        QTest::keyClick(kalender.btnMonthBack, Qt::Key_Escape);
        QVERIFY(kalender.isHidden());
        QCOMPARE(kalender.Day, 0);
    }
};

KOLVARO_UI_TEST_MAIN(KalenderTest)
#include "test_kalender.moc"
