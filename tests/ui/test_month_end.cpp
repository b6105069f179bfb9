// Month-end from the print button's right-click menu: the journal shown as a
// PDF file, and every employee's journal of the month in one run, read back
// with the poppler tools.

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/clock.h"
#include "kolvaro_test_main.h"
#include "scripted_dialogs.h"
#include "tmain.h"

namespace {

struct Employee {
    const char* number;
    const char* name;  // Windows-1252 in the settings file
    const char* shown;
};

const Employee kEmployees[] = {{"0001",
                                "Anna B\xE4"
                                "cker",
                                "Anna Bäcker"},
                               {"0002", "Bernd Gro\xDF", "Bernd Groß"},
                               {"0003", "Clara \xD6z", "Clara Öz"}};

QString Entry(const Employee& employee) {
    return QString::fromLatin1(employee.number) + QStringLiteral("        ") +
           QString::fromUtf8(employee.shown);
}

QString Poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

int Pages(const QString& pdf) {
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Pages: +(\\d+)\n"))
                                              .match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The text of each page, in order.
QStringList PageTexts(const QString& pdf) {
    QStringList pages =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

}  // namespace

class MonthEndTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;
    bool printDialogSeen = false;

    QString Path(const QString& name) const { return dir->filePath(name); }
    QString RunPdf() const { return Path(QStringLiteral("Journal_032008.pdf")); }

    // The folder holds only what the test put there and the named results:
    // no temporary file is left behind.
    QStringList Leftovers() const {
        return QDir(dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            .filter(QRegularExpression(QStringLiteral("^\\..*pdf$")));
    }

    void Start() {
        QByteArray ini;
        for (const Employee& employee : kEmployees) {
            ini += QByteArray("[") + employee.number + "]\r\nNummer=" + employee.number +
                   "\r\nName=" + employee.name + "\r\n";
        }
        QFile file(Path(QStringLiteral("velmora.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        QVERIFY(QDir::setCurrent(dir->path()));
        main = std::make_unique<TMain>();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QCOMPARE(main->lstMitarbeiter->count(), 3);
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("31.03.2008"));
    }

    // A month file of March 2008 as the program writes it: the bookings of
    // the days given (day, Kommt, Pause, Pause, Geht), the totals computed.
    void WriteMarch(const Employee& employee, const std::vector<std::array<std::string, 5>>& days) {
        const kolvaro::PeriodCheck period = kolvaro::CheckPeriod("01.03.2008", "31.03.2008");
        std::vector<kolvaro::DayIdentity> dates{{"", "Datum"}};
        dates.insert(dates.end(), period.days.begin(), period.days.end());
        std::vector<kolvaro::BookingDay> rows(period.days.size());
        for (const auto& day : days) {
            auto& cells = rows[static_cast<std::size_t>(std::stoi(day[0]) - 1)].cells;
            std::copy(day.begin() + 1, day.end(), cells.begin());
        }
        const std::string caption = kolvaro::ComputeTotals(rows);
        kolvaro::BookingDay headings;
        headings.cells = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
        rows.insert(rows.begin(), headings);
        kolvaro::SaveMonthFile(
            Path(QString::fromLatin1(employee.number) + QStringLiteral("_032008.csv"))
                .toStdString(),
            kolvaro::ComposeMonthLines(Entry(employee).toStdString(), dates, rows, caption));
    }

    void WriteTwoMonths() {
        WriteMarch(kEmployees[0], {{"3", "07:30", "12:00", "12:30", "16:00"}});
        WriteMarch(kEmployees[2], {{"10", "08:00", "12:00", "13:00", "17:00"},
                                   {"11", "08:00", "12:00", "13:00", "17:00"}});
    }

    // Opens the print button's menu as a right click does and clicks the item.
    void Choose(QAction* action) {
        const QPoint at(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, main->btnDrucken->mapToGlobal(at));
        QApplication::sendEvent(main->btnDrucken, &event);
        QVERIFY(main->PopupMenu2->isVisible());
        QTest::mouseClick(main->PopupMenu2, Qt::LeftButton, {},
                          main->PopupMenu2->actionGeometry(action).center());
    }

    // Answers the print dialog of the run; `then` runs once the run is going.
    void AcceptPrintDialog(std::function<void()> then = {}) {
        printDialogSeen = false;
        QTimer::singleShot(0, this, [this, then] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            printDialogSeen = true;
            if (then) {
                QTimer::singleShot(0, this, then);
            }
            dialog->accept();
        });
    }

    // Saves the journal shown through "als PDF speichern ..." under `path`.
    void SavePdf(const QString& path) {
        dialogs->files.push_back(path);
        Choose(main->alsPDFspeichern1);
    }

    void PrintThroughDialog(const QString& path) {
        main->JournalPrinter()->setOutputFileName(path);
        QTimer::singleShot(0, this, [] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                dialog->accept();
            }
        });
        QTest::mouseClick(main->btnDrucken, Qt::LeftButton);
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<ScriptedDialogs>();
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 15, 9, 41, 27); });
    }

    void cleanup() {
        main.reset();
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void menuOnlyInJournalMode() {
        Start();
        QCOMPARE(main->btnDrucken->contextMenuPolicy(), Qt::CustomContextMenu);
        QStringList items;
        for (const QAction* action : main->PopupMenu2->actions()) {
            items << action->text();
        }
        QCOMPARE(items, QStringList({QStringLiteral("als PDF speichern ..."),
                                     QStringLiteral("alle Mitarbeiter ...")}));
    }

    void pdfIsThePrintedPage() {
        WriteTwoMonths();
        Start();
        // The shown journal of the first employee, with a time typed on top.
        TMain::SetCell(main->Grid, 31, 0, QStringLiteral("09:00"));
        const QString printed = Path(QStringLiteral("printed.pdf"));
        PrintThroughDialog(printed);
        const QString saved = Path(QStringLiteral("0001_032008.pdf"));
        SavePdf(saved);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));
        QCOMPARE(dialogs->saves, QStringList(QStringLiteral("Journal als PDF speichern|") + saved));

        QCOMPARE(Pages(saved), 1);
        QCOMPARE(Pages(printed), 1);
        const QStringList text = PageTexts(saved);
        QCOMPARE(text, PageTexts(printed));
        QVERIFY(text.constFirst().contains(QStringLiteral("gedruckt 15.03.2008 09:41")));
        QVERIFY(text.constFirst().contains(QStringLiteral("09:00")));
        QVERIFY(Poppler(QStringLiteral("pdfinfo"), {saved})
                    .contains(QStringLiteral("Title:           Kolvaro ") + Entry(kEmployees[0])));
        QCOMPARE(Leftovers(), QStringList());

        // A cancelled save dialog writes nothing.
        dialogs->files.push_back(std::nullopt);
        QFile::remove(saved);
        Choose(main->alsPDFspeichern1);
        QVERIFY(!QFile::exists(saved));
    }

    void unwritableTargetIsReportedWithItsPath_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");  // 0 a folder in its place, 1 no folder, 2 read-only file
        QTest::newRow("folder") << QStringLiteral("0001_032008.pdf") << 0;
        QTest::newRow("missing folder") << QStringLiteral("weg/0001_032008.pdf") << 1;
        QTest::newRow("read-only file") << QStringLiteral("0001_032008.pdf") << 2;
    }

    void unwritableTargetIsReportedWithItsPath() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        Start();
        const QString target = Path(name);
        if (kind == 0) {
            QVERIFY(QDir().mkdir(target));
        } else if (kind == 2) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("older");
            file.close();
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup));
        }
        SavePdf(target);
        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("Datei ") + target +
                                              QStringLiteral(" kann nicht erstellt werden")));
        if (kind == 2) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("older"));
        }
        QCOMPARE(Leftovers(), QStringList());
    }

    void allEmployeesInOneDocument() {
        WriteTwoMonths();
        Start();
        AcceptPrintDialog();
        Choose(main->alleMitarbeiter1);
        QVERIFY(printDialogSeen);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));
        QCOMPARE(dialogs->messages,
                 QStringList(QStringLiteral("2 Seiten in die Datei ") + RunPdf() +
                             QStringLiteral(" geschrieben.\n"
                                            "1 Mitarbeiter ohne Monatsdatei übersprungen.")));
        QCOMPARE(Pages(RunPdf()), 2);
        const QStringList pages = PageTexts(RunPdf());
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0].contains(QStringLiteral("Anna Bäcker")));
        QVERIFY(pages[0].contains(QRegularExpression(QStringLiteral("Gesamt-Summe: +8:00\n"))));
        QVERIFY(pages[1].contains(QStringLiteral("Clara Öz")));
        QVERIFY(pages[1].contains(QRegularExpression(QStringLiteral("Gesamt-Summe: +16:00\n"))));
        QVERIFY(!pages.join(QString()).contains(QStringLiteral("Bernd")));
        QCOMPARE(Leftovers(), QStringList());
        if (const QString keep = qEnvironmentVariable("KOLVARO_KEEP_MONTH_END"); !keep.isEmpty()) {
            QFile::remove(keep);
            QFile::copy(RunPdf(), keep);
        }

        // Each page is the single journal of that employee, stamp included.
        main->lstMitarbeiter->setCurrentRow(2);
        main->lstMitarbeiterClick();
        const QString single = Path(QStringLiteral("0003_032008.pdf"));
        SavePdf(single);
        QCOMPARE(PageTexts(single), QStringList(pages[1]));
    }

    void unreadableMonthFileIsSkippedAndNamed() {
        WriteTwoMonths();
        QVERIFY(QDir().mkdir(Path(QStringLiteral("0002_032008.csv"))));
        Start();
        AcceptPrintDialog();
        Choose(main->alleMitarbeiter1);
        QCOMPARE(dialogs->messages,
                 QStringList(QStringLiteral("2 Seiten in die Datei ") + RunPdf() +
                             QStringLiteral(" geschrieben.\n1 Mitarbeiter übersprungen, "
                                            "Monatsdatei nicht lesbar:\n0002 Bernd Groß")));
        QCOMPARE(Pages(RunPdf()), 2);
    }

    void cancelledRunLeavesNoFile() {
        WriteTwoMonths();
        Start();
        QString label;
        AcceptPrintDialog([this, &label] {
            auto* progress = main->findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
            if (progress != nullptr) {
                label = progress->labelText();
                progress->cancel();
            }
        });
        Choose(main->alleMitarbeiter1);
        QCOMPARE(label, QStringLiteral("Journal 1 von 3: 0001 Anna Bäcker"));
        QCOMPARE(dialogs->messages,
                 QStringList(QStringLiteral("Abgebrochen: die Datei ") + RunPdf() +
                             QStringLiteral(" wurde nicht geschrieben.\n"
                                            "Kein Mitarbeiter übersprungen.")));
        QVERIFY(!QFile::exists(RunPdf()));
        QCOMPARE(Leftovers(), QStringList());
    }
};

KOLVARO_UI_TEST_MAIN(MonthEndTest)
#include "test_month_end.moc"
