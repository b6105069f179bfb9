// Month-end from the print button's right-click menu: the journal shown as a
// PDF file, and the month's journal of every employee as one document.

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

#include "bookings/journal_page.h"
#include "bookings/month_file.h"
#include "bookings/month_journal.h"
#include "data/failure.h"
#include "dialogs.h"
#include "journal_printer.h"
#include "month_end_run.h"
#include "qt_text.h"
#include "tmain.h"

namespace {

// "MMYYYY" of the month shown, from the end date DD.MM.YYYY.
QString MonthDigits(const QString& endDate) {
    return endDate.mid(3, 2) + endDate.mid(6, 4);
}

}  // namespace

void TMain::CreateMonthEndMenu() {
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    alsPDFspeichern1 = PopupMenu2->addAction(QStringLiteral("als PDF speichern ..."));
    alsPDFspeichern1->setObjectName(QStringLiteral("alsPDFspeichern1"));
    alleMitarbeiter1 = PopupMenu2->addAction(QStringLiteral("alle Mitarbeiter ..."));
    alleMitarbeiter1->setObjectName(QStringLiteral("alleMitarbeiter1"));
    connect(btnDrucken, &QPushButton::customContextMenuRequested, this,
            &TMain::btnDruckenContextMenu);
    connect(alsPDFspeichern1, &QAction::triggered, this, &TMain::alsPDFspeichern1Click);
    connect(alleMitarbeiter1, &QAction::triggered, this, &TMain::alleMitarbeiter1Click);
}

void TMain::btnDruckenContextMenu(const QPoint& position) {
    PopupMenu2->popup(btnDrucken->mapToGlobal(position));
}

QPrinter* TMain::MonthEndPrinter() {
    if (!MonthEndPrinterOwner) {
        MonthEndPrinterOwner = std::make_shared<QPrinter>(QPrinter::HighResolution);
        SetUpJournalPrinter(*MonthEndPrinterOwner);
    }
    return MonthEndPrinterOwner.get();
}

void TMain::alsPDFspeichern1Click() {
    const QListWidgetItem* entry = lstMitarbeiter->currentItem();
    if (entry == nullptr) {
        throw kolvaro::Failure(std::string(kolvaro::kListIndexMessage));
    }
    // Named like the month file beside it: NNNN_MMYYYY.pdf.
    QString proposed = FromStd(CurrentMonthFileName());
    proposed.chop(4);
    proposed += QStringLiteral(".pdf");
    const std::optional<QString> chosen =
        CurrentDialogs().GetSaveFileName(this, QStringLiteral("Journal als PDF speichern"),
                                         proposed, QStringLiteral("PDF-Dateien (*.pdf)"));
    if (!chosen) {
        return;
    }

    WriteJournalPdf(*chosen, JournalInputFromWindow(), QStringLiteral("Kolvaro ") + entry->text());
}

void TMain::alleMitarbeiter1Click() {
    const QString month = MonthDigits(edDatumBis->text());
    QPrinter& printer = *MonthEndPrinter();
    // The print dialog offers the PDF file under this name; choosing a
    // printer there prints on paper instead.
    printer.setOutputFileName(FromStd(ProgramDirectory) +
                              (ProgramDirectory.ends_with('/') ? QString() : QStringLiteral("/")) +
                              QStringLiteral("Journal_") + month + QStringLiteral(".pdf"));
    printer.setDocName(QStringLiteral("Kolvaro Journal ") + month);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("MonthEndPrintDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }

    MonthEndJob job;
    job.programDirectory = ProgramDirectory;
    job.endDate = edDatumBis->text().toStdString();
    job.entries.reserve(static_cast<std::size_t>(lstMitarbeiter->count()));
    for (int row = 0; row < lstMitarbeiter->count(); ++row) {
        job.entries.push_back(lstMitarbeiter->item(row)->text().toStdString());
    }
    // Period, headings, days and the print stamp as the window shows them;
    // the bookings come from each employee's own month file.
    job.frame = JournalInputFromWindow();
    for (kolvaro::JournalLine& line : job.frame.lines) {
        line.booking = kolvaro::BookingDay{};
        line.remarks.clear();
    }
    if (Ini) {
        job.federalState = Ini->ReadFederalState().value_or(std::string());
    }

    const int count = static_cast<int>(job.entries.size());
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("ProgressDialog"));
    progress.setWindowTitle(QStringLiteral("Journal aller Mitarbeiter"));
    progress.setCancelButtonText(QStringLiteral("Abbrechen"));
    progress.setRange(0, count);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumWidth(360);
    progress.show();
    // Between two pages the window answers: it repaints, and the user can
    // stop the run, which then ends after the page in hand.
    const MonthEndProgress step = [&progress](int position, int, const QString& text) {
        progress.setLabelText(text);
        progress.setValue(position - 1);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };

    kolvaro::MonthEndTally tally;
    const QString file = printer.outputFileName();
    if (printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty()) {
        tally = RunMonthEndToPdf(job, printer, file, step);
    } else {
        tally = RunMonthEnd(job, printer, step);
    }
    progress.setValue(count);
    progress.close();
    CurrentDialogs().ShowMessage(this, FromStd(kolvaro::MonthEndMessage(tally)));
}
