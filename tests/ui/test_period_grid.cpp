// The period, the two grids, the cell editor and the month file, driven
// through the real widgets as a user would: picking dates in the calendar,
// typing times into the grid, pressing Enter and Delete.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

#include "../fifo_watchdog.h"
#include "celldrawer.h"
#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "maskededit.h"
#include "scripted_dialogs.h"
#include "tkalender.h"
#include "tmain.h"
#include "updowncontrol.h"
#include "window_fixture.h"

namespace {

const QByteArray kGeneration = "[Global]\r\nAutoBuchung=1\r\n";
const QByteArray kEmployee =
    window_test::Section("0007", "Anna Berg", "1111100",
                         {"07:30", "08:00", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"});

const QString kTooLong = QStringLiteral("Zeitraum darf nicht größer als 31 Tage sein!");
const QString kInvalid = QStringLiteral("Bitte gültigen Zeitraum eingeben!");

// The lines of a file, each of which must end with CR LF.
QList<QByteArray> CrLfLines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r')) {
            return {};  // a line without its CR
        }
        line.chop(1);
    }
    return lines;
}

// The month file of February 2008 as the program writes it, with 04.02.2008
// booked from 07:30 to 16:00 with half an hour's break.
QList<QByteArray> FebruaryLines() {
    QList<QByteArray> lines = {";0007        Anna Berg", "",
                               ";Datum;Kommt;Pause;Pause;Geht;Tag;Summe;"};
    const char* weekdays[] = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    for (int day = 1; day <= 29; ++day) {
        const QByteArray weekday = weekdays[(day + 4) % 7];  // 01.02.2008 was a Friday
        const QByteArray date = QByteArray::number(day).rightJustified(2, '0') + ".02.2008";
        if (day == 4) {
            lines << "Mo;04.02.2008;07:30;12:00;12:30;16:00;08:00;8:00;";
        } else {
            lines << weekday + ';' + date + ";;;;;00:00;" + (day < 4 ? "0:00" : "8:00") + ';';
        }
    }
    lines << ""
          << ";;;;;;Summe:;8:00 ;"
          << ""
          << ""
          << "Kolvaro Zeiterfassung - www.kolvaro.de";
    return lines;
}

QByteArray Joined(const QList<QByteArray>& lines, const QByteArray& end = "\r\n") {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += line + end;
    }
    return bytes;
}

// Lets this process act as the unprivileged user 65534 for the file system
// (root ignores permission bits), and act as root again when left.
class UnprivilegedUser {
  public:
    ~UnprivilegedUser() { Leave(); }
    bool Become() {
        active_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
        return active_;
    }
    void Leave() {
        if (active_) {
            active_ = false;
            if (::seteuid(0) != 0 || ::setegid(0) != 0) {
                qFatal("could not become root again");
            }
        }
    }

  private:
    bool active_ = false;
};

}  // namespace

class PeriodGridTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;
    TKalender* kalender = nullptr;  // owned by the window
    QString programDir;
    QString mounted;  // a tmpfs a test mounted, taken down afterwards

    QString MonthFile(const char* name = "0007_022008.csv") const {
        return programDir + u'/' + QLatin1String(name);
    }

    static QByteArray Read(const QString& path) { return window_test::Read(path); }

    static void Write(const QString& path, const QByteArray& bytes) {
        QVERIFY(window_test::Write(path, bytes));
    }

    // The window started in `folder` (the temporary folder by default) with
    // this settings file, shown and active, with its calendar picker.
    void Start(const QByteArray& ini, const QString& folder = QString()) {
        programDir = folder.isEmpty() ? dir->path() : folder;
        window_test::Start(main, programDir, ini, &kalender);
    }

    // Picks a date with the calendar picker that the button opens.
    void Pick(QPushButton* button, int day, int month, int year) {
        bool picked = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(kalender->isVisible());
            // The picker opens where the button is.
            QCOMPARE(kalender->pos(), main->pos() + main->Panel1->pos() + button->pos());
            kalender->ShowMonthOf(month, year);
            for (int i = 0; i < 42; ++i) {
                QLabel* label = kalender->DayLabel(i / 7, i % 7);
                if (!label->isHidden() && label->text() == QString::number(day)) {
                    QTest::mouseDClick(label, Qt::LeftButton);
                    picked = true;
                    return;
                }
            }
            kalender->reject();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(picked);
        QVERIFY(kalender->isHidden());
        BackToMain();
    }

    void PickPeriod(const QString& start, const QString& end) {
        const auto pick = [this](QPushButton* button, const QString& date) {
            Pick(button, date.left(2).toInt(), date.mid(3, 2).toInt(), date.mid(6).toInt());
        };
        pick(main->btnVon, start);
        pick(main->btnBis, end);
    }

    // Types into whatever holds the focus, one key at a time, as a user does.
    static void Type(const QString& keys) {
        for (const QChar key : keys) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus != nullptr);
            QTest::keyClick(focus, key.toLatin1());
        }
    }

    static void PressEnter() {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        QTest::keyClick(focus, Qt::Key_Return);
    }

    void GoTo(int row, int column) {
        main->Grid->setFocus(Qt::OtherFocusReason);
        main->Grid->setCurrentCell(row, column);
    }

    // A time typed on a cell and ended with Enter.
    void EnterTime(int row, int column, const QString& digits) {
        GoTo(row, column);
        Type(digits);
        PressEnter();
    }

    // As the window system delivers it: a click, then the double click.
    void DoubleClick(const QPoint& at) {
        QTest::mouseClick(main->Grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(main->Grid->viewport(), Qt::LeftButton, {}, at);
    }

    QString Cell(int row, int column) const { return TMain::CellText(main->Grid, row, column); }

    QStringList DayLine(int row) const {
        QStringList cells;
        for (int column = 0; column < 6; ++column) {
            cells << Cell(row, column);
        }
        return cells;
    }

    // Every cell of the booking grid and the total panel.
    QStringList Snapshot() const {
        QStringList cells;
        for (int row = 0; row < main->Grid->rowCount(); ++row) {
            cells << DayLine(row).join(u'|');
        }
        cells << main->lbStunden->text();
        return cells;
    }

    QStringList MonthFiles() const {
        return QDir(programDir).entryList({QStringLiteral("*.csv")}, QDir::Files);
    }

    // Mounts a small tmpfs for the program directory; false where mounting is refused.
    bool MountTmpfs(const QString& path) {
        QDir().mkpath(path);
        if (::mount("tmpfs", path.toLocal8Bit().constData(), "tmpfs", 0, "size=1m") != 0) {
            return false;
        }
        mounted = path;
        return true;
    }

    // Opens the calendar with `button` and closes it with Escape.
    void CloseWithoutChoice(QPushButton* button) {
        QTimer::singleShot(0, this, [this] { QTest::keyClick(kalender, Qt::Key_Escape); });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(kalender->isHidden());
        BackToMain();
    }

    // Without a window manager nobody gives the main window back its
    // activation when the picker closes.
    void BackToMain() {
        QApplication::setActiveWindow(main.get());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<ScriptedDialogs>();
        // "Today" is 15.03.2008, so journal mode starts on March 2008.
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 15, 9, 30); });
    }

    void cleanup() {
        main.reset();
        QDir::setCurrent(QDir::tempPath());
        if (!mounted.isEmpty()) {
            ::umount2(mounted.toLocal8Bit().constData(), MNT_DETACH);
            mounted.clear();
        }
        QVERIFY(!dialogs->unanswered);
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void journalDayIsTypedSavedAndRestored() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("01.02.2008"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("29.02.2008"));
        QCOMPARE(main->Grid->rowCount(), 30);
        QCOMPARE(TMain::CellText(main->GridDatum, 4, 0), QStringLiteral("Mo"));
        QVERIFY(MonthFiles().isEmpty());  // showing a month writes nothing

        // The first digit opens the editor over the cell.
        GoTo(4, 0);
        Type(QStringLiteral("0"));
        QVERIFY(main->meGridEdit->isVisible());
        QVERIFY(main->meGridEdit->hasFocus());
        QCOMPARE(main->meGridEdit->text(), QStringLiteral("0 :  "));
        QCOMPARE(main->meGridEdit->cursorPosition(), 1);
        const QModelIndex index = main->Grid->model()->index(4, 0);
        const QPoint cell =
            main->Grid->viewport()->mapTo(main->Panel1, main->Grid->visualRect(index).topLeft());
        QCOMPARE(main->meGridEdit->geometry(), QRect(cell, QSize(38, 16)));
        Type(QStringLiteral("730"));
        PressEnter();
        QVERIFY(main->meGridEdit->isHidden());
        QCOMPARE(QApplication::focusWidget(), main->Grid);
        QCOMPARE(main->Grid->currentColumn(), 1);
        QCOMPARE(main->Grid->currentRow(), 4);
        QVERIFY(MonthFiles().contains(QStringLiteral("0007_022008.csv")));

        // The rest of the day: each time ended with Enter, as a user goes on.
        Type(QStringLiteral("1200"));
        PressEnter();
        Type(QStringLiteral("1230"));
        PressEnter();
        Type(QStringLiteral("1600"));
        PressEnter();
        QCOMPARE(main->Grid->currentColumn(), 0);
        QCOMPARE(main->Grid->currentRow(), 5);
        QCOMPARE(DayLine(4), QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"}));
        QCOMPARE(DayLine(1), QStringList({"", "", "", "", "00:00", "0:00"}));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("8:00 "));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());

        const QByteArray bytes = Read(MonthFile());
        const QList<QByteArray> lines = CrLfLines(bytes);
        QCOMPARE(lines.size(), 37);
        QCOMPARE(bytes, Joined(FebruaryLines()));
        QCOMPARE(lines[6], QByteArray("Mo;04.02.2008;07:30;12:00;12:30;16:00;08:00;8:00;"));
        QCOMPARE(lines[33], QByteArray(";;;;;;Summe:;8:00 ;"));

        // Another month shows its own (empty) lines; coming back restores all.
        const QStringList before = Snapshot();
        main->cbxMonat->setCurrentIndex(2);
        QCOMPARE(Cell(4, 0), QString());
        QCOMPARE(main->lbStunden->text(), QStringLiteral("0:00 "));
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(Snapshot(), before);
        QCOMPARE(Read(MonthFile()), bytes);  // loading wrote nothing
    }

    void changingTheYearWhileTypingDropsTheTime() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray saved = Read(MonthFile());
        GoTo(5, 0);
        Type(QStringLiteral("0815"));
        QVERIFY(main->meGridEdit->isVisible());
        // The arrows take no focus: the editor is still open when the year changes.
        QTest::mouseClick(main->UpDown->upButton(), Qt::LeftButton);
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("28.02.2009"));
        QVERIFY(main->meGridEdit->isHidden());
        QCOMPARE(Cell(5, 0), QString());
        QCOMPARE(MonthFiles(), QStringList(QStringLiteral("0007_022008.csv")));
        QCOMPARE(Read(MonthFile()), saved);
    }

    void enterWalksTheDayAndStopsOnTheLastCell() {
        Start(kEmployee);  // March 2008: 31 days
        EnterTime(31, 3, QStringLiteral("1700"));
        QCOMPARE(main->Grid->currentRow(), 31);
        QCOMPARE(main->Grid->currentColumn(), 3);
        EnterTime(2, 3, QStringLiteral("1700"));
        QCOMPARE(main->Grid->currentRow(), 3);
        QCOMPARE(main->Grid->currentColumn(), 0);
    }

    void periodRule_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");  // RowCount afterwards

        QTest::newRow("March, 31 days") << "01.03.2008"
                                        << "31.03.2008" << QString() << 32;
        QTest::newRow("January, n = 30") << "01.01.2008"
                                         << "31.01.2008" << QString() << 32;
        QTest::newRow("one day") << "05.03.2008"
                                 << "05.03.2008" << QString() << 2;
        QTest::newRow("32 days") << "01.01.2008"
                                 << "01.02.2008" << kTooLong << 2;
        QTest::newRow("end before start") << "10.03.2008"
                                          << "09.03.2008" << kInvalid << 2;
    }

    void periodRule() {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, message);
        QFETCH(int, rows);

        Start(kGeneration + kEmployee);
        // First the one-day period of the start date: the actions come on.
        PickPeriod(start, start);
        QCOMPARE(main->Grid->rowCount(), 2);
        QVERIFY(main->Grid->isEnabled());
        QVERIFY(main->btnBuchungenErzeugen->isEnabled());
        QVERIFY(!main->btnExport->isEnabled());  // only a generation enables it
        main->btnExport->setEnabled(true);       // as after a generation
        QVERIFY(dialogs->messages.isEmpty());

        Pick(main->btnBis, end.left(2).toInt(), end.mid(3, 2).toInt(), end.mid(6).toInt());
        QCOMPARE(main->edDatumBis->text(), end);
        QCOMPARE(dialogs->messages, message.isEmpty() ? QStringList() : QStringList(message));
        QCOMPARE(main->Grid->rowCount(), rows);
        QCOMPARE(main->GridDatum->rowCount(), rows);
        const bool accepted = message.isEmpty();
        QCOMPARE(main->Grid->isEnabled(), accepted);
        QCOMPARE(main->btnBuchungenErzeugen->isEnabled(), accepted);
        QCOMPARE(main->btnDrucken->isEnabled(), accepted);
        QCOMPARE(main->btnExport->isEnabled(), accepted);  // left alone when accepted
        if (accepted) {
            QCOMPARE(TMain::CellText(main->GridDatum, 1, 1), start);
            QCOMPARE(TMain::CellText(main->GridDatum, rows - 1, 1), end);
        } else {
            QCOMPARE(TMain::CellText(main->GridDatum, 1, 1), QString());
        }
        QVERIFY(MonthFiles().isEmpty());
    }

    void weekendLinesOfMarch2008() {
        Start(kGeneration + kEmployee);
        PickPeriod(QStringLiteral("01.03.2008"), QStringLiteral("31.03.2008"));
        QCOMPARE(TMain::CellText(main->GridDatum, 1, 0), QStringLiteral("Sa"));
        QCOMPARE(TMain::CellText(main->GridDatum, 2, 0), QStringLiteral("So"));
        QCOMPARE(TMain::CellText(main->GridDatum, 3, 0), QStringLiteral("Mo"));
        QCOMPARE(TMain::CellText(main->GridDatum, 31, 1), QStringLiteral("31.03.2008"));
    }

    void onlyTheStartDateOrNoChoiceChangesNothingElse() {
        Start(kGeneration + kEmployee);
        Pick(main->btnVon, 3, 3, 2008);
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("03.03.2008"));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(!main->btnBuchungenErzeugen->isEnabled());
        QVERIFY(!main->Grid->isEnabled());
        QCOMPARE(TMain::CellText(main->GridDatum, 1, 1), QString());

        Pick(main->btnBis, 4, 3, 2008);
        QCOMPARE(main->Grid->rowCount(), 3);
        CloseWithoutChoice(main->btnVon);
        CloseWithoutChoice(main->btnBis);
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("03.03.2008"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("04.03.2008"));
        QCOMPARE(TMain::CellText(main->GridDatum, 2, 1), QStringLiteral("04.03.2008"));
        QVERIFY(main->Grid->isEnabled());
        QVERIFY(dialogs->messages.isEmpty());
    }

    void deleteEmptiesTimeCellsOnly() {
        Start(kGeneration + kEmployee);
        PickPeriod(QStringLiteral("04.02.2008"), QStringLiteral("08.02.2008"));
        EnterTime(1, 0, QStringLiteral("0730"));
        Type(QStringLiteral("1200"));
        PressEnter();
        Type(QStringLiteral("1230"));
        PressEnter();
        Type(QStringLiteral("1600"));
        PressEnter();
        QCOMPARE(DayLine(1), QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"}));

        // Delete on "Tag", "Summe" and the headings does nothing.
        for (const auto& [row, column] : {std::pair{1, 4}, std::pair{1, 5}, std::pair{0, 1}}) {
            GoTo(row, column);
            QTest::keyClick(main->Grid, Qt::Key_Delete);
            QCOMPARE(DayLine(1),
                     QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"}));
        }
        // On the second "Pause" it empties the cell; the lone break counts no more.
        GoTo(1, 2);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(DayLine(1), QStringList({"07:30", "12:00", "", "16:00", "08:30", "8:30"}));
        QCOMPARE(Cell(5, 5), QStringLiteral("8:30"));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("8:30 "));
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(MonthFiles().isEmpty());  // generation mode stores nothing
    }

    void rejectedEditKeepsTheCell_data() {
        QTest::addColumn<QString>("keys");
        QTest::newRow("25:00") << "2500";
        QTest::newRow("minutes 60") << "0760";
        QTest::newRow("minutes left blank") << "07";
        QTest::newRow("one digit") << "1";
    }

    void rejectedEditKeepsTheCell() {
        QFETCH(QString, keys);
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray saved = Read(MonthFile());
        EnterTime(4, 0, keys);
        QCOMPARE(Cell(4, 0), QStringLiteral("07:30"));
        QVERIFY(main->meGridEdit->isHidden());
        QCOMPARE(main->Grid->currentColumn(), 1);  // Enter still moves on
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());
        QCOMPARE(Read(MonthFile()), saved);
    }

    void doubleClickEditsTheCellTextAndLettersOpenNothing() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 1, QStringLiteral("1200"));

        GoTo(4, 1);
        Type(QStringLiteral("x"));
        QVERIFY(main->meGridEdit->isHidden());
        QCOMPARE(Cell(4, 1), QStringLiteral("12:00"));

        // A double click opens the editor on the cell's text, caret first.
        const QRect rect = main->Grid->visualRect(main->Grid->model()->index(4, 1));
        DoubleClick(rect.center());
        QVERIFY(main->meGridEdit->isVisible());
        QCOMPARE(main->meGridEdit->text(), QStringLiteral("12:00"));
        QCOMPARE(main->meGridEdit->cursorPosition(), 0);
        Type(QStringLiteral("13"));
        // Leaving by a click elsewhere accepts the text too; the focus stays there.
        main->edName->setFocus(Qt::MouseFocusReason);
        QVERIFY(main->meGridEdit->isHidden());
        QCOMPARE(QApplication::focusWidget(), main->edName);
        QCOMPARE(Cell(4, 1), QStringLiteral("13:00"));
        QCOMPARE(Cell(4, 4), QStringLiteral("00:00"));

        // Not on "Tag": no editor.
        const QRect tag = main->Grid->visualRect(main->Grid->model()->index(4, 4));
        DoubleClick(tag.center());
        QVERIFY(main->meGridEdit->isHidden());
    }

    void failedWriteIsReportedAfterAnEditAndAfterDelete_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only month file") << QStringLiteral("file");
        QTest::newRow("read-only file system") << QStringLiteral("mount");
        QTest::newRow("vanished folder") << QStringLiteral("vanished");
    }

    void failedWriteIsReportedAfterAnEditAndAfterDelete() {
        QFETCH(QString, fault);
        QString folder = dir->filePath(QStringLiteral("kolvaro"));
        if (fault == QLatin1String("mount")) {
            if (!MountTmpfs(folder)) {
                QSKIP(qPrintable(QStringLiteral("mounting a tmpfs was refused: ") +
                                 QString::fromLocal8Bit(std::strerror(errno))));
            }
        } else {
            QVERIFY(QDir().mkpath(folder));
        }
        Start(kEmployee, folder);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray saved = Read(MonthFile());
        QVERIFY(saved.contains("Mo;04.02.2008;07:30;;;;00:00;0:00;"));
        const QString log = MonthFile("0007_022008.log");
        const QByteArray logged = Read(log);

        if (fault == QLatin1String("mount")) {
            QCOMPARE(::mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs",
                             MS_REMOUNT | MS_RDONLY, "size=1m"),
                     0);
        } else if (fault == QLatin1String("file")) {
            QVERIFY(QFile::setPermissions(MonthFile(), QFile::ReadOwner | QFile::ReadGroup));
        } else {
            QVERIFY(QDir(folder).removeRecursively());
        }
        // Where nothing can be written, the change log is the first to fail;
        // a month file that alone is read-only fails after its line was
        // logged, and the line is taken back.
        const QString message =
            fault == QLatin1String("file")
                ? QStringLiteral("Datei ") + MonthFile() +
                      QStringLiteral(" kann nicht erstellt werden")
                : QStringLiteral("Das Änderungsprotokoll ") + log +
                      QStringLiteral(
                          " kann nicht geschrieben werden. Die Änderung wurde nicht "
                          "gespeichert.");

        // A typed time: the grid shows it, and the user learns that it is not
        // stored once the editor has closed.
        EnterTime(4, 1, QStringLiteral("1145"));
        QCOMPARE(DayLine(4), QStringList({"07:30", "11:45", "", "", "04:15", "4:15"}));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("4:15 "));
        QVERIFY(main->meGridEdit->isHidden());
        QTRY_COMPARE(dialogs->errors, QStringList(message));
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(Read(MonthFile()), fault == QLatin1String("vanished") ? QByteArray() : saved);

        // Delete of the time that was never stored: no change of the file,
        // so nothing to log; rewriting the month fails, reported at once.
        dialogs->errors.clear();
        GoTo(4, 1);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(DayLine(4), QStringList({"07:30", "", "", "", "00:00", "0:00"}));
        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("Datei ") + MonthFile() +
                                              QStringLiteral(" kann nicht erstellt werden")));
        if (fault == QLatin1String("vanished")) {
            QVERIFY(!QFileInfo::exists(folder));  // never made anew
        } else {
            QCOMPARE(Read(MonthFile()), saved);
            QCOMPARE(Read(log), logged);
            QCOMPARE(MonthFiles(), QStringList(QStringLiteral("0007_022008.csv")));
            // No leftovers: the settings file, the month file and its log.
            QCOMPARE(QDir(programDir).entryList(QDir::Files | QDir::Hidden).size(), 3);
        }
        QVERIFY(main->Grid->isEnabled());
    }

    // A month file the user may not read shows as an empty month; a typed
    // time must not replace the days it holds.
    void unreadableMonthFileIsNeverReplaced() {
        const QString folder = dir->filePath(QStringLiteral("kolvaro"));
        QVERIFY(QDir().mkpath(folder));
        const QByteArray stored = Joined(FebruaryLines());
        const QString month = folder + QStringLiteral("/0007_022008.csv");
        Write(month, stored);
        QVERIFY(QFile::setPermissions(month, QFile::WriteOwner));
        UnprivilegedUser user;
        if (::geteuid() == 0) {
            // Root reads every file: the window runs as a user who owns the
            // month file (mode 0200) and may write the folder.
            QCOMPARE(::chmod(dir->path().toLocal8Bit().constData(), 0755), 0);
            QCOMPARE(::chmod(folder.toLocal8Bit().constData(), 0777), 0);
            QCOMPARE(::chown(month.toLocal8Bit().constData(), 65534, 65534), 0);
            QVERIFY(user.Become());
        }
        Start(kEmployee, folder);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(Cell(4, 0), QString());  // nothing could be read
        // The empty month is explained, not taken for a month without bookings.
        QTRY_COMPARE(dialogs->messages,
                     QStringList(QStringLiteral("Die Monatsdatei ") + month +
                                 QStringLiteral(" kann nicht gelesen werden. Der Monat wird leer "
                                                "angezeigt, und eine Änderung wird nicht "
                                                "gespeichert, solange die Datei nicht gelesen "
                                                "werden kann.")));

        EnterTime(6, 0, QStringLiteral("0800"));
        QCOMPARE(Cell(6, 0), QStringLiteral("08:00"));
        const QString message = QStringLiteral("Die Datei ") + month +
                                QStringLiteral(
                                    " kann nicht gelesen werden und wird deshalb "
                                    "nicht überschrieben.");
        QTRY_COMPARE(dialogs->errors, QStringList(message));
        GoTo(6, 0);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(dialogs->errors, QStringList({message, message}));

        // Once it can be read again, the change goes into the file as it is:
        // the empty month shown is not written over its days.
        user.Leave();
        QCOMPARE(Read(month), stored);
        QVERIFY(QFile::setPermissions(month, QFile::ReadOwner | QFile::WriteOwner));
        EnterTime(7, 0, QStringLiteral("0800"));
        QCOMPARE(DayLine(4), QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"}));
        QCOMPARE(Cell(7, 0), QStringLiteral("08:00"));
        const QList<QByteArray> lines = CrLfLines(Read(month));
        QCOMPARE(lines.size(), 37);
        QCOMPARE(lines[6], QByteArray("Mo;04.02.2008;07:30;12:00;12:30;16:00;08:00;8:00;"));
        QCOMPARE(lines[9], QByteArray("Do;07.02.2008;08:00;;;;00:00;8:00;"));
        QCOMPARE(dialogs->errors.size(), 2);
        // The settings file, the month file and its change log.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // Another program (a second Kolvaro on the shared folder) writes other
    // days of the same month meanwhile: every change here goes into the file
    // as it is then, and the grid shows the month as written.
    void changesOfAnotherProgramStayAndShow() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(20, 0, QStringLiteral("0800"));

        // The other program types 09:00 on the 21st, and changes the 20th.
        QList<QByteArray> lines = CrLfLines(Read(MonthFile()));
        QCOMPARE(lines.size(), 37);
        lines[23] = "Do;21.02.2008;09:00;;;17:00;08:00;16:00;";
        Write(MonthFile(), Joined(lines));
        EnterTime(20, 3, QStringLiteral("1600"));
        QCOMPARE(DayLine(21), QStringList({"09:00", "", "", "17:00", "08:00", "16:00"}));
        QCOMPARE(DayLine(20), QStringList({"08:00", "", "", "16:00", "08:00", "8:00"}));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("16:00 "));

        // The same cell changed by both: the later change wins.
        lines = CrLfLines(Read(MonthFile()));
        lines[22] = "Mi;20.02.2008;06:00;;;16:00;10:00;10:00;";
        Write(MonthFile(), Joined(lines));
        EnterTime(20, 0, QStringLiteral("0700"));
        QCOMPARE(Cell(20, 0), QStringLiteral("07:00"));
        // A deletion takes away the one cell only.
        GoTo(20, 3);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        lines = CrLfLines(Read(MonthFile()));
        QCOMPARE(lines[22], QByteArray("Mi;20.02.2008;07:00;;;;00:00;0:00;"));
        QCOMPARE(lines[23], QByteArray("Do;21.02.2008;09:00;;;17:00;08:00;8:00;"));
        QCOMPARE(DayLine(21), QStringList({"09:00", "", "", "17:00", "08:00", "8:00"}));
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(MonthFiles(), QStringList(QStringLiteral("0007_022008.csv")));
    }

    // Saved back by a spreadsheet with its own separator, line ends and
    // padding: the days are read, and the first change keeps the original
    // beside the file, says so once, and writes a clean file.
    void spreadsheetSavedMonthFileIsReadAndKept() {
        QByteArray saved;
        for (const QByteArray& line : FebruaryLines()) {
            QList<QByteArray> fields = line.split(';');
            if (line.endsWith(';')) {
                fields.removeLast();
            }
            while (fields.size() < 8) {
                fields << QByteArray();
            }
            saved += fields.join(',') + '\n';
        }
        Write(dir->filePath(QStringLiteral("0007_022008.csv")), saved);
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(DayLine(4), QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"}));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("8:00 "));

        EnterTime(5, 0, QStringLiteral("0800"));
        const QString copy = MonthFile() + QStringLiteral(".bak");
        QTRY_COMPARE(dialogs->messages,
                     QStringList(QStringLiteral("Die Monatsdatei ") + MonthFile() +
                                 QStringLiteral(" war von einem anderen Programm in einer Form "
                                                "gespeichert, die Kolvaro nicht unverändert "
                                                "zurückschreiben kann. Die ursprüngliche Datei "
                                                "wurde als ") +
                                 copy + QStringLiteral(" aufbewahrt.")));
        QCOMPARE(Read(copy), saved);
        QList<QByteArray> expected = FebruaryLines();
        expected[7] = "Di;05.02.2008;08:00;;;;00:00;8:00;";
        QCOMPARE(Read(MonthFile()), Joined(expected));

        EnterTime(5, 3, QStringLiteral("1600"));
        QTest::qWait(10);
        QCOMPARE(dialogs->messages.size(), 1);  // said once
        QCOMPARE(Read(copy), saved);
        QVERIFY(dialogs->errors.isEmpty());
    }

    // A pipe named like the month file: showing the month does not wait for
    // a writer, and a typed time is refused as for any unreadable file.
    void pipeAsMonthFileNeitherHangsNorIsReplaced() {
        const FifoWatchdog pipe(dir->filePath(QStringLiteral("0007_022008.csv")).toStdString());
        QVERIFY(pipe.Made());
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(Cell(4, 0), QString());
        EnterTime(4, 0, QStringLiteral("0730"));
        QTRY_COMPARE(dialogs->errors,
                     QStringList(QStringLiteral("Die Datei ") + MonthFile() +
                                 QStringLiteral(" kann nicht gelesen werden und wird deshalb "
                                                "nicht überschrieben.")));
        QVERIFY(!pipe.Fired());
        QVERIFY(pipe.StillAPipe());
    }

    // On a first start there is nobody whose month could be stored; after
    // "neuer Mitarbeiter" the emptied grid belongs to nobody either.
    void withoutAnEmployeeTheGridTakesNoInput() {
        const QString ask = QStringLiteral("Bitte zuerst einen Mitarbeiter anlegen und auswählen.");
        for (const QByteArray& ini : {QByteArray(""), kEmployee}) {
            Start(ini);
            main->cbxMonat->setCurrentIndex(1);
            if (!ini.isEmpty()) {
                EnterTime(4, 0, QStringLiteral("0730"));
                QTest::mouseClick(main->btnNeu, Qt::LeftButton);
                QCOMPARE(main->edNummer->text(), QStringLiteral("0001"));
                QCOMPARE(Cell(4, 0), QString());
            }
            const QStringList files = MonthFiles();
            const QByteArray before = Read(MonthFile());
            dialogs->messages.clear();
            GoTo(4, 0);
            Type(QStringLiteral("0"));
            QVERIFY(main->meGridEdit->isHidden());
            QCOMPARE(dialogs->messages, QStringList(ask));
            DoubleClick(main->Grid->visualRect(main->Grid->model()->index(4, 1)).center());
            QVERIFY(main->meGridEdit->isHidden());
            QTest::keyClick(main->Grid, Qt::Key_Delete);
            QCOMPARE(dialogs->messages, QStringList({ask, ask, ask}));
            QCOMPARE(DayLine(4).mid(0, 4), QStringList(4, QString()));
            QCOMPARE(MonthFiles(), files);
            QCOMPARE(Read(MonthFile()), before);
            QVERIFY(dialogs->errors.isEmpty());
            main.reset();
            QFile::remove(MonthFile());
        }
    }

    // While the number field is being changed, an edit still goes to the
    // month of the employee the grid was loaded for.
    void anEditWritesTheMonthOfTheEmployeeShown() {
        QByteArray second = kEmployee;
        second.replace("0007", "0012").replace("Anna Berg", "Karl Ott");
        Write(dir->filePath(QStringLiteral("0012_022008.csv")), "0012's month\r\n");
        Start(kEmployee + second);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0007"));
        main->edNummer->setFocus(Qt::MouseFocusReason);
        main->edNummer->selectAll();
        QTest::keyClicks(main->edNummer, QStringLiteral("0012"));
        QCOMPARE(main->edNummer->text(), QStringLiteral("0012"));
        QVERIFY(main->btnSpeichern->isEnabled());

        EnterTime(4, 0, QStringLiteral("0730"));
        QCOMPARE(Read(MonthFile("0012_022008.csv")), QByteArray("0012's month\r\n"));
        QVERIFY(Read(MonthFile()).startsWith(";0007        Anna Berg\r\n"));
        QVERIFY(Read(MonthFile()).contains("Mo;04.02.2008;07:30;"));
        // Another month, loaded while the field holds the other number, is still this one's.
        main->cbxMonat->setCurrentIndex(2);
        EnterTime(3, 0, QStringLiteral("0730"));
        QVERIFY(Read(MonthFile("0007_032008.csv")).contains("Mo;03.03.2008;07:30;"));
        QCOMPARE(MonthFiles(),
                 QStringList({"0007_022008.csv", "0007_032008.csv", "0012_022008.csv"}));
        QVERIFY(dialogs->errors.isEmpty());
    }

    // In journal mode the month panel covers the dates; none of them may be
    // reached by Tab or a click, nor, in generation mode, the month controls.
    void controlsOfTheOtherModeAreOutOfReach() {
        for (const bool generation : {false, true}) {
            Start(generation ? kGeneration + kEmployee : kEmployee);
            const QList<QWidget*> hidden =
                generation
                    ? QList<QWidget*>{main->cbxMonat, main->edJahr, main->UpDown, main->btnDrucken}
                    : QList<QWidget*>{main->edDatumVon, main->edDatumBis, main->btnVon,
                                      main->btnBis, main->btnBuchungenErzeugen};
            for (QWidget* widget : hidden) {
                QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
            }
            // The whole Tab tour of the window.
            QSet<QWidget*> reached;
            main->edNummer->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 80 && QApplication::focusWidget() != main->Grid; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                reached.insert(QApplication::focusWidget());
            }
            for (QWidget* widget : hidden) {
                QVERIFY2(!reached.contains(widget), qPrintable(widget->objectName()));
                for (QWidget* child : widget->findChildren<QWidget*>()) {
                    QVERIFY2(!reached.contains(child), qPrintable(widget->objectName()));
                }
            }
            main.reset();
        }
    }

    // A file that lost its last lines keeps its last days, and the next edit
    // writes them back.
    void cutMonthFileKeepsItsLastDays() {
        QList<QByteArray> lines = FebruaryLines();
        lines[31] = "Fr;29.02.2008;07:30;12:00;12:30;16:00;08:00;16:00;";
        Write(dir->filePath(QStringLiteral("0007_022008.csv")), Joined(lines.mid(0, 32)));
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(DayLine(29), QStringList({"07:30", "12:00", "12:30", "16:00", "08:00", "16:00"}));
        QCOMPARE(Cell(25, 0), QString());
        EnterTime(6, 0, QStringLiteral("0800"));
        const QList<QByteArray> written = CrLfLines(Read(MonthFile()));
        QCOMPARE(written.size(), 37);
        QCOMPARE(written[31], QByteArray("Fr;29.02.2008;07:30;12:00;12:30;16:00;08:00;16:00;"));
        QCOMPARE(written[6], QByteArray("Mo;04.02.2008;07:30;12:00;12:30;16:00;08:00;8:00;"));
    }

    void withoutSelectedEmployeeTheDeleteReportsTheList() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));
        {
            // The list loses its choice while the editor still shows the employee.
            const QSignalBlocker quiet(main->lstMitarbeiter);
            main->lstMitarbeiter->setCurrentRow(-1);
        }
        QCOMPARE(Cell(4, 0), QStringLiteral("07:30"));
        GoTo(4, 0);
        const QByteArray saved = Read(MonthFile());
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(dialogs->errors,
                 QStringList(QStringLiteral("Listenindex außerhalb des zulässigen Bereichs")));
        QCOMPARE(Cell(4, 0), QString());
        QCOMPARE(Read(MonthFile()), saved);
    }

    void damagedMonthFileLoadsAsFarAsItCan_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("kommt");  // Kommt of 04.02.2008 afterwards
        QTest::addColumn<QString>("total");  // the total panel afterwards

        const QList<QByteArray> good = FebruaryLines();
        QTest::newRow("as written") << Joined(good) << "07:30"
                                    << "8:00 ";
        QTest::newRow("lone LF") << Joined(good, "\n") << "07:30"
                                 << "8:00 ";
        QTest::newRow("lone CR") << Joined(good, "\r") << "07:30"
                                 << "8:00 ";
        QTest::newRow("empty file") << QByteArray() << ""
                                    << "0:00 ";

        QList<QByteArray> shorter = good;
        shorter.removeLast();
        shorter.removeLast();  // the summary is now looked for on a day line
        QTest::newRow("two lines missing at the end") << Joined(shorter) << "07:30"
                                                      << "8:00 ";

        QList<QByteArray> longer = good;
        for (int i = 0; i < 40; ++i) {
            longer.insert(32, "Sa;01.03.2008;01:00;02:00;03:00;04:00;02:00;2:00;");
        }
        QTest::newRow("more day lines than the grid") << Joined(longer) << "07:30"
                                                      << "8:00 ";

        QList<QByteArray> extra = good;
        extra[6] += "09:00;garbage;;;";
        QTest::newRow("extra fields") << Joined(extra) << "07:30"
                                      << "8:00 ";

        QList<QByteArray> unterminated = good;
        unterminated[6] = "Mo;04.02.2008;07:30;12:00";
        QTest::newRow("line cut short") << Joined(unterminated) << "07:30"
                                        << "4:30 ";  // from the times, not the stored "Summe"

        QList<QByteArray> otherYear = good;
        for (QByteArray& line : otherYear) {
            line.replace(".02.2008", ".02.2009");
        }
        QTest::newRow("another year") << Joined(otherYear) << ""
                                      << "0:00 ";

        QList<QByteArray> huge = good;
        huge[1] = QByteArray(1 << 20, 'x');
        huge[7] = "Di;05.02.2008;" + QByteArray(1 << 20, '9') + ";;;;00:00;8:00;";
        QTest::newRow("1 MB lines") << Joined(huge) << "07:30"
                                    << "8:00 ";

        QTest::newRow("only the heading lines") << Joined(good.mid(0, 3)) << ""
                                                << "0:00 ";

        std::mt19937 random(7);
        QByteArray noise;
        const char alphabet[] = ";;;\r\n0123456789:.MoDiSa\xe4\x81\x00";
        for (int i = 0; i < 20000; ++i) {
            noise += alphabet[random() % (sizeof alphabet)];
        }
        QTest::newRow("random bytes") << noise << "?"
                                      << "?";
    }

    void damagedMonthFileLoadsAsFarAsItCan() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, kommt);
        QFETCH(QString, total);
        Write(dir->filePath(QStringLiteral("0007_022008.csv")), bytes);
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(main->Grid->rowCount(), 30);
        if (kommt != QStringLiteral("?")) {
            QCOMPARE(Cell(4, 0), kommt);
            QCOMPARE(main->lbStunden->text(), total);
        }
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());
        // Drawn and still editable.
        main->repaint();
        EnterTime(6, 0, QStringLiteral("0800"));
        QCOMPARE(Cell(6, 0), QStringLiteral("08:00"));
        QCOMPARE(CrLfLines(Read(MonthFile())).size(), 37);
    }

    // However the user comes into the grid or walks in it, the headings never
    // become the current row, and a typed digit always opens the editor on a day.
    void headingRowIsNeverCurrent_data() {
        QTest::addColumn<int>("fromRow");  // -1: no current cell yet
        QTest::addColumn<int>("fromColumn");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");

        QTest::newRow("Tab into the grid") << -1 << -1 << "tab in" << 1 << 0;
        QTest::newRow("click into the grid") << -1 << -1 << "click 3,2" << 3 << 2;
        QTest::newRow("click on a heading") << 5 << 1 << "click 0,2" << 5 << 1;
        QTest::newRow("Up from the first day") << 1 << 2 << "Up" << 1 << 2;
        QTest::newRow("Page Up") << 20 << 3 << "PgUp" << 1 << 3;
        QTest::newRow("Ctrl+Home") << 12 << 4 << "Ctrl+Home" << 1 << 0;
        QTest::newRow("Shift+Tab on the first day wraps") << 1 << 0 << "Backtab" << 31 << 5;
        QTest::newRow("Tab on the last cell") << 31 << 5 << "Tab" << 31 << 5;
    }

    void headingRowIsNeverCurrent() {
        QFETCH(int, fromRow);
        QFETCH(int, fromColumn);
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(int, column);
        Start(kEmployee);  // March 2008: 31 days
        QTableWidget* grid = main->Grid;
        QCOMPARE(Cell(0, 0), QStringLiteral("Kommt"));
        if (fromRow >= 0) {
            GoTo(fromRow, fromColumn);
        } else {
            QCOMPARE(grid->currentRow(), -1);
        }
        const auto cellCentre = [&](int r, int c) {
            return grid->visualRect(grid->model()->index(r, c)).center();
        };
        if (action == QStringLiteral("tab in")) {
            // Tab from the control before the grid, as a user walks the window.
            QWidget* before = grid->previousInFocusChain();
            while (!before->isEnabled() || !before->isVisible() ||
                   !(before->focusPolicy() & Qt::TabFocus)) {
                before = before->previousInFocusChain();
            }
            before->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(before, Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), grid);
        } else if (action.startsWith(QStringLiteral("click "))) {
            const QStringList at = action.mid(6).split(u',');
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              cellCentre(at[0].toInt(), at[1].toInt()));
        } else {
            const QKeySequence keys(action);
            QTest::keyClick(grid, keys[0].key(), keys[0].keyboardModifiers());
        }
        QCOMPARE(grid->currentRow(), row);
        QCOMPARE(grid->currentColumn(), column);
        if (column <= 3) {
            Type(QStringLiteral("0700"));
            QVERIFY(main->meGridEdit->isVisible());
            PressEnter();
            QCOMPARE(Cell(row, column), QStringLiteral("07:00"));
        }
        QCOMPARE(DayLine(0), QStringList({"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}));
    }

    // The current cell carries a frame over the cell's own drawing, so the
    // user sees where the next time goes; the cell keeps its fill.
    void currentCellIsMarked_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QColor>("fill");  // invalid: the platform's selected cell

        QTest::newRow("empty time after Enter") << 4 << 1 << QColor(251, 251, 251);
        QTest::newRow("filled time") << 4 << 0 << QColor();
        QTest::newRow("Tag") << 4 << 4 << QColor(255, 255, 185);
        QTest::newRow("Summe") << 4 << 5 << QColor(255, 255, 0);
        QTest::newRow("Tag of an empty day") << 9 << 4 << QColor(255, 255, 185);
    }

    void currentCellIsMarked() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QColor, fill);
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));  // Enter moves on to (4, 1)
        if (row != 4 || column != 1) {
            GoTo(row, column);
        }
        QCOMPARE(QApplication::focusWidget(), main->Grid);
        const QImage image = main->Grid->viewport()->grab().toImage();
        const QRect rect = main->Grid->visualRect(main->Grid->model()->index(row, column));
        // Just inside the mark, clear of the text.
        const QRgb inside = image.pixel(rect.left() + 2, rect.top() + 2);
        const QColor highlight = main->Grid->palette().color(QPalette::Highlight);
        QCOMPARE(inside, (fill.isValid() ? fill : highlight).rgb());
        // All four edges of the cell carry the mark, distinct from the fill.
        for (const QPoint& edge :
             {QPoint(rect.center().x(), rect.top()), QPoint(rect.center().x(), rect.bottom()),
              QPoint(rect.left(), rect.center().y()), QPoint(rect.right(), rect.center().y())}) {
            const QRgb mark = image.pixel(edge);
            QVERIFY(mark != inside);
            QCOMPARE(mark, CellDrawer::FocusMarkColour(main->Grid->palette()).rgb());
        }
        // The cell beside it is not marked.
        const QRect other = main->Grid->visualRect(main->Grid->model()->index(row + 1, column));
        QCOMPARE(image.pixel(other.left() + 2, other.top()),
                 image.pixel(other.left() + 2, other.top() + 2));
    }

    // Up and Down in the year field step the year as its arrow buttons do,
    // within 2000 to 2099, and show the month file of the new year.
    void yearFieldAnswersTheArrowKeys_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("end");  // the period's end afterwards

        QTest::newRow("Up") << 2008 << int(Qt::Key_Up) << "28.02.2009";
        QTest::newRow("Down") << 2008 << int(Qt::Key_Down) << "28.02.2007";
        QTest::newRow("Up at the top") << 2099 << int(Qt::Key_Up) << "28.02.2099";
        QTest::newRow("Down at the bottom") << 2000 << int(Qt::Key_Down) << "29.02.2000";
        QTest::newRow("other keys") << 2008 << int(Qt::Key_PageUp) << "29.02.2008";
    }

    void yearFieldAnswersTheArrowKeys() {
        QFETCH(int, year);
        QFETCH(int, key);
        QFETCH(QString, end);
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        main->UpDown->setPosition(year);
        QCOMPARE(main->edJahr->text(), QString::number(year));
        // A booking in the month the keys lead to, to see it loaded.
        const QString endYear = end.right(4);
        const char* weekdays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
        const QByteArray weekday = weekdays[QDate(endYear.toInt(), 2, 1).dayOfWeek() - 1];
        Write(programDir + QStringLiteral("/0007_02") + endYear + QStringLiteral(".csv"),
              ";0007        Anna Berg\r\n\r\n;Datum;Kommt;Pause;Pause;Geht;Tag;Summe;\r\n" +
                  weekday + ";01.02." + endYear.toLatin1() +
                  ";06:45;;;;;;\r\n\r\n;;;;;;Summe:;0:00 ;\r\n\r\n\r\nx\r\n");
        main->edJahr->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(main->edJahr, Qt::Key(key));
        QCOMPARE(main->edDatumBis->text(), end);
        QCOMPARE(main->edJahr->text(), endYear);
        QCOMPARE(main->UpDown->position(), endYear.toInt());
        if (endYear.toInt() != year) {
            QCOMPARE(Cell(1, 0), QStringLiteral("06:45"));
        }
        QVERIFY(main->edJahr->hasFocus());
    }

    void cellColoursAndAlignment() {
        Start(kEmployee);
        main->cbxMonat->setCurrentIndex(1);
        EnterTime(4, 0, QStringLiteral("0730"));
        GoTo(10, 3);  // the selection away from the cells looked at
        const QImage grid = main->Grid->viewport()->grab().toImage();
        const auto fill = [&](int row, int column) {
            const QRect rect = main->Grid->visualRect(main->Grid->model()->index(row, column));
            return grid.pixelColor(rect.left() + 1, rect.top() + 1);
        };
        QCOMPARE(fill(1, 0), QColor(251, 251, 251));  // empty
        QCOMPARE(fill(4, 0), main->Grid->palette().color(QPalette::Base));
        QCOMPARE(fill(4, 4), QColor(255, 255, 185));
        QCOMPARE(fill(4, 5), QColor(255, 255, 0));
        QCOMPARE(fill(0, 5), QColor(236, 255, 236));
        QCOMPARE(fill(0, 0), QColor(236, 255, 236));

        // "Summe" of a day line is right-aligned: its text ends near the right
        // edge and leaves the left half of the cell bare.
        const QRect summe = main->Grid->visualRect(main->Grid->model()->index(4, 5));
        int leftmost = summe.right();
        int rightmost = summe.left();
        for (int x = summe.left(); x < summe.left() + 44; ++x) {
            for (int y = summe.top(); y < summe.top() + 16; ++y) {
                if (grid.pixelColor(x, y) != QColor(255, 255, 0)) {
                    leftmost = std::min(leftmost, x);
                    rightmost = std::max(rightmost, x);
                }
            }
        }
        QVERIFY2(rightmost >= summe.left() + 39 && rightmost <= summe.left() + 42,
                 qPrintable(QString::number(rightmost - summe.left())));
        QVERIFY(leftmost > summe.left() + 15);  // centred would start near 11

        // The date grid: weekend lines in red on pale green.
        const QImage dates = main->GridDatum->viewport()->grab().toImage();
        const auto hasRed = [&](int row) {
            const QRect rect = main->GridDatum->visualRect(main->GridDatum->model()->index(row, 1));
            for (int x = rect.left(); x <= rect.right(); ++x) {
                for (int y = rect.top(); y <= rect.bottom(); ++y) {
                    const QColor c = dates.pixelColor(x, y);
                    if (c.red() > 200 && c.green() < 80 && c.blue() < 80) {
                        return true;
                    }
                }
            }
            return false;
        };
        QCOMPARE(TMain::CellText(main->GridDatum, 2, 0), QStringLiteral("Sa"));
        QVERIFY(hasRed(2));
        QVERIFY(hasRed(3));
        QVERIFY(!hasRed(4));
        const QRect monday = main->GridDatum->visualRect(main->GridDatum->model()->index(4, 0));
        QCOMPARE(dates.pixelColor(monday.left() + 1, monday.top() + 1), QColor(236, 255, 236));
    }
};

KOLVARO_UI_TEST_MAIN(PeriodGridTest)
#include "test_period_grid.moc"
