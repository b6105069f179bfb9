#include "bookings/journal_page.h"

#include <gtest/gtest.h>

#include "bookings/publisher.h"

namespace kolvaro {
namespace {

// Every character is as wide as the point size, twice that in bold; H is 50.
class FakeMeasurer : public JournalMeasurer {
  public:
    int TextWidth(const JournalFont& font, std::string_view text) const override {
        return static_cast<int>(text.size()) * font.pointSize * (font.bold ? 2 : 1);
    }
    int LineHeight() const override { return 50; }
};

constexpr int kH = 50;

JournalInput MonthInput(int days, int pageWidth = 4800) {
    JournalInput input;
    input.dateFrom = "01.03.2008";
    input.dateTo = days == 28 ? "28.02.2009" : "31.03.2008";
    input.employee = "0007        Anna Beispiel";
    input.printDate = "02.04.2008";
    input.printTime = "09:15";
    input.headings = {"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"};
    for (int day = 1; day <= days; ++day) {
        JournalLine line;
        line.identity = {"Mo", (day < 10 ? "0" : "") + std::to_string(day) + ".03.2008"};
        if (day == 3) {
            line.booking.cells = {"07:05", "12:00", "12:30", "16:10", "08:35", "8:35"};
        }
        input.lines.push_back(line);
    }
    input.totalCaption = "8:35 ";
    input.pageWidth = pageWidth;
    input.pageHeight = 6800;
    return input;
}

const TextOp* FindText(const std::vector<DrawOp>& ops, std::string_view text) {
    for (const DrawOp& op : ops) {
        if (const auto* t = std::get_if<TextOp>(&op); t != nullptr && t->text == text) {
            return t;
        }
    }
    return nullptr;
}

std::vector<LineOp> Lines(const std::vector<DrawOp>& ops) {
    std::vector<LineOp> lines;
    for (const DrawOp& op : ops) {
        if (const auto* l = std::get_if<LineOp>(&op)) {
            lines.push_back(*l);
        }
    }
    return lines;
}

struct Expected {
    const char* text;
    int x;
    int line;
    JournalFont font;
};

TEST(JournalPageTest, PositionsOnAPageFourThousandEightHundredPixelsWide) {
    // U = 228, M = 342.
    const std::vector<DrawOp> ops = JournalPage(MonthInput(31), FakeMeasurer());
    const JournalFont title{14, true}, bold{10, true}, regular{10, false};
    const std::vector<Expected> expected = {
        {"MONATSJOURNAL", 570, 4, title},
        {"Zeitraum 01.03.2008 - 31.03.2008", 4230 - 32 * 28, 4, title},
        {"0007        Anna Beispiel", 570, 6, bold},
        {"gedruckt 02.04.2008 09:15", 4230 - 25 * 20, 6, bold},
        {"Datum", 456, 10, bold},
        {"Kommt", 1208, 10, bold},       // 342 + trunc(3.8 × 228)
        {"Geht", 342 + 1960, 10, bold},  // 8.6 U: 0.1 U right of its values
        {"Tag", 342 + 2302, 10, bold},
        {"Summe", 342 + 2644, 10, bold},
        {"Bemerkungen", 342 + 3306, 10, bold},
        {"03.03.2008", 342 + 296, 13, regular},
        {"07:05", 1254, 13, regular},  // 342 + 4 × 228
        {"12:00", 342 + 1254, 13, regular},
        {"12:30", 342 + 1596, 13, regular},
        {"16:10", 342 + 1938, 13, regular},
        {"08:35", 342 + 2508 - 50, 13, regular},
        {"8:35", 342 + 2964 - 40, 13, regular},
        {"Gesamt-Summe:", 342 + 1892, 42, bold},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.text);
        const TextOp* op = FindText(ops, e.text);
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(op->x, e.x);
        EXPECT_EQ(op->y, e.line * kH);
        EXPECT_EQ(op->font, e.font);
        EXPECT_EQ(op->background, kWhite);
    }

    const auto* frame = std::get_if<RectOp>(&ops.front());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ((std::array{frame->left, frame->top, frame->right, frame->bottom}),
              (std::array{342, 150, 4458, 400}));
    EXPECT_EQ(frame->pen, kBlack);
    EXPECT_EQ(frame->fill, kWhite);
    EXPECT_EQ(frame->penWidth, 4);

    // The heading line's rules: nine verticals, then the rule along its top.
    const std::vector<LineOp> lines = Lines(ops);
    const std::array<int, 9> ruleX = {342, 1185, 1527, 1869, 2211, 2553, 2895, 3351, 4458};
    for (std::size_t i = 0; i < ruleX.size(); ++i) {
        EXPECT_EQ((std::array{lines[i].x1, lines[i].y1, lines[i].x2, lines[i].y2}),
                  (std::array{ruleX[i], 500, ruleX[i], 550}))
            << i;
    }
    EXPECT_EQ((std::array{lines[9].x1, lines[9].y1, lines[9].x2, lines[9].y2}),
              (std::array{342, 500, 4458, 500}));
    for (const LineOp& line : lines) {
        EXPECT_EQ(line.pen, kBlack);
        EXPECT_EQ(line.penWidth, 4);
    }
}

TEST(JournalPageTest, TotalAndClosingRuleFollowTheNumberOfDays) {
    for (const auto& [days, totalLine] : {std::pair{28, 39}, std::pair{31, 42}}) {
        SCOPED_TRACE(days);
        JournalInput input = MonthInput(days);
        input.totalCaption = "0:00 ";
        const std::vector<DrawOp> ops = JournalPage(input, FakeMeasurer());

        const TextOp* caption = FindText(ops, "Gesamt-Summe:");
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(caption->y, totalLine * kH);
        const TextOp* total = FindText(ops, "0:00");
        ASSERT_NE(total, nullptr);
        EXPECT_EQ(total->x, 3306 - 4 * 20);
        EXPECT_EQ(total->y, totalLine * kH);
        EXPECT_EQ(total->font, (JournalFont{10, true}));
        EXPECT_EQ(FindText(ops, "0:00 "), nullptr);

        // Ten rules for the heading and for every day line, even the empty
        // ones, then the total line: its two sides, its top, the closing rule.
        const std::vector<LineOp> lines = Lines(ops);
        ASSERT_EQ(lines.size(), 10u * (days + 1) + 4);
        const std::size_t t = lines.size() - 4;
        const int top = totalLine * kH;
        EXPECT_EQ((std::array{lines[t].x1, lines[t].y1, lines[t].x2, lines[t].y2}),
                  (std::array{342, top, 342, top + kH}));
        EXPECT_EQ((std::array{lines[t + 1].x1, lines[t + 1].y1, lines[t + 1].x2, lines[t + 1].y2}),
                  (std::array{4458, top, 4458, top + kH}));
        EXPECT_EQ((std::array{lines[t + 2].x1, lines[t + 2].y1, lines[t + 2].x2, lines[t + 2].y2}),
                  (std::array{342, top, 4458, top}));
        EXPECT_EQ((std::array{lines[t + 3].x1, lines[t + 3].y1, lines[t + 3].x2, lines[t + 3].y2}),
                  (std::array{342, top + kH, 4458, top + kH}));

        // An empty day line prints its weekday and date only.
        const TextOp* lastDay = FindText(ops, std::to_string(days) + ".03.2008");
        ASSERT_NE(lastDay, nullptr);
        EXPECT_EQ(lastDay->y, (totalLine - 1) * kH);
    }
}

TEST(JournalPageTest, DrawingOrderAndFooter) {
    const std::vector<DrawOp> ops = JournalPage(MonthInput(28), FakeMeasurer());
    // Frame, four title texts, eight headings, ten rules; per day line its
    // texts and ten rules; the total line; the footer bar and its two texts.
    ASSERT_EQ(ops.size(), 1u + 4 + 8 + 10 + (28 * 12 + 6) + 6 + 1 + 2);
    EXPECT_EQ(std::get<TextOp>(ops[5]).text, "Datum");
    EXPECT_EQ(std::get<TextOp>(ops[12]).text, "Bemerkungen");
    EXPECT_TRUE(std::holds_alternative<LineOp>(ops[13]));

    const auto& bar = std::get<RectOp>(ops[ops.size() - 3]);
    EXPECT_EQ((std::array{bar.left, bar.top, bar.right, bar.bottom}),
              (std::array{342, 6800 - 342 - 50, 4458, 6800 - 342}));
    EXPECT_EQ(bar.pen, kWhite);
    EXPECT_EQ(bar.fill, kSilver);

    const JournalFont small{8, false};
    const auto& publisher = std::get<TextOp>(ops[ops.size() - 2]);
    EXPECT_EQ(publisher.text, kPublisherLine);
    EXPECT_EQ(publisher.x, 364);              // 342 + trunc(22.8)
    EXPECT_EQ(publisher.y, 6800 - 342 - 45);  // trunc(0.9 × 50)
    EXPECT_EQ(publisher.font, small);
    EXPECT_EQ(publisher.background, kSilver);

    const auto& created = std::get<TextOp>(ops.back());
    EXPECT_EQ(created.text, "created by Kolvaro");
    EXPECT_EQ(created.x, 4435 - 18 * 8);  // trunc(4800 − 342 − 22.8 − width)
    EXPECT_EQ(created.y, 6800 - 342 - 45);
    EXPECT_EQ(created.font, small);
    EXPECT_EQ(created.background, kSilver);
}

TEST(JournalPageTest, RemarksFillTheLastColumnCutToFit) {
    // U = 228, M = 342: the remarks start at 342 + trunc(13.4 × 228) = 3397
    // and end before 4800 − 342 − 228 / 5 = 4413, room for 127 characters of
    // the measurer's 8 pixels.
    const std::string longRemark = std::string(123, 'a') + ", Ruhezeit 8:00";
    std::string umlauts;
    for (int i = 0; i < 100; ++i) {
        umlauts += "ä";
    }
    const struct {
        std::string remarks;
        std::string printed;
    } cases[] = {
        {"Neujahr, Pause fehlt", "Neujahr, Pause fehlt"},
        {std::string(127, 'x'), std::string(127, 'x')},
        {std::string(128, 'x'), std::string(124, 'x') + "…"},
        // Cut after the last whole remark that fits, else inside the first,
        // never before a comma.
        {"Neujahr, Pause fehlt, " + std::string(120, 'x'), "Neujahr, Pause fehlt, …"},
        {longRemark, std::string(123, 'a') + "…"},
        {umlauts, umlauts.substr(0, 124) + "…"},  // never half a character
    };
    for (const auto& c : cases) {
        JournalInput input = MonthInput(28);
        input.lines[4].remarks = c.remarks;
        const std::vector<DrawOp> ops = JournalPage(input, FakeMeasurer());
        const TextOp* remarks = FindText(ops, c.printed);
        ASSERT_NE(remarks, nullptr) << c.remarks;
        EXPECT_EQ(remarks->x, 3397);
        EXPECT_EQ(remarks->y, 15 * kH + kH / 10);
        EXPECT_EQ(remarks->font, kRemarksFont);
        EXPECT_EQ(remarks->background, kWhite);
        // One text more than without remarks, and nothing else changes.
        const std::vector<DrawOp> plain = JournalPage(MonthInput(28), FakeMeasurer());
        EXPECT_EQ(ops.size(), plain.size() + 1);
    }
}

TEST(JournalPageTest, FractionalFactorsGivingWholePixelsAreNotCutShort) {
    // U = 100, M = 150: 8.2 U and 13.2 U are whole numbers that a product in
    // binary floating point would land just below.
    const std::vector<DrawOp> ops = JournalPage(MonthInput(28, 2100), FakeMeasurer());
    const std::vector<LineOp> lines = Lines(ops);
    const std::array<int, 9> ruleX = {150, 520, 670, 820, 970, 1120, 1270, 1470, 1950};
    for (std::size_t i = 0; i < ruleX.size(); ++i) {
        EXPECT_EQ(lines[i].x1, ruleX[i]) << i;
    }
    EXPECT_EQ(FindText(ops, "Kommt")->x, 530);
    EXPECT_EQ(FindText(ops, "Geht")->x, 1010);
    EXPECT_EQ(FindText(ops, "Gesamt-Summe:")->x, 980);
}

}  // namespace
}  // namespace kolvaro
