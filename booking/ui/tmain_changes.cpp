// Changes of booking cells: undo and redo, the change log, and closing a month.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTableWidget>
#include <exception>

#include "bookings/change_log.h"
#include "bookings/grid_rules.h"
#include "bookings/month_change.h"
#include "data/clock.h"
#include "data/failure.h"
#include "dialogs.h"
#include "qt_text.h"
#include "tmain.h"

namespace {

std::string Std(const QString& text) {
    return text.toStdString();
}

}  // namespace

void TMain::UserChangesCell(int row, int column, const QString& text) {
    // Recorded before storing: the grid shows the change whether or not it
    // could be stored, and undo takes back what the grid shows.
    history_.Record({row, column, Std(CellText(Grid, row, column)), Std(text)});
    ChangeCell(row, column, text);
}

void TMain::ChangeCell(int row, int column, const QString& text) {
    SetCell(Grid, row, column, text);
    CalculateTotals();
    try {
        StoreCellChange(row, column);
    } catch (const kolvaro::Failure&) {
        // Another program may have closed the month meanwhile: then the
        // month is shown as it is stored, and closed.
        if (!IsGenerationMode() && !monthNumber_.empty() &&
            kolvaro::ReadMonthState(kolvaro::ChangeLogName(CurrentMonthFileName())) ==
                kolvaro::MonthState::Closed) {
            LoadMonthFile();
        }
        throw;
    }
}

void TMain::GridUndo() {
    if (monthClosed_ || !GridTakesInput()) {
        return;
    }
    kolvaro::CellRestore restore;
    if (history_.Undo(restore) && restore.row < Grid->rowCount()) {
        ChangeCell(restore.row, restore.column, FromStd(restore.text));
        Grid->setCurrentCell(restore.row, restore.column);
    }
}

void TMain::GridRedo() {
    if (monthClosed_ || !GridTakesInput()) {
        return;
    }
    kolvaro::CellRestore restore;
    if (history_.Redo(restore) && restore.row < Grid->rowCount()) {
        ChangeCell(restore.row, restore.column, FromStd(restore.text));
        Grid->setCurrentCell(restore.row, restore.column);
    }
}

void TMain::ReadMonthClosed() {
    monthClosed_ = false;
    if (!monthNumber_.empty() && !IsGenerationMode()) {
        // A log that cannot be read does not tell; the month is shown open,
        // and a change is refused with the log's name when it is stored.
        monthClosed_ = kolvaro::ReadMonthState(kolvaro::ChangeLogName(CurrentMonthFileName())) ==
                       kolvaro::MonthState::Closed;
    }
    lbAbgeschlossen->setVisible(monthClosed_);
}

void TMain::pnZeitraumContextMenu(const QPoint& globalPosition) {
    if (IsGenerationMode()) {
        return;
    }
    // What the log says now: another program may have closed or reopened it.
    ReadMonthClosed();
    const bool month = !monthNumber_.empty() && Grid->isEnabled();
    monatabschliessen1->setEnabled(month && !monthClosed_);
    monatwiederoeffnen1->setEnabled(month && monthClosed_);
    PopupMonat->popup(globalPosition);
}

void TMain::monatabschliessen1Click() {
    SetMonthClosed(true);
}

void TMain::monatwiederoeffnen1Click() {
    SetMonthClosed(false);
}

void TMain::SetMonthClosed(bool closed) {
    if (monthNumber_.empty() || IsGenerationMode()) {
        return;
    }
    const QString month = cbxMonat->currentText() + QStringLiteral(" ") + edJahr->text();
    const QString employee = lstMitarbeiter->currentItem() != nullptr
                                 ? lstMitarbeiter->currentItem()->text().simplified()
                                 : QString::fromStdString(monthNumber_);
    const QString question =
        closed ? QStringLiteral(
                     "Wollen Sie den Monat %1 für\n\n'%2'\n\nabschließen?\n\nDanach "
                     "können seine Buchungen nicht mehr geändert werden.")
                     .arg(month, employee)
               : QStringLiteral(
                     "Wollen Sie den abgeschlossenen Monat %1 für\n\n'%2'\n\nwieder "
                     "öffnen?\n\nDas Öffnen wird im Änderungsprotokoll vermerkt.")
                     .arg(month, employee);
    if (!CurrentDialogs().AskYesNo(this, QStringLiteral("Achtung"), question, DefaultAnswer::No)) {
        return;
    }
    try {
        kolvaro::SetMonthClosed(CurrentMonthFileName(), closed,
                                kolvaro::ChangeLogTime(kolvaro::Now()), kolvaro::LoginName());
    } catch (const std::exception&) {
        ReadMonthClosed();
        throw;
    }
    // Closed or opened by this program or, meanwhile, by another: the
    // month now shows what the log says, and what was undoable is no more.
    history_.Reset();
    ReadMonthClosed();
}
