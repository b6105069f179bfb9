#include "bookings/work_limits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvaro {
namespace {

LimitDay Day(std::string kommt, std::string pause1, std::string pause2, std::string geht,
             std::string weekday = "Mo", std::string holiday = "") {
    return {std::move(weekday),
            {std::move(kommt), std::move(pause1), std::move(pause2), std::move(geht)},
            std::move(holiday)};
}

std::vector<std::string> Texts(const std::vector<LimitFinding>& findings) {
    std::vector<std::string> texts;
    for (const LimitFinding& finding : findings) {
        texts.push_back(finding.text);
    }
    return texts;
}

// One day alone: the break (§ 4) and the longest day (§ 3) at their edges.
TEST(WorkLimits, OneDayAtTheEdges) {
    const struct {
        LimitDay day;
        std::vector<std::string> texts;
    } cases[] = {
        // Exactly 6:00 needs no break, 6:01 needs 30 minutes.
        {Day("08:00", "", "", "14:00"), {}},
        {Day("08:00", "", "", "14:01"),
         {"6:01 Arbeitszeit, keine Pause: nötig sind 30 Minuten (§ 4 ArbZG)"}},
        {Day("08:00", "12:00", "12:29", "14:30"),
         {"6:01 Arbeitszeit, 29 Minuten Pause: nötig sind 30 Minuten (§ 4 ArbZG)"}},
        {Day("08:00", "12:00", "12:30", "14:31"), {}},
        // Exactly 9:00 with 30 minutes is enough, 9:01 needs 45.
        {Day("07:00", "12:00", "12:30", "16:30"), {}},
        {Day("07:00", "12:00", "12:30", "16:31"),
         {"9:01 Arbeitszeit, 30 Minuten Pause: nötig sind 45 Minuten (§ 4 ArbZG)"}},
        {Day("07:00", "12:00", "12:30", "17:00"),
         {"9:30 Arbeitszeit, 30 Minuten Pause: nötig sind 45 Minuten (§ 4 ArbZG)"}},
        {Day("07:00", "12:00", "12:45", "16:46"), {}},
        // Exactly 10:00 is allowed, 10:01 is not.
        {Day("06:00", "12:00", "12:45", "16:45"), {}},
        {Day("06:00", "12:00", "12:45", "16:46"),
         {"10:01 Arbeitszeit: mehr als 10 Stunden (§ 3 ArbZG)"}},
        {Day("06:00", "12:00", "12:10", "17:00"),
         {"10:50 Arbeitszeit: mehr als 10 Stunden (§ 3 ArbZG)",
          "10:50 Arbeitszeit, 10 Minuten Pause: nötig sind 45 Minuten (§ 4 ArbZG)"}},
        // A lone break cell is no break; the day counts from arrival to leaving.
        {Day("08:00", "12:00", "", "15:00"),
         {"7:00 Arbeitszeit, Pause ohne Ende gebucht: nötig sind 30 Minuten (§ 4 ArbZG)"}},
        {Day("08:00", "", "12:30", "15:00"),
         {"7:00 Arbeitszeit, Pause ohne Beginn gebucht: nötig sind 30 Minuten (§ 4 ArbZG)"}},
        {Day("08:00", "12:00", "", "14:00"), {}},
        // A night shift past midnight, its break too.
        {Day("22:00", "23:50", "00:20", "06:30"), {}},
        {Day("22:00", "02:00", "02:15", "06:30"),
         {"8:15 Arbeitszeit, 15 Minuten Pause: nötig sind 30 Minuten (§ 4 ArbZG)"}},
        {Day("20:00", "", "", "07:00"),
         {"11:00 Arbeitszeit: mehr als 10 Stunden (§ 3 ArbZG)",
          "11:00 Arbeitszeit, keine Pause: nötig sind 45 Minuten (§ 4 ArbZG)"}},
        // Only the arrival, nothing at all, a damaged cell: nothing to say.
        {Day("08:00", "", "", ""), {}},
        {Day("", "", "", ""), {}},
        {Day("08:00", "", "", "2x:00"), {}},
        {Day("06:00", "", "", "25:00"), {}},
    };
    for (const auto& c : cases) {
        const auto findings = CheckWorkLimits({c.day});
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(Texts(findings[0]), c.texts) << c.day.times[0] << " " << c.day.times[1] << " "
                                               << c.day.times[2] << " " << c.day.times[3];
        EXPECT_EQ(AnyBreach(findings[0]), !c.texts.empty());
    }
}

// The rest between two days (§ 5) belongs to the second day.
TEST(WorkLimits, RestBetweenDays) {
    const struct {
        LimitDay first;
        LimitDay second;
        std::string text;  // the second day's rest finding, empty for none
    } cases[] = {
        {Day("08:00", "", "", "20:00"), Day("07:00", "", "", "12:00"), ""},  // exactly 11:00
        {Day("08:00", "", "", "20:01"), Day("07:00", "", "", "12:00"),
         "10:59 Ruhezeit (Geht 20:01 am Vortag, Kommt 07:00): nötig sind 11 Stunden (§ 5 ArbZG)"},
        {Day("14:00", "", "", "22:00"), Day("06:00", "", "", "10:00"),
         "8:00 Ruhezeit (Geht 22:00 am Vortag, Kommt 06:00): nötig sind 11 Stunden (§ 5 ArbZG)"},
        // A night shift ends the next morning: the rest counts from then.
        {Day("22:00", "", "", "02:00"), Day("12:00", "", "", "14:00"),
         "10:00 Ruhezeit (Geht 02:00 am Vortag, Kommt 12:00): nötig sind 11 Stunden (§ 5 ArbZG)"},
        {Day("22:00", "", "", "02:00"), Day("13:00", "", "", "14:00"), ""},
        // An overlap is no rest at all.
        {Day("22:00", "", "", "06:00"), Day("05:00", "", "", "09:00"),
         "0:00 Ruhezeit (Geht 06:00 am Vortag, Kommt 05:00): nötig sind 11 Stunden (§ 5 ArbZG)"},
        // Without a leaving or without an arrival there is nothing to measure.
        {Day("08:00", "12:00", "12:30", ""), Day("06:00", "", "", "10:00"), ""},
        {Day("14:00", "", "", "22:00"), Day("", "", "", "10:00"), ""},
        {Day("14:00", "", "", "22:00"), Day("", "", "", ""), ""},
    };
    for (const auto& c : cases) {
        const auto findings = CheckWorkLimits({c.first, c.second});
        ASSERT_EQ(findings.size(), 2u);
        std::string text;
        for (const LimitFinding& finding : findings[1]) {
            if (finding.limit == WorkLimit::Rest) {
                text = finding.text;
            }
        }
        EXPECT_EQ(text, c.text) << c.first.times[0] << "-" << c.first.times[3] << " then "
                                << c.second.times[0];
    }

    // A free day in between: two days of rest, nothing to say.
    const auto spaced = CheckWorkLimits(
        {Day("14:00", "", "", "23:00"), Day("", "", "", ""), Day("06:00", "", "", "10:00")});
    EXPECT_TRUE(spaced[2].empty());
}

TEST(WorkLimits, SundaysAndHolidaysAreNotes) {
    const auto findings = CheckWorkLimits({
        Day("08:00", "", "", "12:00", "So"),
        Day("", "", "", "", "So"),
        Day("08:00", "", "", "12:00", "Mi", "Neujahr"),
        Day("", "", "", "", "Mo", "Ostermontag"),
        Day("10:00", "", "", "12:00", "So", "Ostersonntag"),
        Day("08:00", "", "", "12:00", "Sa"),
    });
    ASSERT_EQ(findings.size(), 6u);
    EXPECT_EQ(findings[0],
              (std::vector<LimitFinding>{{WorkLimit::SundayWork, false,
                                          "Arbeit am Sonntag (§ 9 ArbZG)", "Sonntagsarbeit"}}));
    EXPECT_TRUE(findings[1].empty());
    EXPECT_EQ(findings[2], (std::vector<LimitFinding>{{WorkLimit::HolidayWork, false,
                                                       "Arbeit am Feiertag Neujahr (§ 9 ArbZG)",
                                                       "Feiertagsarbeit"}}));
    EXPECT_TRUE(findings[3].empty());
    EXPECT_EQ(Texts(findings[4]),
              (std::vector<std::string>{"Arbeit am Feiertag Ostersonntag (§ 9 ArbZG)"}));
    EXPECT_TRUE(findings[5].empty());
    EXPECT_FALSE(AnyBreach(findings[0]));
}

TEST(WorkLimits, TooltipAndRemarks) {
    const auto findings =
        CheckWorkLimits({Day("14:00", "", "", "20:00"),
                         Day("06:00", "12:00", "12:10", "17:00", "So", "Pfingstsonntag")});
    EXPECT_EQ(FindingsText(findings[1]),
              "10:50 Arbeitszeit: mehr als 10 Stunden (§ 3 ArbZG)\n"
              "10:50 Arbeitszeit, 10 Minuten Pause: nötig sind 45 Minuten (§ 4 ArbZG)\n"
              "10:00 Ruhezeit (Geht 20:00 am Vortag, Kommt 06:00): nötig sind 11 Stunden (§ 5 "
              "ArbZG)\n"
              "Arbeit am Feiertag Pfingstsonntag (§ 9 ArbZG)");
    EXPECT_EQ(DayRemarks("Pfingstsonntag", findings[1]),
              "Pfingstsonntag, Arbeitszeit 10:50, Pause 10 statt 45 Min., Ruhezeit 10:00, "
              "Feiertagsarbeit");
    EXPECT_EQ(DayRemarks("", findings[0]), "");
    EXPECT_EQ(DayRemarks("Neujahr", {}), "Neujahr");
    EXPECT_EQ(FindingsText({}), "");
}

}  // namespace
}  // namespace kolvaro
