#include "month_end_run.h"

#include <QPainter>
#include <QPrinter>

#include "bookings/month_file.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "data/settings.h"
#include "journal_printer.h"
#include "pdf_file.h"
#include "qt_text.h"

void WriteJournalPdf(const QString& path, const kolvaro::JournalInput& input,
                     const QString& title) {
    PdfFile file(path);
    QPrinter printer(QPrinter::HighResolution);
    SetUpJournalPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file.TemporaryPath());
    printer.setDocName(title);
    try {
        QPainter painter;
        BeginJournalDocument(painter, printer);
        DrawJournalPage(painter, printer, input);
        EndJournalDocument(painter, printer);
    } catch (const kolvaro::Failure&) {
        // The temporary name means nothing to the user.
        kolvaro::Fail(kolvaro::kCannotCreateMessage, path.toStdString());
    }
    file.Commit();
}

kolvaro::MonthEndTally RunMonthEnd(const MonthEndJob& job, QPrinter& printer,
                                   const MonthEndProgress& progress) {
    kolvaro::MonthEndTally tally;
    QPainter painter;
    const int count = static_cast<int>(job.entries.size());
    for (int i = 0; i < count; ++i) {
        const std::string& entry = job.entries[static_cast<std::size_t>(i)];
        if (progress &&
            !progress(i + 1, count, FromStd(kolvaro::MonthEndProgressText(i + 1, count, entry)))) {
            tally.cancelled = true;
            break;
        }
        const std::string path = kolvaro::MonthFileName(job.programDirectory,
                                                        kolvaro::NumberOfEntry(entry), job.endDate);
        const kolvaro::FileRead content = kolvaro::ReadWholeFile(path);
        if (content.outcome == kolvaro::ReadOutcome::Missing) {
            ++tally.missing;
            continue;
        }
        if (content.outcome == kolvaro::ReadOutcome::Unreadable) {
            tally.unreadable.push_back(kolvaro::ShortEntry(entry));
            continue;
        }
        if (painter.isActive()) {
            if (!printer.newPage()) {
                EndJournalDocument(painter, printer);
                throw kolvaro::Failure("Der Drucker ist nicht bereit.");
            }
        } else {
            BeginJournalDocument(painter, printer);
        }
        DrawJournalPage(painter, printer,
                        kolvaro::MonthJournal(job.frame, entry, content.bytes, job.federalState));
        ++tally.pages;
    }
    if (painter.isActive()) {
        EndJournalDocument(painter, printer);
    }
    return tally;
}

kolvaro::MonthEndTally RunMonthEndToPdf(const MonthEndJob& job, QPrinter& printer,
                                        const QString& path, const MonthEndProgress& progress) {
    PdfFile file(path);
    const QString before = printer.outputFileName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file.TemporaryPath());
    kolvaro::MonthEndTally tally;
    try {
        tally = RunMonthEnd(job, printer, progress);
    } catch (const kolvaro::Failure&) {
        printer.setOutputFileName(before);
        // The temporary name means nothing to the user.
        kolvaro::Fail(kolvaro::kCannotCreateMessage, path.toStdString());
    }
    printer.setOutputFileName(before);
    tally.toFile = true;
    tally.file = path.toStdString();
    if (!tally.cancelled && tally.pages > 0) {
        file.Commit();
    }
    return tally;
}
