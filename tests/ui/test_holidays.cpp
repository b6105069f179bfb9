// Public holidays and the working-time limits in the windows: the state
// chosen with a right-click on the date grid, holiday lines red with their
// names, marked "Tag" cells, no bookings drawn on holidays, the remarks on the
// printed journal; and files that keep their bytes whatever the state.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "scripted_dialogs.h"
#include "tmain.h"
#include "window_fixture.h"

namespace {

QByteArray Employee() {
    return "[0007]\r\nNummer=0007\r\nName=Anna Berg\r\nMo=1\r\nDi=1\r\nMi=1\r\nDo=1\r\nFr=1\r\n"
           "Sa=0\r\nSo=0\r\nBeginnVon=07:00\r\nBeginnBis=07:30\r\nPauseBeginnVon=12:00\r\n"
           "PauseBeginnBis=12:15\r\nPauseEndeVon=12:30\r\nPauseEndeBis=12:45\r\n"
           "EndeVon=16:00\r\nEndeBis=16:30\r\n";
}

using window_test::Read;

// How many pixels of the image inside `rect` are near the colour.
int PixelsLike(const QImage& image, const QRect& rect, const QColor& colour) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace

class HolidaysTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;

    QString Path(const QString& name) const { return dir->filePath(name); }
    QString IniPath() const { return Path(QStringLiteral("velmora.ini")); }

    void Start(const QByteArray& ini) {
        QVERIFY(QDir().mkpath(Path(QStringLiteral("export"))));
        window_test::Start(main, dir->path(), ini);
    }

    // The row of the date grid that shows the date.
    int RowOf(const QString& date) const {
        for (int row = 1; row < main->GridDatum->rowCount(); ++row) {
            if (TMain::CellText(main->GridDatum, row, 1) == date) {
                return row;
            }
        }
        return -1;
    }

    // Writes the four times of a day into the grid, as a loaded month file
    // would; Recompute then runs the totals (Delete on an empty cell).
    // Types the day's times into the grid as a user does, each one stored.
    void Book(const QString& date, const QStringList& times) {
        const int row = RowOf(date);
        QVERIFY(row > 0);
        for (int column = 0; column < 4; ++column) {
            if (times[column].isEmpty()) {
                continue;
            }
            main->Grid->setFocus(Qt::OtherFocusReason);
            main->Grid->setCurrentCell(row, column);
            const QString digits = QString(times[column]).remove(u':');
            for (const QChar key : digits) {
                QWidget* focus = QApplication::focusWidget();
                QVERIFY(focus != nullptr);
                QTest::keyClick(focus, key.toLatin1());
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(main->Grid->item(row, column)->text(), times[column]);
        }
    }

    void Recompute(const QString& emptyDay) {
        main->Grid->setFocus();
        main->Grid->setCurrentCell(RowOf(emptyDay), 0);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
    }

    QStringList Holidays() const {
        QStringList found;
        for (int row = 1; row < main->GridDatum->rowCount(); ++row) {
            const QTableWidgetItem* item = main->GridDatum->item(row, 1);
            if (item != nullptr && item->data(TMain::HolidayRole).toBool()) {
                found << item->text() + u' ' + item->toolTip();
            }
        }
        return found;
    }

    int Mark(const QString& date) const {
        const QTableWidgetItem* item = main->Grid->item(RowOf(date), 4);
        return item != nullptr ? item->data(TMain::LimitMarkRole).toInt() : TMain::NoMark;
    }

    QString Tooltip(const QString& date) const {
        const QTableWidgetItem* item = main->Grid->item(RowOf(date), 4);
        return item != nullptr ? item->toolTip() : QString();
    }

    // Right-clicks the date grid through the window, so that the context
    // menu event comes as the platform makes it from the click.
    void RightClickDates() {
        const QRect cell = main->GridDatum->visualItemRect(main->GridDatum->item(3, 1));
        const QPoint at = main->GridDatum->viewport()->mapTo(main.get(), cell.center());
        QTest::mouseClick(main->windowHandle(), Qt::RightButton, {}, at);
    }

    // Right-clicks the date grid and chooses the menu entry.
    void ChooseState(const char* actionName) {
        RightClickDates();
        QVERIFY(main->PopupFeiertage->isVisible());
        auto* action = main->PopupFeiertage->findChild<QAction*>(QString::fromLatin1(actionName));
        QVERIFY(action != nullptr);
        main->PopupFeiertage->hide();
        // Delivered as an event, as a click in the menu is: a failure then
        // reaches the general error report.
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        QCoreApplication::sendPostedEvents(action);
    }

    QString PrintedText() {
        const QString pdf = Path(QStringLiteral("journal.pdf"));
        QFile::remove(pdf);
        main->JournalPrinter()->setOutputFileName(pdf);
        QTimer::singleShot(0, this, [] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        QTest::mouseClick(main->btnDrucken, Qt::LeftButton);
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<ScriptedDialogs>();
        kolvaro::SetClock([] { return kolvaro::FixedReading(2024, 12, 10, 9, 30); });
    }

    void cleanup() {
        main.reset();
        QVERIFY(!dialogs->unanswered);
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void rightClickOnTheDatesChoosesTheState() {
        Start(Employee());
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("31.12.2024"));
        QCOMPARE(Holidays(), QStringList());

        // The menu offers the sixteen states by name and "keine", none chosen yet.
        RightClickDates();
        QVERIFY(main->PopupFeiertage->isVisible());
        const QList<QAction*> top = main->PopupFeiertage->actions();
        QCOMPARE(top.size(), 1);
        QCOMPARE(top[0]->text(), QStringLiteral("Feiertage"));
        QStringList names;
        QString checked;
        for (QAction* action : top[0]->menu()->actions()) {
            if (!action->isSeparator()) {
                names << action->text();
                if (action->isChecked()) {
                    checked = action->text();
                }
            }
        }
        QCOMPARE(names.size(), 17);
        QCOMPARE(names.first(), QStringLiteral("Baden-Württemberg"));
        QCOMPARE(names[15], QStringLiteral("Thüringen"));
        QCOMPARE(names.last(), QStringLiteral("keine"));
        QCOMPARE(checked, QStringLiteral("keine"));
        main->PopupFeiertage->hide();

        ChooseState("FeiertageBY");
        // A new section goes to the end of the file.
        QCOMPARE(Read(IniPath()), Employee() + "[Global]\r\nBundesland=BY\r\n");
        QCOMPARE(Holidays(), (QStringList{QStringLiteral("25.12.2024 1. Weihnachtstag"),
                                          QStringLiteral("26.12.2024 2. Weihnachtstag")}));
        QCOMPARE(main->GridDatum->item(RowOf(QStringLiteral("25.12.2024")), 0)->toolTip(),
                 QStringLiteral("1. Weihnachtstag"));

        // Drawn red like a weekend: Wednesday 25th is, Tuesday 24th is not.
        const QImage image = main->GridDatum->grab().toImage();
        const QColor red(255, 0, 0);
        const auto rowRect = [&](const QString& date) {
            return main->GridDatum->visualItemRect(main->GridDatum->item(RowOf(date), 1))
                .translated(main->GridDatum->viewport()->pos());
        };
        QVERIFY(PixelsLike(image, rowRect(QStringLiteral("25.12.2024")), red) > 10);
        QCOMPARE(PixelsLike(image, rowRect(QStringLiteral("24.12.2024")), red), 0);

        // The menu shows the state the file names now, even one edited by hand.
        QVERIFY(window_test::Write(IniPath(), "[Global]\r\nBundesland=sn\r\n" + Employee()));
        RightClickDates();
        QVERIFY(main->findChild<QAction*>(QStringLiteral("FeiertageSN"))->isChecked());
        main->PopupFeiertage->hide();

        ChooseState("FeiertageKeine");
        QVERIFY(Read(IniPath()).startsWith("[Global]\r\nBundesland=\r\n[0007]\r\n"));
        QCOMPARE(Holidays(), QStringList());
        QVERIFY(dialogs->errors.isEmpty());
    }

    void aSettingsFileThatCannotBeWrittenIsReported() {
        Start(Employee());
        // A read-only file is not replaced.
        QVERIFY(QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::ReadUser));
        ChooseState("FeiertageHE");
        QCOMPARE(Read(IniPath()), Employee());
        QCOMPARE(dialogs->errors.size(), 1);
        QVERIFY2(dialogs->errors[0].contains(QStringLiteral("velmora.ini")),
                 qPrintable(dialogs->errors[0]));
        QCOMPARE(Holidays(), QStringList());
    }

    void limitsAreMarkedAndTheMonthFileKeepsItsBytes() {
        Start(Employee());
        const QString monthFile = Path(QStringLiteral("0007_122024.csv"));
        // Sunday 1st, Monday 2nd with a short break, Tuesday 3rd too early
        // after Monday, Wednesday 25th.
        Book(QStringLiteral("01.12.2024"), {"10:00", "", "", "12:00"});
        Book(QStringLiteral("02.12.2024"), {"07:00", "12:00", "12:15", "21:00"});
        Book(QStringLiteral("03.12.2024"), {"07:00", "12:00", "12:30", "15:00"});
        Book(QStringLiteral("25.12.2024"), {"08:00", "", "", "12:00"});
        Recompute(QStringLiteral("04.12.2024"));
        const QByteArray withoutState = Read(monthFile);
        QVERIFY(!withoutState.isEmpty());

        QCOMPARE(Mark(QStringLiteral("01.12.2024")), int(TMain::NoteMark));
        QCOMPARE(Tooltip(QStringLiteral("01.12.2024")),
                 QStringLiteral("Arbeit am Sonntag (§ 9 ArbZG)"));
        QCOMPARE(Mark(QStringLiteral("02.12.2024")), int(TMain::BreachMark));
        QCOMPARE(Tooltip(QStringLiteral("02.12.2024")),
                 QStringLiteral("13:45 Arbeitszeit: mehr als 10 Stunden (§ 3 ArbZG)\n"
                                "13:45 Arbeitszeit, 15 Minuten Pause: nötig sind 45 Minuten "
                                "(§ 4 ArbZG)"));
        QCOMPARE(Mark(QStringLiteral("03.12.2024")), int(TMain::BreachMark));
        QCOMPARE(Tooltip(QStringLiteral("03.12.2024")),
                 QStringLiteral("10:00 Ruhezeit (Geht 21:00 am Vortag, Kommt 07:00): nötig sind "
                                "11 Stunden (§ 5 ArbZG)"));
        QCOMPARE(Mark(QStringLiteral("04.12.2024")), int(TMain::NoMark));
        QCOMPARE(Tooltip(QStringLiteral("04.12.2024")), QString());
        // Without a state the 25th is a working day like any other.
        QCOMPARE(Mark(QStringLiteral("25.12.2024")), int(TMain::NoMark));

        // The mark is drawn: an orange frame on the 2nd, nothing on the 4th.
        const QImage image = main->Grid->grab().toImage();
        const auto tagRect = [&](const QString& date) {
            return main->Grid->visualItemRect(main->Grid->item(RowOf(date), 4))
                .translated(main->Grid->viewport()->pos());
        };
        const QColor orange(255, 140, 0);
        QVERIFY(PixelsLike(image, tagRect(QStringLiteral("02.12.2024")), orange) > 40);
        QCOMPARE(PixelsLike(image, tagRect(QStringLiteral("04.12.2024")), orange), 0);
        QVERIFY(PixelsLike(image, tagRect(QStringLiteral("01.12.2024")), orange) > 5);

        // A state changes what is shown, not what is stored.
        ChooseState("FeiertageNW");
        QCOMPARE(Read(monthFile), withoutState);
        QCOMPARE(Mark(QStringLiteral("25.12.2024")), int(TMain::NoteMark));
        QCOMPARE(Tooltip(QStringLiteral("25.12.2024")),
                 QStringLiteral("Arbeit am Feiertag 1. Weihnachtstag (§ 9 ArbZG)"));
        Recompute(QStringLiteral("04.12.2024"));
        QCOMPARE(Read(monthFile), withoutState);

        // The same month with the state from the start, loaded from its file.
        main.reset();
        Start("[Global]\r\nBundesland=NW\r\n" + Employee());
        QCOMPARE(Mark(QStringLiteral("02.12.2024")), int(TMain::BreachMark));
        QCOMPARE(Mark(QStringLiteral("25.12.2024")), int(TMain::NoteMark));
        Recompute(QStringLiteral("04.12.2024"));
        QCOMPARE(Read(monthFile), withoutState);
        QVERIFY(dialogs->errors.isEmpty());
    }

    void journalRemarks() {
        Start("[Global]\r\nBundesland=BY\r\n" + Employee());
        Book(QStringLiteral("02.12.2024"), {"07:00", "12:00", "12:15", "17:00"});
        Book(QStringLiteral("25.12.2024"), {"08:00", "", "", "12:00"});
        Recompute(QStringLiteral("04.12.2024"));

        const QString withState = PrintedText();
        for (const QString& expected : {QStringLiteral("Pause 15 statt 45 Min."),
                                        QStringLiteral("1. Weihnachtstag, Feiertagsarbeit"),
                                        QStringLiteral("2. Weihnachtstag")}) {
            QVERIFY2(withState.contains(expected), qPrintable(expected + u'\n' + withState));
        }
        // The remarks stand on their day's line.
        const QStringList lines = withState.split(u'\n');
        bool onItsLine = false;
        for (const QString& line : lines) {
            onItsLine = onItsLine || (line.contains(QStringLiteral("02.12.2024")) &&
                                      line.contains(QStringLiteral("Pause 15 statt 45")));
        }
        QVERIFY2(onItsLine, qPrintable(withState));

        ChooseState("FeiertageKeine");
        const QString withoutState = PrintedText();
        QVERIFY(withoutState.contains(QStringLiteral("Pause 15 statt 45 Min.")));
        QVERIFY(!withoutState.contains(QStringLiteral("Weihnachtstag")));
        QVERIFY(dialogs->errors.isEmpty());
    }

    void noBookingsAreDrawnOnHolidays() {
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 20, 10, 15, 30); });
        const QByteArray exportSection =
            "[Export]\r\nPfad=" + Path(QStringLiteral("export")).toUtf8() + "/\r\n";
        const QByteArray generation = "[Global]\r\nAutoBuchung=1\r\n";
        const QString exportFile = Path(QStringLiteral("export/DADuzo.buc"));
        // Monday 17.03.2008 to Friday 28.03.2008: Karfreitag is the 21st,
        // Ostermontag the 24th.
        const auto generate = [&](const QByteArray& ini) {
            main.reset();
            Start(ini + exportSection + Employee());
            main->edDatumVon->setText(QStringLiteral("17.03.2008"));
            main->edDatumBis->setText(QStringLiteral("28.03.2008"));
            QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
            QTest::mouseClick(main->btnExport, Qt::LeftButton);
            return Read(exportFile);
        };

        const QByteArray plain = generate(generation);
        QCOMPARE(plain.size(), 40 * 81 + 2);
        QVERIFY(!TMain::CellText(main->Grid, RowOf(QStringLiteral("21.03.2008")), 0).isEmpty());
        // An empty or unknown state is no state: the same bytes.
        QCOMPARE(generate(generation + "Bundesland=\r\n"), plain);
        QCOMPARE(generate(generation + "Bundesland=Bayern\r\n"), plain);

        const QByteArray bavarian = generate(generation + "Bundesland=by\r\n");
        QCOMPARE(Holidays(), (QStringList{QStringLiteral("21.03.2008 Karfreitag"),
                                          QStringLiteral("24.03.2008 Ostermontag")}));
        for (const char* date : {"21.03.2008", "24.03.2008"}) {
            const int row = RowOf(QString::fromLatin1(date));
            for (int column = 0; column < 4; ++column) {
                QVERIFY(TMain::CellText(main->Grid, row, column).isEmpty());
            }
            QCOMPARE(TMain::CellText(main->Grid, row, 4), QStringLiteral("00:00"));
        }
        QCOMPARE(bavarian.size(), 32 * 81 + 2);
        QVERIFY(!bavarian.contains("210308"));
        QVERIFY(!bavarian.contains("240308"));
        QVERIFY(bavarian.contains("250308"));
        QVERIFY(dialogs->errors.isEmpty());
    }
};

KOLVARO_UI_TEST_MAIN(HolidaysTest)
#include "test_holidays.moc"
