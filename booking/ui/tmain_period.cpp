// The period, the two grids and the cell editor.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "bookings/period.h"
#include "data/time_text.h"
#include "dialogs.h"
#include "maskededit.h"
#include "tkalender.h"
#include "tmain.h"

void TMain::btnVonClick() {}

void TMain::btnBisClick() {}

void TMain::edDatumVonChange() {
    PreparePeriod();
}

void TMain::cbxMonatChange() {
    const int month = cbxMonat->currentIndex() + 1;
    const QString mm = QString::number(month).rightJustified(2, u'0');
    const QString year = edJahr->text();
    const int days = TKalender::DaysInMonth(kolvaro::StrToInt(year.toStdString()), month);
    // The end first: the mixed period in between is never valid and passes
    // without a message.
    edDatumBis->setText(QString::number(days) + u'.' + mm + u'.' + year);
    edDatumVon->setText(QStringLiteral("01.") + mm + u'.' + year);
}

void TMain::PreparePeriod() {
    for (QTableWidget* grid : {GridDatum, Grid}) {
        for (int row = 1; row < grid->rowCount(); ++row) {
            for (int column = 0; column < grid->columnCount(); ++column) {
                if (QTableWidgetItem* item = grid->item(row, column)) {
                    item->setText(QString());
                }
            }
        }
    }
    lbStunden->setText(QStringLiteral("0:00 "));

    const kolvaro::PeriodCheck period =
        kolvaro::CheckPeriod(edDatumVon->text().toStdString(), edDatumBis->text().toStdString());
    const bool generation = IsGenerationMode();
    switch (period.outcome) {
        case kolvaro::PeriodOutcome::Unreadable:
            break;
        case kolvaro::PeriodOutcome::TooLong:
        case kolvaro::PeriodOutcome::EndBeforeStart:
            if (generation) {
                CurrentDialogs().ShowMessage(this, QString::fromStdString(period.message));
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
                SetCell(GridDatum, i + 1, 0, QString::fromStdString(day.weekday));
                SetCell(GridDatum, i + 1, 1, QString::fromStdString(day.date));
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
}

void TMain::GridDrawCell(QPainter&, int, int, const QRect&, bool) {}

void TMain::GridDatumDrawCell(QPainter&, int, int, const QRect&, bool) {}

void TMain::DrawCellText(QPainter&, const QString&, const QRect&, int) {}

void TMain::GridDblClick() {}

void TMain::GridKeyPress(QChar) {}

void TMain::GridKeyUp(int) {}

void TMain::meGridEditKeyUp(int) {}

void TMain::meGridEditExit() {}

void TMain::LoadMonthFile() {}

void TMain::CalculateTotals() {}
