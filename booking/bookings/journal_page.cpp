#include "bookings/journal_page.h"

#include "bookings/publisher.h"

namespace kolvaro {

namespace {

constexpr JournalFont kTitleFont{14, true};
constexpr JournalFont kBoldFont{10, true};
constexpr JournalFont kRegularFont{10, false};
constexpr JournalFont kFooterFont{8, false};

// Horizontal positions are M plus a factor of U. The factors have at most one
// decimal, so they are kept in tenths: the position is then the exact value
// truncated toward zero, with no rounding noise where a fractional factor
// happens to give a whole number of pixels.
class PageGeometry {
  public:
    explicit PageGeometry(int pageWidth) : unit_(pageWidth / 21), margin_(unit_ * 3 / 2) {}

    int Unit() const { return unit_; }
    int Margin() const { return margin_; }

    // M + tenths/10 × U.
    int At(int tenths) const {
        if (tenths % 10 == 0) {
            return margin_ + tenths / 10 * unit_;
        }
        return Truncate(10LL * margin_ + static_cast<long long>(tenths) * unit_);
    }

    // A value given in tenths of a pixel, truncated toward zero.
    static int Truncate(long long tenthsOfPixel) { return static_cast<int>(tenthsOfPixel / 10); }

  private:
    int unit_;
    int margin_;  // 1.5 × U truncated
};

// The table's inner column rules, in tenths of U from the margin.
constexpr std::array<int, 7> kRuleTenths = {37, 52, 67, 82, 97, 112, 132};

class PageBuilder {
  public:
    PageBuilder(const JournalInput& input, const JournalMeasurer& measurer)
        : input_(input), measurer_(measurer), geometry_(input.pageWidth) {}

    std::vector<DrawOp> Build() {
        const int pw = input_.pageWidth;
        const int ph = input_.pageHeight;
        const int u = geometry_.Unit();
        const int m = geometry_.Margin();
        // Every line of the page is one H high, although nothing is printed
        // in the 11 pt that H is measured in.
        h_ = measurer_.LineHeight();

        font_ = kTitleFont;
        ops_.push_back(RectOp{m, 3 * h_, pw - m, 8 * h_, kBlack, kWhite, kJournalPenWidth});
        Text("MONATSJOURNAL", m + u, 4);
        TextEndingAt("Zeitraum " + input_.dateFrom + " - " + input_.dateTo, pw - m - u, 4);

        font_ = kBoldFont;
        Text(input_.employee, m + u, 6);
        TextEndingAt("gedruckt " + input_.printDate + " " + input_.printTime, pw - m - u, 6);

        constexpr std::array<int, 6> kHeadingTenths = {38, 55, 70, 86, 101, 116};
        Text("Datum", geometry_.At(5), 10);
        for (std::size_t column = 0; column < 6; ++column) {
            Text(input_.headings[column], geometry_.At(kHeadingTenths[column]), 10);
        }
        Text("Bemerkungen", geometry_.At(145), 10);
        TableRules(10);

        font_ = kRegularFont;
        constexpr std::array<int, 4> kTimeTenths = {40, 55, 70, 85};
        int line = 10;
        for (const JournalLine& day : input_.lines) {
            ++line;
            Text(day.identity.weekday, geometry_.At(5), line);
            Text(day.identity.date, geometry_.At(13), line);
            for (std::size_t column = 0; column < 4; ++column) {
                Text(day.booking.cells[column], geometry_.At(kTimeTenths[column]), line);
            }
            TextEndingAt(day.booking.cells[4], geometry_.At(110), line);
            TextEndingAt(day.booking.cells[5], geometry_.At(130), line);
            Remarks(day.remarks, line);
            TableRules(line);
        }

        ++line;
        font_ = kBoldFont;
        Text("Gesamt-Summe:", geometry_.At(83), line);
        // The caption carries a blank after the total.
        std::string total = input_.totalCaption;
        if (!total.empty()) {
            total.pop_back();
        }
        TextEndingAt(total, geometry_.At(130), line);
        Rule(m, line * h_, m, (line + 1) * h_);
        Rule(pw - m, line * h_, pw - m, (line + 1) * h_);
        Rule(m, line * h_, pw - m, line * h_);
        Rule(m, (line + 1) * h_, pw - m, (line + 1) * h_);

        font_ = kFooterFont;
        background_ = kSilver;
        ops_.push_back(RectOp{m, ph - m - h_, pw - m, ph - m, kWhite, kSilver, kJournalPenWidth});
        const int footerY = PageGeometry::Truncate(10LL * (ph - m) - 9LL * h_);
        TextAt(std::string(kPublisherLine), geometry_.At(1), footerY);
        const std::string created = "created by Kolvaro";
        TextAt(created,
               PageGeometry::Truncate(10LL * (pw - m - Width(created)) - static_cast<long long>(u)),
               footerY);
        return std::move(ops_);
    }

  private:
    int Width(const std::string& text) const { return measurer_.TextWidth(font_, text); }

    void TextAt(const std::string& text, int x, int y) {
        // An empty cell prints nothing.
        if (!text.empty()) {
            ops_.push_back(TextOp{text, font_, x, y, background_});
        }
    }

    void Text(const std::string& text, int x, int line) { TextAt(text, x, line * h_); }

    void TextEndingAt(const std::string& text, int right, int line) {
        Text(text, right - Width(text), line);
    }

    // The remarks sit in the last column, between its rule and the page's
    // right rule, cut with "…" where they do not fit.
    void Remarks(const std::string& remarks, int line) {
        if (remarks.empty()) {
            return;
        }
        const JournalFont font = font_;
        font_ = kRemarksFont;
        const int u = geometry_.Unit();
        const int left = geometry_.At(134);
        const int right = input_.pageWidth - geometry_.Margin() - u / 5;
        const int room = right - left;
        const std::string ellipsis = "…";
        std::string shown = remarks;
        if (Width(shown) > room) {
            shown = CutAtItems(remarks, ellipsis, room);
        }
        if (shown.empty()) {
            // Not even the first remark fits: cut it, character by character.
            shown = remarks;
            while (!shown.empty() && Width(shown + ellipsis) > room) {
                // Drop one character, with its continuation bytes.
                std::size_t end = shown.size() - 1;
                while (end > 0 && (static_cast<unsigned char>(shown[end]) & 0xC0) == 0x80) {
                    --end;
                }
                shown.erase(end);
                while (!shown.empty() && (shown.back() == ' ' || shown.back() == ',')) {
                    shown.pop_back();
                }
            }
            shown += ellipsis;
        }
        // Lowered by a tenth of a line, so that the smaller text sits on
        // about the baseline of the times beside it.
        TextAt(shown, left, line * h_ + h_ / 10);
        font_ = font;
    }

    // The remarks up to the last whole one that fits with ", …" after it;
    // empty when not even the first fits.
    std::string CutAtItems(const std::string& remarks, const std::string& ellipsis,
                           int room) const {
        for (std::size_t end = remarks.rfind(", "); end != std::string::npos && end > 0;
             end = remarks.rfind(", ", end - 1)) {
            std::string shown = remarks.substr(0, end) + ", " + ellipsis;
            if (Width(shown) <= room) {
                return shown;
            }
        }
        return {};
    }

    void Rule(int x1, int y1, int x2, int y2) {
        ops_.push_back(LineOp{x1, y1, x2, y2, kBlack, kJournalPenWidth});
    }

    // The column rules of one table line and the rule along its top.
    void TableRules(int line) {
        const int m = geometry_.Margin();
        const int right = input_.pageWidth - m;
        const int top = line * h_;
        const int bottom = (line + 1) * h_;
        Rule(m, top, m, bottom);
        for (int tenths : kRuleTenths) {
            const int x = geometry_.At(tenths);
            Rule(x, top, x, bottom);
        }
        Rule(right, top, right, bottom);
        Rule(m, top, right, top);
    }

    const JournalInput& input_;
    const JournalMeasurer& measurer_;
    PageGeometry geometry_;
    JournalFont font_ = kTitleFont;
    Rgb background_ = kWhite;
    int h_ = 0;
    std::vector<DrawOp> ops_;
};

}  // namespace

std::vector<DrawOp> JournalPage(const JournalInput& input, const JournalMeasurer& measurer) {
    return PageBuilder(input, measurer).Build();
}

}  // namespace kolvaro
