#include "bookings/work_limits.h"

#include <algorithm>
#include <optional>

#include "bookings/totals.h"
#include "data/failure.h"
#include "data/time_text.h"

namespace kolvaro {

namespace {

constexpr int kMinutesPerDay = 24 * 60;
constexpr int kLongestDay = 10 * 60;
constexpr int kShortestRest = 11 * 60;

// The four cells of a day as minutes of the day; nothing for an empty cell.
struct DayMinutes {
    std::array<std::optional<int>, 4> at;
};

// Nothing when a cell holds something that is no time.
std::optional<DayMinutes> MinutesOf(const LimitDay& day) {
    DayMinutes minutes;
    try {
        for (std::size_t i = 0; i < 4; ++i) {
            if (!day.times[i].empty()) {
                StrToTime(day.times[i]);  // throws for what is no time of day
                minutes.at[i] = TimeToMinutes(day.times[i].substr(0, 5));
            }
        }
    } catch (const Failure&) {
        return std::nullopt;
    }
    return minutes;
}

// From `from` to `to` in minutes, past midnight when `to` is earlier.
int Elapsed(int from, int to) {
    return to < from ? kMinutesPerDay - (from - to) : to - from;
}

std::string Minutes(int minutes) {
    return std::to_string(minutes) + (minutes == 1 ? " Minute" : " Minuten");
}

void CheckDay(const LimitDay& day, const DayMinutes& minutes, std::vector<LimitFinding>& found) {
    // The working time counts as the "Tag" column counts it.
    const int work = TimeToMinutes(DayTime(day.times[0], day.times[1], day.times[2], day.times[3]));
    const std::string workText = MinutesToTime(work) + " Arbeitszeit";

    if (work > kLongestDay) {
        found.push_back({WorkLimit::DailyHours, true,
                         workText + ": mehr als 10 Stunden (§ 3 ArbZG)",
                         "Arbeitszeit " + MinutesToTime(work)});
    }

    const int needed = work > 9 * 60 ? 45 : work > 6 * 60 ? 30 : 0;
    const std::optional<int>& breakStart = minutes.at[1];
    const std::optional<int>& breakEnd = minutes.at[2];
    const int taken = breakStart && breakEnd ? Elapsed(*breakStart, *breakEnd) : 0;
    if (taken < needed) {
        std::string what;
        std::string remark;
        if (breakStart && breakEnd) {
            what = Minutes(taken) + " Pause";
            remark =
                "Pause " + std::to_string(taken) + " statt " + std::to_string(needed) + " Min.";
        } else if (breakStart) {
            what = "Pause ohne Ende gebucht";
            remark = "Pause unvollständig";
        } else if (breakEnd) {
            what = "Pause ohne Beginn gebucht";
            remark = "Pause unvollständig";
        } else {
            what = "keine Pause";
            remark = "Pause fehlt";
        }
        found.push_back(
            {WorkLimit::Break, true,
             workText + ", " + what + ": nötig sind " + Minutes(needed) + " (§ 4 ArbZG)", remark});
    }
}

}  // namespace

std::vector<std::vector<LimitFinding>> CheckWorkLimits(const std::vector<LimitDay>& days) {
    std::vector<std::vector<LimitFinding>> findings(days.size());
    // Where the day before ended, in minutes from the start of that day; -1
    // when it has no end to measure from.
    int previousEnd = -1;
    std::string previousGeht;
    for (std::size_t i = 0; i < days.size(); ++i) {
        const LimitDay& day = days[i];
        std::vector<LimitFinding>& found = findings[i];
        const std::optional<DayMinutes> minutes = MinutesOf(day);
        if (!minutes) {
            previousEnd = -1;
            continue;
        }
        const auto& [kommt, pause1, pause2, geht] = minutes->at;

        CheckDay(day, *minutes, found);

        if (previousEnd >= 0 && kommt) {
            const int rest = std::max(0, kMinutesPerDay + *kommt - previousEnd);
            if (rest < kShortestRest) {
                found.push_back({WorkLimit::Rest, true,
                                 MinutesToTime(rest) + " Ruhezeit (Geht " + previousGeht +
                                     " am Vortag, Kommt " + day.times[0] +
                                     "): nötig sind 11 Stunden (§ 5 ArbZG)",
                                 "Ruhezeit " + MinutesToTime(rest)});
            }
        }
        previousEnd = -1;
        if (kommt && geht) {
            // A leaving before the arrival is the next morning.
            previousEnd = *kommt + Elapsed(*kommt, *geht);
            previousGeht = day.times[3];
        }

        const bool worked = kommt || pause1 || pause2 || geht;
        if (worked && !day.holiday.empty()) {
            found.push_back({WorkLimit::HolidayWork, false,
                             "Arbeit am Feiertag " + day.holiday + " (§ 9 ArbZG)",
                             "Feiertagsarbeit"});
        } else if (worked && day.weekday == "So") {
            found.push_back(
                {WorkLimit::SundayWork, false, "Arbeit am Sonntag (§ 9 ArbZG)", "Sonntagsarbeit"});
        }
    }
    return findings;
}

bool AnyBreach(const std::vector<LimitFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const LimitFinding& finding) { return finding.breach; });
}

std::string FindingsText(const std::vector<LimitFinding>& findings) {
    std::string text;
    for (const LimitFinding& finding : findings) {
        text += text.empty() ? finding.text : "\n" + finding.text;
    }
    return text;
}

std::string DayRemarks(std::string_view holiday, const std::vector<LimitFinding>& findings) {
    std::string remarks(holiday);
    for (const LimitFinding& finding : findings) {
        remarks += remarks.empty() ? finding.remark : ", " + finding.remark;
    }
    return remarks;
}

}  // namespace kolvaro
