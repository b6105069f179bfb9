// Generating bookings and handing them to the time-recording system.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <array>
#include <chrono>
#include <exception>

#include "bookings/export_file.h"
#include "bookings/generator.h"
#include "bookings/month_file.h"
#include "bookings/random_source.h"
#include "data/clock.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "data/holidays.h"
#include "data/time_text.h"
#include "dialogs.h"
#include "maskededit.h"
#include "tmain.h"

namespace {

std::string Std(const QString& text) {
    return text.toStdString();
}

// The number of day lines the period's dates stand for; none when a date
// cannot be read. Never more than the grid holds.
int PeriodDays(const std::string& from, const std::string& to, int dayRows) {
    try {
        const int n = kolvaro::DaysBetween(from, to);
        return n < 0 ? 0 : std::min(n + 1, dayRows);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

void TMain::btnBuchungenErzeugenClick() {
    // The bookings belong to the employee the editor shows now; the export
    // hands them over under this number.
    generatedNumber_ = Std(edNummer->text());
    btnExport->setEnabled(false);
    GenerateBookings();
    CalculateTotals();
    btnExport->setEnabled(true);
}

void TMain::GenerateBookings() {
    // One seed per generation, from the calendar time in whole seconds: two
    // generations within the same second give the same bookings.
    const auto seconds = kolvaro::Now().utc.time_since_epoch().count();
    kolvaro::SeededRandomSource source(static_cast<std::uint64_t>(seconds));

    ClearBookings();

    const int days =
        PeriodDays(Std(edDatumVon->text()), Std(edDatumBis->text()), Grid->rowCount() - 1);
    std::vector<std::string> weekdays;
    // The public holidays of the state the settings name, read now; without
    // a state there are none.
    std::vector<bool> holidays;
    const std::optional<std::string> state = Ini ? Ini->ReadFederalState() : std::nullopt;
    for (int row = 1; row <= days; ++row) {
        weekdays.push_back(Std(CellText(GridDatum, row, 0)));
        holidays.push_back(state &&
                           !kolvaro::HolidayName(*state, Std(CellText(GridDatum, row, 1))).empty());
    }

    const std::array<bool, 7> workingDays = {
        chkMo->isChecked(), chkDi->isChecked(), chkMi->isChecked(), chkDo->isChecked(),
        chkFr->isChecked(), chkSa->isChecked(), chkSo->isChecked()};
    const std::array<kolvaro::BookingWindow, 4> windows = {
        kolvaro::BookingWindow{Std(edBeginnVon->text()), Std(edBeginnBis->text())},
        kolvaro::BookingWindow{Std(edPauseBeginnVon->text()), Std(edPauseBeginnBis->text())},
        kolvaro::BookingWindow{Std(edPauseEndeVon->text()), Std(edPauseEndeBis->text())},
        kolvaro::BookingWindow{Std(edEndeVon->text()), Std(edEndeBis->text())}};

    const kolvaro::GenerationResult result =
        kolvaro::GeneratePeriod(workingDays, windows, weekdays, source, holidays);
    // What was drawn before a bad bound stays in the grid.
    for (std::size_t day = 0; day < result.days.size(); ++day) {
        for (int column = 0; column < 4; ++column) {
            const std::string& text = result.days[day][static_cast<std::size_t>(column)];
            SetCell(Grid, static_cast<int>(day) + 1, column, QString::fromStdString(text));
        }
    }
    if (result.failure) {
        ShowDayNotes();  // the totals that would show them are not computed
        throw kolvaro::Failure(*result.failure);
    }
}

void TMain::btnExportClick() {
    if (IsGenerationMode()) {
        std::vector<kolvaro::ExportRow> rows;
        for (int row = 1; row < Grid->rowCount(); ++row) {
            kolvaro::ExportRow exportRow;
            exportRow.date = Std(CellText(GridDatum, row, 1));
            for (int column = 0; column < 4; ++column) {
                exportRow.bookings[static_cast<std::size_t>(column)] =
                    Std(CellText(Grid, row, column));
            }
            rows.push_back(std::move(exportRow));
        }
        kolvaro::WriteExportFile(ExportDirectory, kolvaro::ExportBytes(generatedNumber_, rows));
        // One export per generation. A failed one may be tried again (with
        // another folder, say) without drawing over the user's corrections.
        btnExport->setEnabled(false);
        return;
    }

    // Journal mode: the month shown, in the program that the desktop opens it with.
    try {
        const std::string path = CurrentMonthFileName();
        const QString file = QString::fromStdString(path);
        // A pipe or a device under the month file's name would hold the
        // program that opens it for as long as nobody writes to it.
        if (!kolvaro::IsPlainFile(path) || !CurrentDialogs().OpenUrl(QUrl::fromLocalFile(file))) {
            CurrentDialogs().ShowMessage(
                this, QStringLiteral("Datei '") + file +
                          QStringLiteral("' nicht vorhanden oder konnte nicht geöffnet werden."));
        }
    } catch (const std::exception&) {
        // Anything else that goes wrong on the way to the desktop passes silently.
    }
}

void TMain::exportierennach1Click() {
    const std::optional<QString> entry = CurrentDialogs().GetText(
        this, QStringLiteral("Export-Pfad"), QStringLiteral("Verzeichnis für den Export:"),
        QString::fromStdString(ExportDirectory));
    if (!entry) {
        return;
    }
    // The folder is not checked here; a wrong one shows at the next export.
    ExportDirectory = kolvaro::ExportDirectoryFromEntry(Std(*entry));
    if (Ini) {
        Ini->WriteExportDirectory(ExportDirectory);
    }
}
