#pragma once

// The limits of the Working Hours Act (ArbZG) for the days of a period: the
// break a day's work needs, the longest working day, the rest between two
// days, and work on a Sunday or a public holiday. They are information only:
// nothing is refused because of them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro {

enum class WorkLimit {
    Break,        // § 4: 30 minutes beyond 6 hours of work, 45 beyond 9
    DailyHours,   // § 3: no more than 10 hours of work a day
    Rest,         // § 5: 11 hours between leaving and the next arrival
    SundayWork,   // § 9: work on a Sunday
    HolidayWork,  // § 9: work on a public holiday
};

struct LimitFinding {
    WorkLimit limit;
    // A broken limit; false for a note (work on a Sunday or holiday).
    bool breach = true;
    // The whole sentence with the figures, as a tooltip shows it.
    std::string text;
    // A few words for the journal's remarks column.
    std::string remark;
    friend bool operator==(const LimitFinding&, const LimitFinding&) = default;
};

// One day line as the limits see it.
struct LimitDay {
    std::string weekday;               // "Mo" … "So"
    std::array<std::string, 4> times;  // Kommt, Pause, Pause, Geht: HH:MM or empty
    std::string holiday;               // the holiday's name, empty on other days
};

// The findings of every day, in the order of the days given. The days are
// consecutive: the rest is measured from each day's leaving to the next
// day's arrival and belongs to that next day. A shift whose leaving is
// earlier than its arrival ends the next morning. A day with a cell that is
// no time (only a damaged month file holds one) gets no findings.
std::vector<std::vector<LimitFinding>> CheckWorkLimits(const std::vector<LimitDay>& days);

// Whether any finding is a broken limit rather than a note.
bool AnyBreach(const std::vector<LimitFinding>& findings);

// The tooltip of a day: the sentences one per line.
std::string FindingsText(const std::vector<LimitFinding>& findings);

// The journal's remarks for a day: the holiday's name, then the short remark
// of each finding, separated by ", ".
std::string DayRemarks(std::string_view holiday, const std::vector<LimitFinding>& findings);

}  // namespace kolvaro
