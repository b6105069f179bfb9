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

QPrinter* TMain::JournalPrinter() {
    if (!Printer) {
        Printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        SetUpJournalPrinter(*Printer);
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
    QPainter painter;
    BeginJournalDocument(painter, printer);
    DrawJournalPage(painter, printer, JournalInputFromWindow());
    EndJournalDocument(painter, printer);
}

kolvaro::JournalInput TMain::JournalInputFromWindow() const {
    kolvaro::JournalInput input;
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
    // The remarks column: each day's holiday and the limits it breaks, with
    // the state as the settings name it now.
    const std::vector<DayNote> notes = DayNotes();
    for (int row = 1; row < Grid->rowCount(); ++row) {
        kolvaro::JournalLine line;
        if (const std::size_t i = static_cast<std::size_t>(row - 1); i < notes.size()) {
            line.remarks = kolvaro::DayRemarks(notes[i].holiday, notes[i].findings);
        }
        line.identity.weekday = CellText(GridDatum, row, 0).toStdString();
        line.identity.date = CellText(GridDatum, row, 1).toStdString();
        for (int column = 0; column < 6; ++column) {
            line.booking.cells[static_cast<std::size_t>(column)] =
                CellText(Grid, row, column).toStdString();
        }
        input.lines.push_back(std::move(line));
    }
    input.totalCaption = lbStunden->text().toStdString();  // the page drops its trailing blank
    return input;
}
