// The monthly journal printed through the print dialog into a PDF file, read
// back with the poppler tools: its texts, its title and what the page looks like.

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "data/clock.h"
#include "journal_printer.h"
#include "kolvaro_test_main.h"
#include "scripted_dialogs.h"
#include "tmain.h"
#include "window_fixture.h"

namespace {

const QString kEntry = QStringLiteral("0007        Anna Bäcker");

QByteArray Employee() {
    QByteArray bytes =
        "[0007]\r\nNummer=0007\r\nName=Anna B\xE4"
        "cker\r\n";
    for (const char* day : {"Mo", "Di", "Mi", "Do", "Fr"}) {
        bytes += QByteArray(day) + "=1\r\n";
    }
    return bytes;
}

// Runs a tool of poppler on the file; its standard output.
QString Poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class JournalPrintTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;
    bool dialogSeen = false;

    QString PdfPath() const { return dir->filePath(QStringLiteral("journal.pdf")); }

    void Start(const QByteArray& ini) {
        window_test::Start(main, dir->path(), ini);
        main->JournalPrinter()->setOutputFileName(PdfPath());
    }

    // Clicks "Journal drucken" and answers the print dialog as the user would.
    void Print(bool confirm) {
        dialogSeen = false;
        QTimer::singleShot(0, this, [this, confirm] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;  // the test fails below, as the dialog stays open
            }
            dialogSeen = true;
            if (confirm) {
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        QTest::mouseClick(main->btnDrucken, Qt::LeftButton);
        QVERIFY(dialogSeen);
    }

    // Bookings on the first and the last day of March 2008, as the grid shows them.
    void FillMarch() {
        const QStringList first = {"07:30", "12:00", "12:30", "16:00", "08:00", "8:00"};
        const QStringList last = {"08:15", "", "", "16:45", "08:30", "16:30"};
        for (int column = 0; column < 6; ++column) {
            TMain::SetCell(main->Grid, 1, column, first[column]);
            TMain::SetCell(main->Grid, 31, column, last[column]);
        }
        main->lbStunden->setText(QStringLiteral("16:30 "));
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

    void arialComesAsAMetricCompatibleFace() {
        const QString family = QFontInfo(JournalFont(kolvaro::JournalFont{10, false})).family();
        QVERIFY2(family == QStringLiteral("Arial") || family == QStringLiteral("Liberation Sans"),
                 qPrintable(family));
    }

    // Through a real print server: the queue named in KOLVARO_TEST_PRINTER
    // writes PDF files into KOLVARO_TEST_PDF_DIR (cups-pdf; the test
    // ui_journal_cups starts a server of its own for this).
    void printsThroughACupsQueue() {
        const QString queue = qEnvironmentVariable("KOLVARO_TEST_PRINTER");
        const QString out = qEnvironmentVariable("KOLVARO_TEST_PDF_DIR");
        if (queue.isEmpty() || out.isEmpty()) {
            QSKIP("no print queue given (KOLVARO_TEST_PRINTER, KOLVARO_TEST_PDF_DIR)");
        }
        Start(Employee());
        FillMarch();
        QPrinter* printer = main->JournalPrinter();
        printer->setOutputFileName(QString());
        printer->setPrinterName(queue);
        QCOMPARE(printer->outputFormat(), QPrinter::NativeFormat);
        QVERIFY(printer->isValid());
        // The layout is measured in the printer's own pixels: the width the
        // page is laid out for is what the printer reports as its page.
        const int resolution = printer->resolution();
        const QRect page = printer->pageLayout().paintRectPixels(resolution);
        qInfo("printer %s: %d dpi, printable %d x %d pixels", qPrintable(queue), resolution,
              page.width(), page.height());
        QVERIFY(resolution >= 150);
        QCOMPARE(page.width(), printer->width());
        QCOMPARE(page.height(), printer->height());
        Print(true);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));

        // The server converts and writes the file in its own time.
        QString pdf;
        QString info;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList files =
                    QDir(out).entryList({QStringLiteral("*.pdf")}, QDir::Files);
                if (files.isEmpty()) {
                    return false;
                }
                pdf = QDir(out).filePath(files.first());
                info = Poppler(QStringLiteral("pdfinfo"), {pdf});
                return info.contains(QStringLiteral("Pages:"));
            }(),
            60000);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages: +1\n"))),
                 qPrintable(info));
        const QString text = Poppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        for (const QString& expected :
             {QStringLiteral("MONATSJOURNAL"), QStringLiteral("Zeitraum 01.03.2008 - 31.03.2008"),
              QStringLiteral("Anna Bäcker"), QStringLiteral("Gesamt-Summe:"),
              QStringLiteral("16:30"), QStringLiteral("Kolvaro Zeiterfassung - www.kolvaro.de")}) {
            QVERIFY2(text.contains(expected), qPrintable(expected + u'\n' + text));
        }
        for (int day = 1; day <= 31; ++day) {
            const QString date = QStringLiteral("%1.03.2008").arg(day, 2, 10, QLatin1Char('0'));
            QVERIFY2(text.contains(date), qPrintable(date + u'\n' + text));
        }
    }

    void printsTheMonthShown() {
        Start(Employee());
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("31.03.2008"));
        FillMarch();
        Print(true);
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join(u'\n')));
        QVERIFY(QFile::exists(PdfPath()));

        const QString info = Poppler(QStringLiteral("pdfinfo"), {PdfPath()});
        QVERIFY2(info.contains(QStringLiteral("Title:           Kolvaro ") + kEntry),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages: +1\n"))),
                 qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
        const QString fonts = Poppler(QStringLiteral("pdffonts"), {PdfPath()});
        QVERIFY2(fonts.contains(QStringLiteral("LiberationSans")) ||
                     fonts.contains(QStringLiteral("Arial")),
                 qPrintable(fonts));

        const QString text = Poppler(QStringLiteral("pdftotext"), {PdfPath(), QStringLiteral("-")});
        for (const QString& expected :
             {QStringLiteral("MONATSJOURNAL"), QStringLiteral("Zeitraum 01.03.2008 - 31.03.2008"),
              QStringLiteral("0007"), QStringLiteral("Anna Bäcker"),
              QStringLiteral("gedruckt 15.03.2008 09:41"), QStringLiteral("Bemerkungen"),
              QStringLiteral("Gesamt-Summe:"), QStringLiteral("16:30"), QStringLiteral("07:30"),
              QStringLiteral("16:45"), QStringLiteral("created by Kolvaro"),
              QStringLiteral("Kolvaro Zeiterfassung - www.kolvaro.de")}) {
            QVERIFY2(text.contains(expected), qPrintable(expected + u'\n' + text));
        }
        for (int day = 1; day <= 31; ++day) {
            const QString date = QStringLiteral("%1.03.2008").arg(day, 2, 10, QLatin1Char('0'));
            QVERIFY2(text.contains(date), qPrintable(date));
        }
        // The caption's trailing blank is not printed with the total.
        QVERIFY(!text.contains(QStringLiteral("16:30 \n")));

        if (const QString keep = qEnvironmentVariable("KOLVARO_KEEP_JOURNAL"); !keep.isEmpty()) {
            QFile::remove(keep);
            QFile::copy(PdfPath(), keep);
        }

        // The page as paper: black on white, the grey footer bar near the
        // bottom, nothing in the red of the window's weekend lines.
        const QString png = dir->filePath(QStringLiteral("page"));
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                           QStringLiteral("-singlefile"), PdfPath(), png});
        const QImage page(png + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        int red = 0;
        int silverBottom = 0;
        int silverTop = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QColor colour = page.pixelColor(x, y);
                if (colour.red() > 150 && colour.green() < 100 && colour.blue() < 100) {
                    ++red;
                }
                if (colour == QColor(192, 192, 192)) {
                    (y > page.height() * 9 / 10 ? silverBottom : silverTop) += 1;
                }
            }
        }
        QCOMPARE(red, 0);
        QVERIFY(silverTop < silverBottom / 50);  // a stray anti-aliased pixel at most
        QVERIFY(silverBottom > page.width() / 2);
    }

    void cancelledDialogPrintsNothing() {
        Start(Employee());
        Print(false);
        QVERIFY(!QFile::exists(PdfPath()));
        QVERIFY(dialogs->errors.isEmpty());
    }

    void withoutEmployeeReportsTheListIndex() {
        Start("[Global]\r\nAutoBuchung=0\r\n");
        QCOMPARE(main->lstMitarbeiter->count(), 0);
        QVERIFY(main->btnDrucken->isEnabled());
        Print(true);
        QCOMPARE(dialogs->errors,
                 QStringList(QStringLiteral("Listenindex außerhalb des zulässigen Bereichs")));
        QVERIFY(!QFile::exists(PdfPath()));
    }
};

KOLVARO_UI_TEST_MAIN(JournalPrintTest)
#include "test_journal_print.moc"
