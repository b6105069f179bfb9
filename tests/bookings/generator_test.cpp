#include "bookings/generator.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "bookings/random_source.h"
#include "data/failure.h"

namespace kolvaro {
namespace {

// Hands out the given values in turn and counts what was taken.
class ScriptedSource : public RandomSource {
  public:
    explicit ScriptedSource(std::vector<std::uint32_t> values) : values_(std::move(values)) {}
    std::uint32_t Next() override {
        if (taken_ >= values_.size()) {
            ADD_FAILURE() << "more values drawn than scripted";
            return 0;
        }
        return values_[taken_++];
    }
    std::size_t Taken() const { return taken_; }

  private:
    std::vector<std::uint32_t> values_;
    std::size_t taken_ = 0;
};

// Counts draws of an endless source.
class CountingSource : public RandomSource {
  public:
    explicit CountingSource(std::uint64_t seed) : inner_(seed) {}
    std::uint32_t Next() override {
        ++taken;
        return inner_.Next();
    }
    std::size_t taken = 0;

  private:
    SeededRandomSource inner_;
};

TEST(DrawBelowTest, ZeroLimitTakesNothingAndOtherLimitsTakeTheRemainder) {
    ScriptedSource source({125, 7});
    EXPECT_EQ(DrawBelow(source, 0), 0u);
    EXPECT_EQ(source.Taken(), 0u);
    EXPECT_EQ(DrawBelow(source, 60), 5u);
    EXPECT_EQ(DrawBelow(source, 1), 0u);
    EXPECT_EQ(source.Taken(), 2u);
}

TEST(SeededRandomSourceTest, ThirtyOneBitsAndTheSameSequenceForTheSameSeed) {
    SeededRandomSource first(1204);
    SeededRandomSource second(1204);
    // Seeds that differ only above 32 bits (calendar times far apart) must
    // not give the same sequence.
    SeededRandomSource later(1204 + (std::uint64_t{1} << 32));
    bool laterDiffers = false;
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t value = first.Next();
        EXPECT_LT(value, 1u << 31);
        EXPECT_EQ(value, second.Next());
        laterDiffers = laterDiffers || later.Next() != value;
    }
    EXPECT_TRUE(laterDiffers);
}

struct DrawCase {
    const char* von;
    const char* bis;
    std::vector<std::uint32_t> values;
    const char* expected;
};

TEST(DrawBookingTimeTest, OffsetsInsideTheWindow) {
    const std::vector<DrawCase> cases = {
        {"07:00", "07:00", {}, "07:00"},  // equal bounds take no value
        {"07:00", "07:01", {12345}, "07:00"},
        {"07:00", "08:00", {0}, "07:00"},
        {"07:00", "08:00", {59}, "07:59"},
        {"07:00", "08:00", {60}, "07:00"},
        {"07:00", "08:00", {2147483647}, "07:07"},  // 2^31 − 1 mod 60 = 7
        {"23:30", "23:59", {28}, "23:58"},
        {"00:00", "23:59", {1438}, "23:58"},
        // A night shift runs past midnight: 22:00–06:00 is 480 minutes long
        // and never reaches into the day.
        {"22:00", "06:00", {0}, "22:00"},
        {"22:00", "06:00", {119}, "23:59"},
        {"22:00", "06:00", {120}, "00:00"},
        {"22:00", "06:00", {479}, "05:59"},
        {"22:00", "06:00", {480}, "22:00"},
        {"22:00", "06:00", {959}, "05:59"},
        {"23:59", "00:00", {5}, "23:59"},  // one minute long
        {"00:01", "00:00", {1438}, "23:59"},
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(std::string(c.von) + "-" + c.bis);
        ScriptedSource source(c.values);
        EXPECT_EQ(DrawBookingTime(c.von, c.bis, source), c.expected);
        EXPECT_EQ(source.Taken(), c.values.size());
    }
}

TEST(DrawBookingTimeTest, ABoundThatIsNoTimeFailsWithItsText) {
    const std::vector<std::pair<const char*, const char*>> windows = {
        {"24:00", "08:00"}, {"07:00", "24:00"}, {"07:60", "08:00"},
        {"  :  ", "08:00"}, {"07:00", ""},
    };
    for (const auto& [von, bis] : windows) {
        const std::string bad = std::string(von) == "07:00" ? bis : von;
        SCOPED_TRACE(bad);
        ScriptedSource source({});
        try {
            DrawBookingTime(von, bis, source);
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "'" + bad + "' ist keine gültige Zeit");
        }
    }
}

TEST(DrawBookingTimeTest, EveryMinuteOfAnHourOccursButNeverTheLatestTime) {
    SeededRandomSource source(20080303);
    std::map<std::string, int> seen;
    for (int i = 0; i < 6000; ++i) {
        ++seen[DrawBookingTime("07:00", "08:00", source)];
    }
    ASSERT_EQ(seen.size(), 60u);
    EXPECT_EQ(seen.begin()->first, "07:00");
    EXPECT_EQ(seen.rbegin()->first, "07:59");
    EXPECT_EQ(seen.count("08:00"), 0u);
}

const std::array<bool, 7> kMondayToFriday = {true, true, true, true, true, false, false};
const std::array<bool, 7> kNoDay = {};
const std::vector<std::string> kWeek = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
const std::array<BookingWindow, 4> kUsualWindows = {
    BookingWindow{"07:00", "08:00"},
    {"12:00", "12:30"},
    {"12:30", "13:00"},
    {"16:00", "17:00"},
};

bool Within(const std::string& time, const BookingWindow& window) {
    return window.von <= time && time < window.bis;
}

TEST(GeneratePeriodTest, WorkingDaysGetFourBookingsOtherDaysNone) {
    CountingSource source(7);
    const GenerationResult result = GeneratePeriod(kMondayToFriday, kUsualWindows, kWeek, source);
    EXPECT_FALSE(result.failure);
    ASSERT_EQ(result.days.size(), 7u);
    for (std::size_t day = 0; day < 5; ++day) {
        for (std::size_t column = 0; column < 4; ++column) {
            EXPECT_TRUE(Within(result.days[day][column], kUsualWindows[column]))
                << kWeek[day] << " column " << column << ": " << result.days[day][column];
        }
    }
    EXPECT_EQ(result.days[5], DayBookings{});
    EXPECT_EQ(result.days[6], DayBookings{});
    EXPECT_EQ(source.taken, 20u);
}

TEST(GeneratePeriodTest, NoFlagOrUnknownWeekdayLeavesEveryDayEmpty) {
    CountingSource source(7);
    const GenerationResult none = GeneratePeriod(kNoDay, kUsualWindows, kWeek, source);
    EXPECT_FALSE(none.failure);
    EXPECT_EQ(none.days, std::vector<DayBookings>(7));
    const GenerationResult unknown =
        GeneratePeriod(kMondayToFriday, kUsualWindows, {"", "MO", "Sa"}, source);
    EXPECT_EQ(unknown.days, std::vector<DayBookings>(3));
    EXPECT_EQ(source.taken, 0u);
}

TEST(GeneratePeriodTest, EqualBreakTimesAreBothEmptiedWithoutDrawingAgain) {
    // Break windows of a missing key (00:00–00:00) come out equal every day.
    std::array<BookingWindow, 4> windows = kUsualWindows;
    windows[1] = {"00:00", "00:00"};
    windows[2] = {"00:00", "00:00"};
    ScriptedSource noBreak({5, 30, 5, 30});
    const GenerationResult result = GeneratePeriod(kMondayToFriday, windows, {"Mo", "Di"}, noBreak);
    EXPECT_EQ(result.days[0], (DayBookings{"07:05", "", "", "16:30"}));
    EXPECT_EQ(result.days[1], (DayBookings{"07:05", "", "", "16:30"}));

    // Overlapping windows: the same minute twice means no break that day,
    // a different minute keeps both, even a break that ends before it starts.
    windows[1] = {"12:00", "12:30"};
    windows[2] = {"12:15", "12:45"};
    ScriptedSource overlapping({0, 20, 5, 0, 0, 25, 0, 0});
    const GenerationResult second =
        GeneratePeriod(kMondayToFriday, windows, {"Mo", "Di"}, overlapping);
    EXPECT_EQ(second.days[0], (DayBookings{"07:00", "", "", "16:00"}));
    EXPECT_EQ(second.days[1], (DayBookings{"07:00", "12:25", "12:15", "16:00"}));
    EXPECT_EQ(overlapping.Taken(), 8u);
}

TEST(GeneratePeriodTest, AnInvalidBoundStopsAtItsDrawAndKeepsWhatWasDrawn) {
    struct Case {
        std::size_t window;
        bool latest;
        DayBookings failingDay;
    };
    const std::vector<Case> cases = {
        {0, false, {}},
        {2, true, {"07:10", "12:10", "", ""}},
        {3, true, {"07:10", "12:10", "12:40", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        std::array<BookingWindow, 4> windows = kUsualWindows;
        (c.latest ? windows[c.window].bis : windows[c.window].von) = "24:00";
        ScriptedSource source({10, 10, 10, 10, 10, 10, 10, 10, 10, 10});
        const GenerationResult result =
            GeneratePeriod(kMondayToFriday, windows, {"So", "Mo", "Di"}, source);
        ASSERT_TRUE(result.failure);
        EXPECT_EQ(*result.failure, "'24:00' ist keine gültige Zeit");
        ASSERT_EQ(result.days.size(), 3u);
        EXPECT_EQ(result.days[0], DayBookings{});
        EXPECT_EQ(result.days[1], c.failingDay);
        EXPECT_EQ(result.days[2], DayBookings{});
    }
}

TEST(GeneratePeriodTest, APeriodWithoutWorkingDayReadsNoBound) {
    std::array<BookingWindow, 4> windows = kUsualWindows;
    windows[0] = {"24:00", "  :  "};
    ScriptedSource source({});
    const GenerationResult result = GeneratePeriod(kMondayToFriday, windows, {"Sa", "So"}, source);
    EXPECT_FALSE(result.failure);
    EXPECT_EQ(result.days, std::vector<DayBookings>(2));
}

TEST(GeneratePeriodTest, AHolidayIsADayOff) {
    // Tuesday and Saturday are holidays: Tuesday gets nothing although it is
    // a working day, and its draws are not taken, as for a day off.
    const std::array<bool, 7> everyDay = {true, true, true, true, true, true, true};
    const std::vector<bool> holidays = {false, true, false, false, false, true, false};
    CountingSource source(7);
    const GenerationResult result =
        GeneratePeriod(everyDay, kUsualWindows, kWeek, source, holidays);
    EXPECT_FALSE(result.failure);
    for (std::size_t day = 0; day < kWeek.size(); ++day) {
        EXPECT_EQ(result.days[day][0].empty(), holidays[day]) << kWeek[day];
    }
    EXPECT_EQ(source.taken, 20u);

    // The same as unchecking Tuesday and Saturday, draw for draw; no list of
    // holidays, or a shorter one, changes nothing.
    SeededRandomSource withHolidays(1204531200);
    SeededRandomSource withDaysOff(1204531200);
    SeededRandomSource withoutList(1204531200);
    SeededRandomSource withNoHoliday(1204531200);
    const std::array<bool, 7> withoutTuesdayAndSaturday = {true, false, true, true,
                                                           true, false, true};
    EXPECT_EQ(GeneratePeriod(everyDay, kUsualWindows, kWeek, withHolidays, holidays).days,
              GeneratePeriod(withoutTuesdayAndSaturday, kUsualWindows, kWeek, withDaysOff).days);
    EXPECT_EQ(GeneratePeriod(everyDay, kUsualWindows, kWeek, withoutList).days,
              GeneratePeriod(everyDay, kUsualWindows, kWeek, withNoHoliday, {false, false}).days);

    // A holiday reads no bound either.
    std::array<BookingWindow, 4> broken = kUsualWindows;
    broken[0] = {"24:00", "08:00"};
    ScriptedSource none({});
    EXPECT_FALSE(GeneratePeriod(everyDay, broken, {"Mo"}, none, {true}).failure);
}

TEST(GeneratePeriodTest, TheSameSeedGivesTheSameBookings) {
    SeededRandomSource first(1204531200);
    SeededRandomSource second(1204531200);
    const std::array<bool, 7> everyDay = {true, true, true, true, true, true, true};
    const GenerationResult a = GeneratePeriod(everyDay, kUsualWindows, kWeek, first);
    const GenerationResult b = GeneratePeriod(everyDay, kUsualWindows, kWeek, second);
    EXPECT_EQ(a.days, b.days);
}

}  // namespace
}  // namespace kolvaro
