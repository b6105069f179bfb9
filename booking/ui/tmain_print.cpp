// Printing the month's journal.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTableWidget>

#include "bookings/journal_page.h"
#include "bookings/month_file.h"
#include "data/failure.h"
#include "data/time_text.h"
#include "journal_printer.h"
#include "tmain.h"

namespace {

const char* const kPrinterNotReady = "Der Drucker ist nicht bereit.";

}  // namespace

QPrinter* TMain::JournalPrinter() {
    if (!Printer) {
        Printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        Printer->setPageSize(QPageSize(QPageSize::A4));
        Printer->setPageOrientation(QPageLayout::Portrait);
    }
    return Printer.get();
}

void TMain::btnDruckenClick() {
    if (!PrintDialogOwner) {
        PrintDialogOwner = std::make_shared<QPrintDialog>(JournalPrinter(), this);
        PrintDialog = PrintDialogOwner.get();
        PrintDialog->setObjectName(QStringLiteral("PrintDialog"));
    }
    if (PrintDialog->exec() != QDialog::Accepted) {
        return;
    }
    const QListWidgetItem* entry = lstMitarbeiter->currentItem();
    if (entry == nullptr) {
        throw kolvaro::Failure(std::string(kolvaro::kListIndexMessage));
    }
    JournalPrinter()->setDocName(QStringLiteral("Kolvaro ") + entry->text());
    PrintJournal();
}

void TMain::PrintJournal() {
    QPrinter& printer = *JournalPrinter();
    // The page is laid out for portrait; the printable area is measured after
    // the orientation is set, so that a landscape choice cannot widen it.
    printer.setPageOrientation(QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        if (!file.isEmpty()) {
            kolvaro::Fail(kolvaro::kCannotCreateMessage, file.toStdString());
        }
        throw kolvaro::Failure(kPrinterNotReady);
    }

    kolvaro::JournalInput input;
    // Device pixels of the printable area; the painter's origin is its corner.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    input.pageWidth = page.width();
    input.pageHeight = page.height();
    input.dateFrom = edDatumVon->text().toStdString();
    input.dateTo = edDatumBis->text().toStdString();
    if (const QListWidgetItem* entry = lstMitarbeiter->currentItem()) {
        input.employee = entry->text().toStdString();
    }
    input.printDate = kolvaro::DateToStr(kolvaro::Date());
    input.printTime = kolvaro::TimeToStr(kolvaro::Time()).substr(0, 5);
    for (int column = 0; column < 6; ++column) {
        input.headings[static_cast<std::size_t>(column)] = CellText(Grid, 0, column).toStdString();
    }
    for (int row = 1; row < Grid->rowCount(); ++row) {
        kolvaro::JournalLine line;
        line.identity.weekday = CellText(GridDatum, row, 0).toStdString();
        line.identity.date = CellText(GridDatum, row, 1).toStdString();
        for (int column = 0; column < 6; ++column) {
            line.booking.cells[static_cast<std::size_t>(column)] =
                CellText(Grid, row, column).toStdString();
        }
        input.lines.push_back(std::move(line));
    }
    input.totalCaption = lbStunden->text().toStdString();  // the page drops its trailing blank

    const DeviceJournalMeasurer measurer(&printer);
    RenderJournal(painter, kolvaro::JournalPage(input, measurer));
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        throw kolvaro::Failure(kPrinterNotReady);
    }
}
