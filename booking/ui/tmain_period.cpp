// The period, the two grids and the cell editor.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTableWidget>

#include "bookings/change_log.h"
#include "bookings/grid_rules.h"
#include "bookings/month_change.h"
#include "bookings/month_file.h"
#include "bookings/month_merge.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/clock.h"
#include "data/durable_file.h"
#include "data/failure.h"
#include "data/time_text.h"
#include "dialogs.h"
#include "maskededit.h"
#include "qt_text.h"
#include "tkalender.h"
#include "tmain.h"

namespace {

QColor ToColor(const kolvaro::Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The weekday and date of every row of the date grid, headings included.
std::vector<kolvaro::DayIdentity> DateRows(const QTableWidget* dates, int rows) {
    std::vector<kolvaro::DayIdentity> result(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        result[static_cast<std::size_t>(row)] = {TMain::CellText(dates, row, 0).toStdString(),
                                                 TMain::CellText(dates, row, 1).toStdString()};
    }
    return result;
}

// The six cells of the booking grid's rows from `first` on.
std::vector<kolvaro::BookingDay> BookingRows(const QTableWidget* grid, int first, int rows) {
    std::vector<kolvaro::BookingDay> result;
    for (int row = first; row < rows; ++row) {
        kolvaro::BookingDay day;
        for (int column = 0; column < 6; ++column) {
            day.cells[static_cast<std::size_t>(column)] =
                TMain::CellText(grid, row, column).toStdString();
        }
        result.push_back(std::move(day));
    }
    return result;
}

// No cell shows more than a few characters; a text beyond any sensible
// length (only a damaged month file can bring one) is not laid out whole on
// every repaint.
constexpr qsizetype kLongestDrawnText = 200;

}  // namespace

std::string TMain::CurrentMonthFileName() const {
    return kolvaro::MonthFileName(ProgramDirectory, monthNumber_, edDatumBis->text().toStdString());
}

bool TMain::GridTakesInput() {
    if (!monthNumber_.empty() || IsGenerationMode()) {
        return true;
    }
    CurrentDialogs().ShowMessage(
        this, QStringLiteral("Bitte zuerst einen Mitarbeiter anlegen und auswählen."));
    return false;
}

void TMain::PickDate(QPushButton* button, QLineEdit* field) {
    if (Kalender == nullptr) {
        return;
    }
    // The picker opens where the button is, counted from the window's outer
    // corner.
    Kalender->move(x() + Panel1->x() + button->x(), y() + Panel1->y() + button->y());
    Kalender->exec();
    if (Kalender->Day == 0) {
        return;  // closed without a choice
    }
    field->setText(FromStd(kolvaro::DateText(Kalender->Day, Kalender->Month, Kalender->Year)));
}

void TMain::btnVonClick() {
    PickDate(btnVon, edDatumVon);
}

void TMain::btnBisClick() {
    PickDate(btnBis, edDatumBis);
}

void TMain::edDatumVonChange() {
    PreparePeriod();
}

void TMain::cbxMonatChange() {
    // Both dates change, and each change prepares the period: one read of the
    // settings file serves both.
    const kolvaro::Settings::OneRead oneRead(Ini.get());
    const kolvaro::MonthPeriod period =
        kolvaro::MonthDates(cbxMonat->currentIndex() + 1, edJahr->text().toStdString());
    // The end first: the mixed period in between is never valid and passes
    // without a message.
    edDatumBis->setText(FromStd(period.end));
    edDatumVon->setText(FromStd(period.start));
}

void TMain::PreparePeriod() {
    // A time still being typed belongs to the period that is going away; it
    // must not land on the same cell of the new one. (The year arrows change
    // the period without taking the focus from the editor.)
    if (editRow_ >= 0) {
        editRow_ = -1;
        editColumn_ = -1;
        if (meGridEdit->hasFocus()) {
            Grid->setFocus(Qt::OtherFocusReason);
        }
        meGridEdit->hide();
    }
    ClearCells(GridDatum);
    ClearBookings();

    const kolvaro::PeriodCheck period =
        kolvaro::CheckPeriod(edDatumVon->text().toStdString(), edDatumBis->text().toStdString());
    const bool generation = IsGenerationMode();
    switch (period.outcome) {
        case kolvaro::PeriodOutcome::Unreadable:
            break;
        case kolvaro::PeriodOutcome::TooLong:
        case kolvaro::PeriodOutcome::EndBeforeStart:
            if (generation) {
                CurrentDialogs().ShowMessage(this, FromStd(period.message));
            }
            for (QWidget* widget : std::initializer_list<QWidget*>{btnBuchungenErzeugen, btnDrucken,
                                                                   btnExport, Grid}) {
                widget->setEnabled(false);
            }
            break;
        case kolvaro::PeriodOutcome::Accepted: {
            const int rows = static_cast<int>(period.days.size()) + 1;
            Grid->setRowCount(rows);
            GridDatum->setRowCount(rows);
            for (int i = 0; i < static_cast<int>(period.days.size()); ++i) {
                const kolvaro::DayIdentity& day = period.days[static_cast<std::size_t>(i)];
                SetCell(GridDatum, i + 1, 0, FromStd(day.weekday));
                SetCell(GridDatum, i + 1, 1, FromStd(day.date));
            }
            btnBuchungenErzeugen->setEnabled(true);
            btnDrucken->setEnabled(true);
            if (!generation) {
                btnExport->setEnabled(true);
            }
            Grid->setEnabled(true);
            break;
        }
    }
    if (!generation) {
        LoadMonthFile();
    }
    ShowDayNotes();
}

void TMain::GridDrawCell(QPainter& canvas, int col, int row, const QRect& rect, bool selected) {
    const QString text = CellText(Grid, row, col);
    const kolvaro::CellStyle style = kolvaro::BookingCellStyle(col, row, text.toStdString());
    const QPalette& palette = Grid->palette();
    canvas.setFont(Grid->font());
    if (style.fill) {
        canvas.setBrush(ToColor(*style.fill));
        canvas.setPen(palette.color(QPalette::Active, QPalette::Text));
    } else {
        // A filled booking cell keeps the look the platform gives it.
        const QPalette::ColorGroup group =
            Grid->window()->isActiveWindow() ? QPalette::Active : QPalette::Inactive;
        canvas.setBrush(palette.color(group, selected ? QPalette::Highlight : QPalette::Base));
        canvas.setPen(palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    }
    DrawCellText(canvas, text, rect, style.alignment);

    // A day that breaks a working-time limit gets a frame, a day with a note
    // a corner, over the designed colours.
    const QTableWidgetItem* item = Grid->item(row, col);
    const int mark = item != nullptr ? item->data(LimitMarkRole).toInt() : NoMark;
    if (col == 4 && row > 0 && mark != NoMark) {
        const QColor orange = ToColor(kolvaro::kLimitMark);
        canvas.setClipRect(rect);
        if (mark == BreachMark) {
            canvas.setPen(QPen(orange, 2));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawRect(rect.adjusted(1, 1, -1, -1));
        } else {
            canvas.setPen(Qt::NoPen);
            canvas.setBrush(orange);
            const QPoint corner = rect.topRight();
            canvas.drawPolygon(QPolygon({corner, corner + QPoint(-6, 0), corner + QPoint(0, 6)}));
        }
    }
}

void TMain::GridDatumDrawCell(QPainter& canvas, int col, int row, const QRect& rect, bool) {
    const QString weekday = CellText(GridDatum, row, 0);
    const QTableWidgetItem* item = GridDatum->item(row, col);
    const bool holiday = item != nullptr && item->data(HolidayRole).toBool();
    const kolvaro::CellStyle style =
        kolvaro::DateCellStyle(col, row, weekday.toStdString(), holiday);
    canvas.setFont(GridDatum->font());
    canvas.setBrush(ToColor(style.fill.value_or(kolvaro::kPaleGreen)));
    canvas.setPen(style.text ? ToColor(*style.text)
                             : GridDatum->palette().color(QPalette::Active, QPalette::Text));
    // The last pixel row of the section is the grid line, drawn here since the
    // date grid has no lines of its own.
    const QRect cell(rect.left(), rect.top(), rect.width(), rect.height() - 1);
    DrawCellText(canvas, CellText(GridDatum, row, col), cell, style.alignment);

    QStyleOptionViewItem option;
    option.initFrom(GridDatum);
    const QColor line = QColor::fromRgba(static_cast<QRgb>(
        GridDatum->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, GridDatum)));
    canvas.setClipping(false);
    canvas.setPen(line);
    canvas.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
}

void TMain::DrawCellText(QPainter& canvas, const QString& text, const QRect& rect, int alignment) {
    canvas.fillRect(rect, canvas.brush());
    const QString shown = text.left(kLongestDrawnText);
    const QFontMetrics metrics(canvas.font());
    const kolvaro::CellRect cell{rect.left(), rect.top(), rect.left() + rect.width(),
                                 rect.top() + rect.height()};
    const kolvaro::TextPoint at = kolvaro::CellTextPosition(cell, metrics.horizontalAdvance(shown),
                                                            metrics.height(), alignment);
    canvas.setClipRect(rect);
    // The point is the text's top left corner; Qt draws from the baseline.
    canvas.drawText(at.x, at.y + metrics.ascent(), shown);
}

void TMain::OpenCellEditor(const QString& text, int caret) {
    const int column = Grid->currentColumn();
    const int row = Grid->currentRow();
    if (!kolvaro::IsEditableColumn(column) || row < 1 || monthClosed_ || !GridTakesInput()) {
        return;
    }
    editRow_ = row;
    editColumn_ = column;
    // The cell sits right at the grid's section corner: one pixel up and left
    // of where the editor went when the line was drawn inside the cell.
    const kolvaro::CellRect place = kolvaro::CellEditorRect(column, row, Grid->x());
    meGridEdit->setGeometry(place.left - 1, place.top - 2 + Grid->y(), place.right - place.left,
                            place.bottom - place.top);
    meGridEdit->setText(text);
    meGridEdit->show();
    meGridEdit->raise();
    meGridEdit->setFocus(Qt::OtherFocusReason);
    meGridEdit->setCursorPosition(caret);
}

void TMain::GridDblClick() {
    OpenCellEditor(CellText(Grid, Grid->currentRow(), Grid->currentColumn()), 0);
}

void TMain::GridKeyPress(QChar key) {
    // The editor takes digits only; any other character opens nothing.
    if (!key.isDigit() || key.unicode() > 127) {
        return;
    }
    OpenCellEditor(QString(key) + QStringLiteral(" :  "), 1);
}

void TMain::GridKeyUp(int key) {
    if (key != Qt::Key_Delete) {
        return;
    }
    const int column = Grid->currentColumn();
    const int row = Grid->currentRow();
    if (!kolvaro::IsEditableColumn(column) || row < 1 || monthClosed_ || !GridTakesInput()) {
        return;
    }
    // A month file that cannot be written is reported here.
    UserChangesCell(row, column, QString());
}

void TMain::meGridEditKeyUp(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) {
        return;
    }
    if (editRow_ < 0) {
        return;
    }
    const int column = editColumn_;
    const int row = editRow_;
    meGridEditExit();
    const kolvaro::GridCell next = kolvaro::NextCellAfterEnter(column, row, Grid->rowCount());
    Grid->setCurrentCell(next.row, next.column);
}

void TMain::meGridEditExit() {
    if (editRow_ < 0) {
        return;  // closed already; hiding the editor takes its focus once more
    }
    const int row = editRow_;
    const int column = editColumn_;
    editRow_ = -1;
    editColumn_ = -1;

    if (const auto time = kolvaro::AcceptEditedTime(meGridEdit->text().toStdString())) {
        if (row < Grid->rowCount()) {
            try {
                UserChangesCell(row, column, FromStd(*time));
            } catch (const std::exception& failure) {
                // The grid keeps showing the time, but the user must know that
                // it is not stored. Reported once the editor has closed: a box
                // opened inside the focus change would fight it for the focus.
                const QString message = QString::fromUtf8(failure.what());
                QMetaObject::invokeMethod(
                    this, [this, message] { CurrentDialogs().ShowError(this, message); },
                    Qt::QueuedConnection);
            }
        }
    }
    // Enter hands the focus back to the grid; a click elsewhere keeps it where
    // the user put it.
    if (meGridEdit->hasFocus() || QApplication::focusWidget() == nullptr) {
        Grid->setFocus(Qt::OtherFocusReason);
    }
    meGridEdit->hide();
}

void TMain::LoadMonthFile() {
    try {
        MonthLines.clear();
        // Another month or another employee: a new history.
        history_.Reset();
        ReadMonthClosed();
        if (monthNumber_.empty()) {
            return;  // nobody's month
        }
        // A file that cannot be read shows as an empty month; every change
        // reads it again and is refused while it stays unreadable.
        const std::string path = CurrentMonthFileName();
        const kolvaro::FileRead read = kolvaro::ReadWholeFile(path);
        // Said once per showing of the month, though starting and choosing
        // may load it more than once.
        if (read.outcome != kolvaro::ReadOutcome::Unreadable) {
            unreadableMonthTold_.clear();
        } else if (unreadableMonthTold_ != path) {
            unreadableMonthTold_ = path;
            TellLater(FromStd(kolvaro::FormatMessage(kolvaro::kUnreadableMonthMessage, path)));
        }
        if (read.outcome != kolvaro::ReadOutcome::Read) {
            return;
        }
        MonthLines = kolvaro::SplitMonthFile(read.bytes);
        const int rows = std::min(Grid->rowCount(), GridDatum->rowCount());
        const kolvaro::LoadedMonth loaded =
            kolvaro::ParseMonthLines(MonthLines, DateRows(GridDatum, rows));
        const int filled = std::min(rows, static_cast<int>(loaded.cells.size()));
        for (int row = 1; row < filled; ++row) {
            const auto& cells = loaded.cells[static_cast<std::size_t>(row)];
            for (int column = 0; column < 6; ++column) {
                if (const auto& value = cells[static_cast<std::size_t>(column)]) {
                    SetCell(Grid, row, column, FromStd(*value));
                }
            }
        }
        if (loaded.totalCaption) {
            lbStunden->setText(FromStd(*loaded.totalCaption));
        }
    } catch (const std::exception&) {
        // A month file that cannot be read shows what was loaded up to there.
        // Nothing is written back from that part: a change is applied to the
        // file as read anew.
    }
}

void TMain::CalculateTotals() {
    const int rows = std::min(Grid->rowCount(), GridDatum->rowCount());
    std::vector<kolvaro::BookingDay> days = BookingRows(Grid, 1, rows);
    const std::string caption = kolvaro::ComputeTotals(days);
    for (int row = 1; row < rows; ++row) {
        const kolvaro::BookingDay& day = days[static_cast<std::size_t>(row - 1)];
        SetCell(Grid, row, 4, FromStd(day.cells[4]));
        SetCell(Grid, row, 5, FromStd(day.cells[5]));
    }
    lbStunden->setText(FromStd(caption));
    ShowDayNotes();
}

void TMain::StoreCellChange(int row, int column) {
    if (IsGenerationMode()) {
        return;  // the drawn bookings are handed over by the export alone
    }
    if (monthNumber_.empty()) {
        throw kolvaro::Failure("Bitte zuerst einen Mitarbeiter anlegen und auswählen.");
    }
    // Journal mode keeps the month in its file after every change. Another
    // program may have written other days since this month was loaded: the
    // one change goes into the file as it is now, and the window shows what
    // was written.
    const int rows = std::min(Grid->rowCount(), GridDatum->rowCount());
    kolvaro::MonthGrid month;
    if (const QListWidgetItem* selected = lstMitarbeiter->currentItem()) {
        month.listEntry = selected->text().toStdString();
    }
    month.dateRows = DateRows(GridDatum, rows);
    month.headings = BookingRows(Grid, 0, 1).front();
    const std::string path = CurrentMonthFileName();
    // The change goes into the month's change log first, then into the
    // month file, in one turn under the folder lock.
    const kolvaro::SavedChange saved = kolvaro::StoreLoggedCellChange(
        path, month,
        {static_cast<std::size_t>(row), static_cast<std::size_t>(column),
         CellText(Grid, row, column).toStdString()},
        kolvaro::ChangeLogTime(kolvaro::Now()), kolvaro::LoginName());
    MonthLines = saved.month.lines;
    bool otherTimes = false;  // another program's times came with the file
    for (int r = 1; r < rows && r < static_cast<int>(saved.month.rows.size()); ++r) {
        for (int c = 0; c < 6; ++c) {
            const QString text = FromStd(
                saved.month.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)]);
            otherTimes =
                otherTimes || (kolvaro::IsEditableColumn(c) && CellText(Grid, r, c) != text);
            SetCell(Grid, r, c, text);
        }
    }
    lbStunden->setText(FromStd(saved.month.totalCaption));
    // The notes of the grid as it was were shown by the totals already; the
    // other program's days may break limits too.
    if (otherTimes) {
        ShowDayNotes();
    }
    if (saved.originalCopy) {
        // Told once the editor has closed, as a failure would be.
        TellLater(FromStd(kolvaro::OriginalKeptMessage(path, *saved.originalCopy)));
    }
}

void TMain::TellLater(const QString& message) {
    // Shown once the current event is over: a box opened inside a focus
    // change or while the window is being built would fight it.
    QMetaObject::invokeMethod(
        this, [this, message] { CurrentDialogs().ShowMessage(this, message); },
        Qt::QueuedConnection);
}
