#include "journal_printer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPrinter>

#include "bookings/month_file.h"
#include "data/failure.h"
#include "qt_text.h"

namespace {

QColor Colour(const kolvaro::Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QPen Pen(const kolvaro::Rgb& rgb, int width) {
    QPen pen(Colour(rgb));
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

const char* const kPrinterNotReady = "Der Drucker ist nicht bereit.";

}  // namespace

QFont JournalFont(const kolvaro::JournalFont& font) {
    QFont qfont(QStringLiteral("Arial"));
    qfont.setPointSize(font.pointSize);
    qfont.setBold(font.bold);
    // Widths must match what is drawn: no hinting towards the screen's grid.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    return qfont;
}

int DeviceJournalMeasurer::TextWidth(const kolvaro::JournalFont& font,
                                     std::string_view text) const {
    return QFontMetrics(JournalFont(font), device_).horizontalAdvance(FromStd(text));
}

int DeviceJournalMeasurer::LineHeight() const {
    return QFontMetrics(JournalFont(kolvaro::JournalFont{11, false}), device_).height();
}

void RenderJournal(QPainter& painter, const std::vector<kolvaro::DrawOp>& ops) {
    for (const kolvaro::DrawOp& op : ops) {
        if (const auto* text = std::get_if<kolvaro::TextOp>(&op)) {
            painter.setFont(JournalFont(text->font));
            const QString content = FromStd(text->text);
            const QFontMetrics metrics = painter.fontMetrics();
            // The text's cell is filled first, so that it reads on any ground.
            const QRect cell(text->x, text->y, metrics.horizontalAdvance(content),
                             metrics.height());
            painter.fillRect(cell, Colour(text->background));
            painter.setPen(Qt::black);
            painter.drawText(QPoint(text->x, text->y + metrics.ascent()), content);
        } else if (const auto* rect = std::get_if<kolvaro::RectOp>(&op)) {
            painter.setPen(Pen(rect->pen, rect->penWidth));
            painter.setBrush(Colour(rect->fill));
            painter.drawRect(
                QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
        } else if (const auto* line = std::get_if<kolvaro::LineOp>(&op)) {
            painter.setPen(Pen(line->pen, line->penWidth));
            painter.drawLine(line->x1, line->y1, line->x2, line->y2);
        }
    }
}

void SetUpJournalPrinter(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

void BeginJournalDocument(QPainter& painter, QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        if (!file.isEmpty()) {
            kolvaro::Fail(kolvaro::kCannotCreateMessage, file.toStdString());
        }
        throw kolvaro::Failure(kPrinterNotReady);
    }
}

void EndJournalDocument(QPainter& painter, QPrinter& printer) {
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        const QString file = printer.outputFileName();
        if (!file.isEmpty()) {
            kolvaro::Fail(kolvaro::kCannotCreateMessage, file.toStdString());
        }
        throw kolvaro::Failure(kPrinterNotReady);
    }
}

void DrawJournalPage(QPainter& painter, QPrinter& printer, kolvaro::JournalInput input) {
    // Device pixels of the printable area; the painter's origin is its corner.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    input.pageWidth = page.width();
    input.pageHeight = page.height();
    const DeviceJournalMeasurer measurer(&printer);
    RenderJournal(painter, kolvaro::JournalPage(input, measurer));
}
