// Undo and redo in the grid, the change log beside the month file, and
// closed months, driven through the real widgets as a user would.

#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "bookings/change_log.h"
#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "maskededit.h"
#include "scripted_dialogs.h"
#include "tmain.h"
#include "window_fixture.h"

namespace {

const QByteArray kEmployee =
    window_test::Section("0007", "Anna Berg", "1111100",
                         {"07:30", "08:00", "12:00", "12:15", "12:30", "12:45", "16:00", "16:30"});
const QByteArray kGeneration = "[Global]\r\nAutoBuchung=1\r\n";

// What a step does in the grid.
enum class Action { Type, Delete, Undo, RedoY, RedoShiftZ, OtherMonthAndBack };

struct Step {
    Action action;
    int row = 0;
    int column = 0;
    const char* digits = "";
    // The month file after the step: the bytes after step `sameAs` (counted
    // from 0), or new bytes (-1) that no step before had.
    int sameAs = -1;
    // The grid line of the row after the step, "|"-joined.
    const char* line = "";
};

}  // namespace

class ChangesTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;
    QString programDir;

    QString MonthFile() const { return programDir + QStringLiteral("/0007_022008.csv"); }
    QString LogFile() const { return programDir + QStringLiteral("/0007_022008.log"); }

    void Start(const QByteArray& ini) {
        programDir = dir->path();
        window_test::Start(main, programDir, ini);
    }

    void February() {
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("29.02.2008"));
    }

    static void Type(const QString& keys) {
        for (const QChar key : keys) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus != nullptr);
            QTest::keyClick(focus, key.toLatin1());
        }
    }

    void GoTo(int row, int column) {
        main->Grid->setFocus(Qt::OtherFocusReason);
        main->Grid->setCurrentCell(row, column);
    }

    void EnterTime(int row, int column, const QString& digits) {
        GoTo(row, column);
        Type(digits);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    QString Line(int row) const {
        QStringList cells;
        for (int column = 0; column < 6; ++column) {
            cells << TMain::CellText(main->Grid, row, column);
        }
        return cells.join(u'|');
    }

    void Do(const Step& step) {
        switch (step.action) {
            case Action::Type:
                EnterTime(step.row, step.column, QLatin1String(step.digits));
                break;
            case Action::Delete:
                GoTo(step.row, step.column);
                QTest::keyClick(main->Grid, Qt::Key_Delete);
                break;
            case Action::Undo:
                QTest::keyClick(main->Grid, Qt::Key_Z, Qt::ControlModifier);
                break;
            case Action::RedoY:
                QTest::keyClick(main->Grid, Qt::Key_Y, Qt::ControlModifier);
                break;
            case Action::RedoShiftZ:
                QTest::keyClick(main->Grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
                break;
            case Action::OtherMonthAndBack:
                main->cbxMonat->setCurrentIndex(2);
                main->cbxMonat->setCurrentIndex(1);
                main->Grid->setFocus(Qt::OtherFocusReason);
                break;
        }
    }

    // Opens the month's menu with a right click on the month and chooses `item`.
    void ChooseFromMonthMenu(QAction* item) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10),
                                main->cbxMonat->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(main->cbxMonat, &click);
        QTRY_VERIFY(main->PopupMonat->isVisible());
        // Only what fits the month is offered.
        QVERIFY(item->isEnabled());
        QVERIFY(!(item == main->monatabschliessen1 ? main->monatwiederoeffnen1
                                                   : main->monatabschliessen1)
                     ->isEnabled());
        QTest::mouseClick(main->PopupMonat, Qt::LeftButton, {},
                          main->PopupMonat->actionGeometry(item).center());
        QTRY_VERIFY(!main->PopupMonat->isVisible());
    }

    // The log's lines without the time and user fields, which the clock and
    // the system give.
    QStringList LogLines() const {
        QStringList lines;
        const QByteArray bytes = window_test::Read(LogFile());
        for (const QByteArray& line : bytes.split('\n')) {
            if (line.isEmpty()) {
                continue;
            }
            if (!line.endsWith('\r')) {
                return {QStringLiteral("a line without CR LF")};
            }
            lines << QString::fromLatin1(line.chopped(1));
        }
        return lines;
    }

    QString Prefix() const {
        return QStringLiteral("15.03.2008 09:30:00;") +
               QString::fromStdString(kolvaro::LoginName());
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<ScriptedDialogs>();
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 15, 9, 30); });
    }

    void cleanup() {
        main.reset();
        QDir::setCurrent(QDir::tempPath());
        QVERIFY(!dialogs->unanswered);
        QVERIFY(dialogs->errors.isEmpty() || QTest::currentTestFailed());
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void undoAndRedoRewriteTheMonthFileAndTheLog() {
        Start(kEmployee);
        February();
        const std::vector<Step> steps = {
            {Action::Type, 4, 0, "0730", -1, "07:30||||00:00|0:00"},               // 0
            {Action::Type, 4, 3, "1600", -1, "07:30|||16:00|08:30|8:30"},          // 1
            {Action::Undo, 0, 0, "", 0, "07:30||||00:00|0:00"},                    // 2
            {Action::RedoY, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},              // 3
            {Action::Delete, 4, 0, "", -1, "|||16:00|00:00|0:00"},                 // 4
            {Action::Undo, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},               // 5
            {Action::RedoShiftZ, 0, 0, "", 4, "|||16:00|00:00|0:00"},              // 6
            {Action::Undo, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},               // 7
            {Action::OtherMonthAndBack, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},  // 8
            // A new history: nothing of before is undone.
            {Action::Undo, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},            // 9
            {Action::RedoY, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},           // 10
            {Action::Type, 4, 1, "1200", -1, "07:30|12:00||16:00|08:30|8:30"},  // 11
            {Action::Undo, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},            // 12
            {Action::Undo, 0, 0, "", 1, "07:30|||16:00|08:30|8:30"},            // 13
        };
        std::vector<QByteArray> files;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            Do(step);
            const QByteArray bytes = window_test::Read(MonthFile());
            const QByteArray expected =
                step.sameAs >= 0 ? files[static_cast<std::size_t>(step.sameAs)] : bytes;
            QVERIFY2(bytes == expected, qPrintable(QStringLiteral("step %1").arg(i)));
            if (step.sameAs < 0) {
                for (const QByteArray& earlier : files) {
                    QVERIFY2(bytes != earlier, qPrintable(QStringLiteral("step %1").arg(i)));
                }
            }
            QCOMPARE(Line(4), QLatin1String(step.line));
            files.push_back(bytes);
        }
        QVERIFY(files[1].contains("Mo;04.02.2008;07:30;;;16:00;08:30;8:30;\r\n"));
        QVERIFY(files[1].contains(";;;;;;Summe:;8:30 ;\r\n"));

        const QString p = Prefix();
        QCOMPARE(LogLines(), QStringList({
                                 "Zeitpunkt;Benutzer;Tag;Spalte;Alt;Neu",
                                 p + ";04.02.2008;Kommt;-;07:30",  // 0
                                 p + ";04.02.2008;Geht;-;16:00",   // 1
                                 p + ";04.02.2008;Geht;16:00;-",   // 2 undo
                                 p + ";04.02.2008;Geht;-;16:00",   // 3 redo
                                 p + ";04.02.2008;Kommt;07:30;-",  // 4 Delete
                                 p + ";04.02.2008;Kommt;-;07:30",  // 5 undo
                                 p + ";04.02.2008;Kommt;07:30;-",  // 6 redo
                                 p + ";04.02.2008;Kommt;-;07:30",  // 7 undo
                                 p + ";04.02.2008;Pause;-;12:00",  // 11
                                 p + ";04.02.2008;Pause;12:00;-",  // 12 undo
                             }));
        QVERIFY(dialogs->errors.isEmpty());
    }

    void undoInGenerationModeWritesNothing() {
        Start(kGeneration + kEmployee);
        main->edDatumBis->setText(QStringLiteral("07.02.2008"));
        main->edDatumVon->setText(QStringLiteral("01.02.2008"));
        EnterTime(4, 0, QStringLiteral("0730"));
        EnterTime(4, 3, QStringLiteral("1500"));
        QCOMPARE(Line(4), QStringLiteral("07:30|||15:00|07:30|7:30"));
        QTest::keyClick(main->Grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Line(4), QStringLiteral("07:30||||00:00|0:00"));
        QCOMPARE(main->lbStunden->text(), QStringLiteral("0:00 "));
        QTest::keyClick(main->Grid, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(Line(4), QStringLiteral("07:30|||15:00|07:30|7:30"));
        // Another period: nothing to undo.
        main->edDatumVon->setText(QStringLiteral("02.02.2008"));
        QTest::keyClick(main->Grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(QDir(programDir).entryList(QDir::Files), QStringList("velmora.ini"));
    }

    void closedMonthTakesNoChangeUntilReopened() {
        Start(kEmployee);
        February();
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray stored = window_test::Read(MonthFile());
        QVERIFY(main->lbAbgeschlossen->isHidden());

        // "No" leaves the month open and the log as it was.
        dialogs->answers = {false};
        ChooseFromMonthMenu(main->monatabschliessen1);
        QCOMPARE(dialogs->questions.size(), 1);
        QVERIFY(dialogs->questions[0].startsWith(
            QStringLiteral("Achtung|Wollen Sie den Monat Februar 2008 für\n\n'0007 Anna Berg'\n\n"
                           "abschließen?")));
        QCOMPARE(dialogs->presets.back(), DefaultAnswer::No);
        QCOMPARE(LogLines().size(), 2);
        QVERIFY(main->lbAbgeschlossen->isHidden());

        dialogs->answers = {true};
        ChooseFromMonthMenu(main->monatabschliessen1);
        QVERIFY(main->lbAbgeschlossen->isVisible());
        QCOMPARE(main->lbAbgeschlossen->text(), QStringLiteral("abgeschlossen"));
        QCOMPARE(LogLines().last(), Prefix() + ";-;Monat;offen;abgeschlossen");

        // No editor, no Delete, no undo; the file stays as it was.
        GoTo(4, 0);
        Type(QStringLiteral("0"));
        QVERIFY(main->meGridEdit->isHidden());
        QTest::mouseDClick(main->Grid->viewport(), Qt::LeftButton, {},
                           main->Grid->visualRect(main->Grid->model()->index(4, 1)).center());
        QVERIFY(main->meGridEdit->isHidden());
        GoTo(4, 0);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QTest::keyClick(main->Grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Line(4), QStringLiteral("07:30||||00:00|0:00"));
        QCOMPARE(window_test::Read(MonthFile()), stored);
        QCOMPARE(LogLines().size(), 3);

        // Shown closed again after another month, and only reopening is offered.
        main->cbxMonat->setCurrentIndex(2);
        QVERIFY(main->lbAbgeschlossen->isHidden());
        main->cbxMonat->setCurrentIndex(1);
        QVERIFY(main->lbAbgeschlossen->isVisible());

        dialogs->answers = {true};
        ChooseFromMonthMenu(main->monatwiederoeffnen1);
        QVERIFY(dialogs->questions.last().startsWith(
            QStringLiteral("Achtung|Wollen Sie den abgeschlossenen Monat Februar 2008 für")));
        QVERIFY(main->lbAbgeschlossen->isHidden());
        QCOMPARE(LogLines().last(), Prefix() + ";-;Monat;abgeschlossen;offen");

        GoTo(4, 0);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(Line(4), QStringLiteral("||||00:00|0:00"));
        QCOMPARE(LogLines().last(), Prefix() + ";04.02.2008;Kommt;07:30;-");
        QVERIFY(window_test::Read(MonthFile()) != stored);
    }

    // Another program closed the month while this one shows it open.
    void monthClosedElsewhereRefusesTheChange() {
        Start(kEmployee);
        February();
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray stored = window_test::Read(MonthFile());
        QFile log(LogFile());
        QVERIFY(log.open(QIODevice::Append));
        log.write("15.03.2008 09:31:00;bernd;-;Monat;offen;abgeschlossen\r\n");
        log.close();

        EnterTime(4, 3, QStringLiteral("1600"));
        QTRY_COMPARE(dialogs->errors,
                     QStringList(QStringLiteral("Der Monat der Datei ") + MonthFile() +
                                 QStringLiteral(" ist abgeschlossen. Die Änderung wurde nicht "
                                                "gespeichert.")));
        dialogs->errors.clear();
        // Shown as stored, and closed.
        QCOMPARE(Line(4), QStringLiteral("07:30||||00:00|0:00"));
        QVERIFY(main->lbAbgeschlossen->isVisible());
        QCOMPARE(window_test::Read(MonthFile()), stored);
    }

    // A log that cannot be written stops the change: nothing is stored.
    void unwritableLogStoresNothing() {
        Start(kEmployee);
        February();
        EnterTime(4, 0, QStringLiteral("0730"));
        const QByteArray stored = window_test::Read(MonthFile());
        const QByteArray logged = window_test::Read(LogFile());
        QVERIFY(QFile::setPermissions(LogFile(), QFile::ReadOwner | QFile::ReadGroup));
        const QString message = QStringLiteral("Das Änderungsprotokoll ") + LogFile() +
                                QStringLiteral(
                                    " kann nicht geschrieben werden. Die Änderung "
                                    "wurde nicht gespeichert.");

        EnterTime(4, 3, QStringLiteral("1600"));
        QTRY_COMPARE(dialogs->errors, QStringList(message));
        dialogs->errors.clear();
        GoTo(4, 0);
        QTest::keyClick(main->Grid, Qt::Key_Delete);
        QCOMPARE(dialogs->errors, QStringList(message));
        dialogs->errors.clear();
        QCOMPARE(window_test::Read(MonthFile()), stored);
        QCOMPARE(window_test::Read(LogFile()), logged);
    }
};

KOLVARO_UI_TEST_MAIN(ChangesTest)
#include "test_changes.moc"
