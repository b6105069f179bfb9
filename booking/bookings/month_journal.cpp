#include "bookings/month_journal.h"

#include <algorithm>

#include "bookings/month_file.h"
#include "bookings/totals.h"
#include "bookings/work_limits.h"
#include "data/holidays.h"

namespace kolvaro {

namespace {

std::string Plural(int count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// No more names than a message box can show.
constexpr std::size_t kNamedUnreadable = 10;

}  // namespace

std::vector<JournalLine> EmptyJournalLines(const std::vector<DayIdentity>& days) {
    std::vector<JournalLine> lines;
    lines.reserve(days.size());
    for (const DayIdentity& day : days) {
        JournalLine line;
        line.identity = day;
        lines.push_back(std::move(line));
    }
    return lines;
}

JournalInput MonthJournal(const JournalInput& frame, std::string_view employee,
                          std::string_view monthFileBytes, std::string_view federalState) {
    JournalInput input = frame;
    input.employee = std::string(employee);

    // The rows as the date grid holds them: the heading row first.
    std::vector<DayIdentity> dateRows;
    dateRows.reserve(input.lines.size() + 1);
    dateRows.push_back(DayIdentity{"", "Datum"});
    for (const JournalLine& line : input.lines) {
        dateRows.push_back(line.identity);
    }
    const LoadedMonth loaded = ParseMonthFile(monthFileBytes, dateRows);

    std::vector<BookingDay> days;
    days.reserve(input.lines.size());
    for (std::size_t i = 0; i < input.lines.size(); ++i) {
        BookingDay day = input.lines[i].booking;
        if (i + 1 < loaded.cells.size()) {
            for (std::size_t column = 0; column < 6; ++column) {
                if (const auto& value = loaded.cells[i + 1][column]) {
                    day.cells[column] = *value;
                }
            }
        }
        days.push_back(std::move(day));
    }
    input.totalCaption = ComputeTotals(days);

    std::vector<LimitDay> limitDays(days.size());
    for (std::size_t i = 0; i < days.size(); ++i) {
        LimitDay& limitDay = limitDays[i];
        limitDay.weekday = input.lines[i].identity.weekday;
        std::copy_n(days[i].cells.begin(), limitDay.times.size(), limitDay.times.begin());
        if (!federalState.empty()) {
            limitDay.holiday = HolidayName(federalState, input.lines[i].identity.date);
        }
    }
    const std::vector<std::vector<LimitFinding>> findings = CheckWorkLimits(limitDays);
    for (std::size_t i = 0; i < days.size(); ++i) {
        input.lines[i].booking = std::move(days[i]);
        input.lines[i].remarks = DayRemarks(limitDays[i].holiday, findings[i]);
    }
    return input;
}

std::string ShortEntry(std::string_view entry) {
    std::string shown(entry.substr(0, std::min(entry.find(' '), entry.size())));
    const std::size_t name = entry.find_first_not_of(' ', shown.size());
    if (name != std::string_view::npos) {
        shown += ' ';
        shown += entry.substr(name);
    }
    return shown;
}

std::string MonthEndProgressText(int position, int count, std::string_view entry) {
    return "Journal " + std::to_string(position) + " von " + std::to_string(count) + ": " +
           ShortEntry(entry);
}

std::string MonthEndMessage(const MonthEndTally& tally) {
    std::string message;
    if (tally.toFile) {
        if (tally.cancelled) {
            message = "Abgebrochen: die Datei " + tally.file + " wurde nicht geschrieben.";
        } else if (tally.pages == 0) {
            message = "Keine Seite: die Datei " + tally.file + " wurde nicht angelegt.";
        } else {
            message = Plural(tally.pages, "Seite", "Seiten") + " in die Datei " + tally.file +
                      " geschrieben.";
        }
    } else {
        const std::string pages = tally.pages == 0
                                      ? "Keine Seite gedruckt."
                                      : Plural(tally.pages, "Seite", "Seiten") + " gedruckt.";
        message = tally.cancelled ? "Abgebrochen. " + pages : pages;
    }
    if (tally.missing == 0 && tally.unreadable.empty()) {
        message += "\nKein Mitarbeiter übersprungen.";
    }
    if (tally.missing > 0) {
        message += "\n" + Plural(tally.missing, "Mitarbeiter", "Mitarbeiter") +
                   " ohne Monatsdatei übersprungen.";
    }
    if (!tally.unreadable.empty()) {
        const int count = static_cast<int>(tally.unreadable.size());
        message += "\n" + Plural(count, "Mitarbeiter", "Mitarbeiter") +
                   " übersprungen, Monatsdatei nicht lesbar:";
        for (std::size_t i = 0; i < tally.unreadable.size() && i < kNamedUnreadable; ++i) {
            message += "\n" + tally.unreadable[i];
        }
        if (tally.unreadable.size() > kNamedUnreadable) {
            message +=
                "\nund " + std::to_string(tally.unreadable.size() - kNamedUnreadable) + " weitere";
        }
    }
    return message;
}

}  // namespace kolvaro
