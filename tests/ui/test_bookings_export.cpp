// Generating bookings and exporting them, as a user does it: an employee, a
// period picked in the calendar, "Buchungen erzeugen", a corrected time,
// "Export"; the export file is checked byte for byte against the grid.

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "../fifo_watchdog.h"
#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "maskededit.h"
#include "scripted_dialogs.h"
#include "tkalender.h"
#include "tmain.h"
#include "window_fixture.h"

namespace {

// The employee 0012 works Monday to Friday: arrival 07:00-07:30, break
// 12:00-12:15 to 12:30-12:45, leaving 16:00-16:30.
QByteArray Section(const char* number, const char* name, const char* endeBis = "16:30") {
    return window_test::Section(
        number, name, "1111100",
        {"07:00", "07:30", "12:00", "12:15", "12:30", "12:45", "16:00", endeBis});
}

// One record of the export file, written out field by field.
QByteArray Record(const QString& date, const QString& time, const char* number, int column) {
    QByteArray record(
        "\x18"
        "01\x02"
        "01");
    record += date.mid(0, 2).toLatin1() + date.mid(3, 2).toLatin1() + date.mid(8, 2).toLatin1();
    record += time.mid(0, 2).toLatin1() + time.mid(3, 2).toLatin1() + "00";
    record += number;
    record += (column == 0 || column == 2) ? "00" : "??";
    record += '\x03';
    record += QByteArray(56, ' ');
    return record;
}

using window_test::Read;
using window_test::Write;

// Opens files only when they exist, as the desktop glue does.
class DesktopDialogs : public ScriptedDialogs {
  public:
    bool OpenUrl(const QUrl& url) override {
        ScriptedDialogs::OpenUrl(url);
        return !url.isLocalFile() || QFile::exists(url.toLocalFile());
    }
};

}  // namespace

class BookingsExportTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<DesktopDialogs> dialogs;
    std::unique_ptr<TMain> main;
    TKalender* kalender = nullptr;  // owned by the window

    QString Path(const QString& name) const { return dir->filePath(name); }
    QString ExportDir() const { return Path(QStringLiteral("export")); }

    void Start(const QByteArray& ini) {
        QVERIFY(QDir().mkpath(ExportDir()));
        window_test::Start(main, dir->path(), ini, &kalender);
    }

    QByteArray GenerationIni(const char* endeBis = "16:30") const {
        return "[Global]\r\nAutoBuchung=1\r\n[Export]\r\nPfad=" + ExportDir().toUtf8() + "/\r\n" +
               Section("0005", "Albers") + Section("0012", "Berger", endeBis);
    }

    void ClickEntry(int row) { window_test::ClickEntry(*main, row); }

    // Clicks a calendar button and double-clicks the day in week row `row`,
    // weekday column `column` (Sunday first) of March 2008 in the picker.
    void PickDay(QPushButton* button, int row, int column, const QString& day) {
        bool picked = false;
        QTimer::singleShot(0, this, [&] {
            if (!QTest::qWaitForWindowExposed(kalender)) {
                return;
            }
            kalender->ShowMonthOf(3, 2008);
            QLabel* label = kalender->DayLabel(row, column);
            if (label->text() != day) {
                kalender->reject();
                return;
            }
            QTest::mouseDClick(label, Qt::LeftButton);
            picked = true;
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(picked);
        QVERIFY(kalender->isHidden());
        // The main window is active again once the picker has closed, as on a desktop.
        QApplication::setActiveWindow(main.get());
        QVERIFY(QTest::qWaitForWindowActive(main.get()));
    }

    void ChooseExportDirectory(const QString& entry) {
        dialogs->texts.push_back(entry);
        main->exportierennach1->trigger();
    }

    // What the grid shows, as the export file must hold it.
    QByteArray ExpectedExport(const char* number) const {
        QByteArray bytes;
        for (int row = 1; row < main->Grid->rowCount(); ++row) {
            for (int column = 0; column < 4; ++column) {
                const QString time = TMain::CellText(main->Grid, row, column);
                if (!time.isEmpty()) {
                    bytes += Record(TMain::CellText(main->GridDatum, row, 1), time, number, column);
                }
            }
        }
        return bytes + "\r\n";
    }

    QStringList Row(int row) const {
        QStringList cells;
        for (int column = 0; column < 6; ++column) {
            cells << TMain::CellText(main->Grid, row, column);
        }
        return cells;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<DesktopDialogs>();
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 20, 10, 15, 30); });
    }

    void cleanup() {
        main.reset();
        kalender = nullptr;
        QVERIFY(!dialogs->unanswered);
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void generateCorrectAndExport() {
        Start(GenerationIni());
        QCOMPARE(main->btnExport->contextMenuPolicy(), Qt::CustomContextMenu);
        QVERIFY(!main->btnExport->toolTip().isEmpty());
        ClickEntry(1);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0012"));

        // Monday 03.03.2008 to Friday 14.03.2008; March 2008 starts on a Saturday.
        PickDay(main->btnVon, 1, 1, QStringLiteral("3"));
        PickDay(main->btnBis, 2, 5, QStringLiteral("14"));
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("03.03.2008"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("14.03.2008"));
        QCOMPARE(main->Grid->rowCount(), 13);
        QVERIFY(!main->btnExport->isEnabled());

        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));
        QVERIFY(main->btnExport->isEnabled());
        for (int row = 1; row <= 12; ++row) {
            const QStringList cells = Row(row);
            const QString weekday = TMain::CellText(main->GridDatum, row, 0);
            if (weekday == QLatin1String("Sa") || weekday == QLatin1String("So")) {
                QCOMPARE(cells.mid(0, 4), QStringList(4, QString()));
                QCOMPARE(cells[4], QStringLiteral("00:00"));
                continue;
            }
            QVERIFY2(cells[0] >= QLatin1String("07:00") && cells[0] < QLatin1String("07:30"),
                     qPrintable(cells.join(u' ')));
            QVERIFY(cells[1] >= QLatin1String("12:00") && cells[1] < QLatin1String("12:15"));
            QVERIFY(cells[2] >= QLatin1String("12:30") && cells[2] < QLatin1String("12:45"));
            QVERIFY(cells[3] >= QLatin1String("16:00") && cells[3] < QLatin1String("16:30"));
            QVERIFY(!cells[4].isEmpty());
        }
        QCOMPARE(TMain::CellText(main->Grid, 12, 5) + u' ', main->lbStunden->text());

        // Within the same second the same bookings come out again.
        const QStringList first = Row(1);
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QCOMPARE(Row(1), first);

        // The arrival of the first day corrected with the cell editor.
        const QRect cell = main->Grid->visualItemRect(main->Grid->item(1, 0));
        QTest::mouseClick(main->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(main->Grid->currentRow(), 1);
        QTest::mouseDClick(main->Grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(main->meGridEdit->isVisible());
        QCOMPARE(main->meGridEdit->text(), first[0]);
        QTest::keyClicks(main->meGridEdit, QStringLiteral("0645"));
        QTest::keyClick(main->meGridEdit, Qt::Key_Return);
        QCOMPARE(TMain::CellText(main->Grid, 1, 0), QStringLiteral("06:45"));
        QVERIFY(main->meGridEdit->isHidden());

        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));
        QVERIFY(!main->btnExport->isEnabled());
        const QByteArray bytes = Read(ExportDir() + QStringLiteral("/DADuzo.buc"));
        // Ten working days of four bookings each; no break ever falls on one minute.
        QCOMPARE(bytes.size(), 40 * 81 + 2);
        QCOMPARE(bytes.left(81),
                 Record(QStringLiteral("03.03.2008"), QStringLiteral("06:45"), "0012", 0));
        QCOMPARE(bytes, ExpectedExport("0012"));

        // A new generation for another employee replaces the file as a whole.
        ClickEntry(0);
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QCOMPARE(Read(ExportDir() + QStringLiteral("/DADuzo.buc")), ExpectedExport("0005"));
    }

    void boundThatIsNoTimeStopsTheGeneration() {
        Start(GenerationIni("24:00"));
        ClickEntry(1);
        // Saturday 08.03.2008 to Tuesday 11.03.2008: the weekend draws nothing,
        // Monday stops at its leaving time.
        PickDay(main->btnVon, 1, 6, QStringLiteral("8"));
        PickDay(main->btnBis, 2, 2, QStringLiteral("11"));
        QCOMPARE(main->Grid->rowCount(), 5);

        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("'24:00' ist keine gültige Zeit")));
        QCOMPARE(Row(1), QStringList(6, QString()));
        QCOMPARE(Row(2), QStringList(6, QString()));
        const QStringList monday = Row(3);
        QVERIFY(!monday[0].isEmpty() && !monday[1].isEmpty() && !monday[2].isEmpty());
        QCOMPARE(monday.mid(3), QStringList(3, QString()));
        QCOMPARE(Row(4), QStringList(6, QString()));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("0:00 "));
        QVERIFY(!main->btnExport->isEnabled());
    }

    void exportThatCannotBeWritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << QStringLiteral("missing");
        QTest::newRow("folder in the file's place") << QStringLiteral("folder");
        QTest::newRow("read-only file system") << QStringLiteral("readonly");
        QTest::newRow("pipe in the file's place") << QStringLiteral("pipe");
    }

    void exportThatCannotBeWritten() {
        QFETCH(QString, kind);
        Start(GenerationIni());
        const QString target = Path(QStringLiteral("target"));
        const QString file = target + QStringLiteral("/DADuzo.buc");
        const QByteArray former = "former export\r\n";
        // Unmounted however the test ends, so that the folder can be removed.
        struct Mount {
            QString point;
            ~Mount() {
                if (!point.isEmpty()) {
                    QProcess::execute(QStringLiteral("umount"), {point});
                }
            }
        } mount;
        std::unique_ptr<FifoWatchdog> pipe;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(file));
        } else if (kind == QLatin1String("pipe")) {
            QVERIFY(QDir().mkpath(target));
            pipe = std::make_unique<FifoWatchdog>(file.toStdString());
            QVERIFY(pipe->Made());
        } else if (kind == QLatin1String("readonly")) {
            QVERIFY(QDir().mkpath(target));
            if (QProcess::execute(
                    QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=1m"), QStringLiteral("tmpfs"), target}) != 0) {
                QSKIP("mounting a tmpfs is not allowed here");
            }
            mount.point = target;
            QVERIFY(Write(file, former));
            QCOMPARE(
                QProcess::execute(QStringLiteral("mount"),
                                  {QStringLiteral("-o"), QStringLiteral("remount,ro"), target}),
                0);
        }
        ChooseExportDirectory(target);

        ClickEntry(1);
        main->edDatumVon->setText(QStringLiteral("10.03.2008"));
        main->edDatumBis->setText(QStringLiteral("11.03.2008"));
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        const QStringList first = Row(1);
        QTest::mouseClick(main->btnExport, Qt::LeftButton);

        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("Datei ") + file +
                                              QStringLiteral(" kann nicht erstellt werden")));
        QCOMPARE(Row(1), first);
        if (pipe) {
            QVERIFY(!pipe->Fired());
            QVERIFY(pipe->StillAPipe());
        }
        if (kind == QLatin1String("readonly")) {
            QCOMPARE(Read(file), former);
            QCOMPARE(QDir(target).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                     QStringList(QStringLiteral("DADuzo.buc")));
        }

        // Export stays on: with a folder that works, the same bookings go out
        // without a new generation drawing over them.
        QVERIFY(main->btnExport->isEnabled());
        ChooseExportDirectory(ExportDir());
        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QCOMPARE(dialogs->errors.size(), 1);
        QCOMPARE(Row(1), first);
        QCOMPARE(Read(ExportDir() + QStringLiteral("/DADuzo.buc")), ExpectedExport("0012"));
        QVERIFY(!main->btnExport->isEnabled());  // one export per successful write
    }

    // Bookings drawn from one employee's pattern never go out under another's number.
    void exportKeepsToTheEmployeeDrawnFor() {
        Start(GenerationIni());
        ClickEntry(1);
        main->edDatumVon->setText(QStringLiteral("10.03.2008"));
        main->edDatumBis->setText(QStringLiteral("11.03.2008"));
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QVERIFY(main->btnExport->isEnabled());
        const QByteArray drawn = ExpectedExport("0012");

        // Another employee shown: the grid still holds 0012's bookings.
        ClickEntry(0);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0005"));
        QVERIFY(!main->btnExport->isEnabled());
        ClickEntry(1);
        QVERIFY(!main->btnExport->isEnabled());
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);
        QVERIFY(main->btnExport->isEnabled());

        // "neuer Mitarbeiter" shows nobody's pattern either.
        QTest::mouseClick(main->btnNeu, Qt::LeftButton);
        QVERIFY(!main->btnExport->isEnabled());
        main->btnAbbrechen->click();
        QTest::mouseClick(main->btnBuchungenErzeugen, Qt::LeftButton);

        // A number typed into the editor afterwards is not the one drawn for.
        main->edNummer->setFocus(Qt::MouseFocusReason);
        main->edNummer->selectAll();
        QTest::keyClicks(main->edNummer, QStringLiteral("0005"));
        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QVERIFY(dialogs->errors.isEmpty());
        QCOMPARE(Read(ExportDir() + QStringLiteral("/DADuzo.buc")), drawn);
    }

    // The export folder can be chosen before anything was generated, while
    // Export is still disabled.
    void exportFolderMenuBeforeAGeneration() {
        Start(GenerationIni());
        QVERIFY(!main->btnExport->isEnabled());
        const QPoint at = main->btnExport->rect().center();
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, main->btnExport->mapToGlobal(at));
        QApplication::sendEvent(main->btnExport, &request);
        QTRY_VERIFY(main->PopupMenu1->isVisible());
        const QString other = Path(QStringLiteral("other"));
        dialogs->texts.push_back(other);
        main->PopupMenu1->close();
        main->exportierennach1->trigger();
        QCOMPARE(QString::fromStdString(main->ExportDirectoryForTest()), other + u'/');
    }

    void chooseExportDirectory() {
        Start(GenerationIni());
        const QString before = ExportDir() + u'/';
        // Cancelled: nothing changes.
        dialogs->texts.push_back(std::nullopt);
        main->exportierennach1->trigger();
        QCOMPARE(dialogs->prompts, QStringList(QStringLiteral("Export-Pfad|Verzeichnis für den "
                                                              "Export:|") +
                                               before));
        QCOMPARE(QString::fromStdString(main->ExportDirectoryForTest()), before);

        const QString other = Path(QStringLiteral("other"));
        ChooseExportDirectory(other);
        QCOMPARE(QString::fromStdString(main->ExportDirectoryForTest()), other + u'/');
        QVERIFY(Read(Path(QStringLiteral("velmora.ini")))
                    .contains("[Export]\r\nPfad=" + other.toUtf8() + "/\r\n"));
        ChooseExportDirectory(other + u'/');
        QCOMPARE(QString::fromStdString(main->ExportDirectoryForTest()), other + u'/');
        QVERIFY(dialogs->errors.isEmpty());
    }

    void journalModeOpensTheMonthFile() {
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 2, 11, 8, 0, 0); });
        Start(Section("0012", "Berger"));
        QCOMPARE(main->btnExport->contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(main->btnExport->toolTip().isEmpty());
        QVERIFY(main->btnExport->isEnabled());
        const QString month = Path(QStringLiteral("0012_022008.csv"));

        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QCOMPARE(
            dialogs->messages,
            QStringList(QStringLiteral("Datei '") + month +
                        QStringLiteral("' nicht vorhanden oder konnte nicht geöffnet werden.")));

        dialogs->messages.clear();
        QVERIFY(Write(month, ";0012        Berger\r\n"));
        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(dialogs->opened.back(), QUrl::fromLocalFile(month));
        QVERIFY(main->btnExport->isEnabled());

        // A pipe under the month file's name is handed to no program: the
        // one that opened it would wait for ever.
        QVERIFY(QFile::remove(month));
        const FifoWatchdog pipe(month.toStdString());
        QVERIFY(pipe.Made());
        dialogs->opened.clear();
        QTest::mouseClick(main->btnExport, Qt::LeftButton);
        QVERIFY(dialogs->opened.empty());
        QCOMPARE(
            dialogs->messages,
            QStringList(QStringLiteral("Datei '") + month +
                        QStringLiteral("' nicht vorhanden oder konnte nicht geöffnet werden.")));
    }
};

KOLVARO_UI_TEST_MAIN(BookingsExportTest)
#include "test_bookings_export.moc"
