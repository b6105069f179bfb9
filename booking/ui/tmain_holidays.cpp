// Public holidays of the chosen state and the working-time limits of the
// days shown: computed from the grids at every change, never stored.

#include <QActionGroup>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTableWidget>

#include "data/holidays.h"
#include "qt_text.h"
#include "tmain.h"

void TMain::CreateHolidayMenu() {
    PopupFeiertage = new QMenu(this);
    PopupFeiertage->setObjectName(QStringLiteral("PopupFeiertage"));
    QMenu* states = PopupFeiertage->addMenu(QStringLiteral("Feiertage"));
    states->setObjectName(QStringLiteral("mnuFeiertage"));
    auto* group = new QActionGroup(states);
    const auto addState = [&](const QString& name, const QString& code) {
        QAction* action = states->addAction(name);
        action->setObjectName(QStringLiteral("Feiertage") + (code.isEmpty() ? "Keine" : code));
        action->setData(code);
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, code] { FeiertageClick(code); });
    };
    for (const kolvaro::FederalState& state : kolvaro::kFederalStates) {
        addState(FromStd(state.name), QString::fromLatin1(state.code));
    }
    states->addSeparator();
    addState(QStringLiteral("keine"), QString());
}

void TMain::GridDatumContextMenu(const QPoint& globalPosition) {
    // The menu shows the state as the file names it now.
    const std::optional<std::string> state = Ini ? Ini->ReadFederalState() : std::nullopt;
    const QString code = state ? FromStd(*state) : QString();
    for (QAction* action : PopupFeiertage->findChildren<QAction*>()) {
        if (action->isCheckable()) {
            action->setChecked(action->data().toString() == code);
        }
    }
    PopupFeiertage->popup(globalPosition);
}

void TMain::FeiertageClick(const QString& code) {
    if (!Ini) {
        return;
    }
    std::optional<std::string> state;
    if (!code.isEmpty()) {
        state = code.toStdString();
    }
    // A file that cannot be written is reported, and the grid keeps showing
    // what the file still says.
    Ini->WriteFederalState(state);
    ShowDayNotes();
}

std::vector<TMain::DayNote> TMain::DayNotes() const {
    const int rows = std::min(Grid->rowCount(), GridDatum->rowCount());
    std::optional<std::string> state;
    if (Ini) {
        state = Ini->ReadFederalState();
    }
    std::vector<DayNote> notes;
    std::vector<kolvaro::LimitDay> days;
    for (int row = 1; row < rows; ++row) {
        DayNote note;
        if (state) {
            note.holiday = kolvaro::HolidayName(*state, CellText(GridDatum, row, 1).toStdString());
        }
        kolvaro::LimitDay day;
        day.weekday = CellText(GridDatum, row, 0).toStdString();
        for (int column = 0; column < 4; ++column) {
            day.times[static_cast<std::size_t>(column)] = CellText(Grid, row, column).toStdString();
        }
        day.holiday = note.holiday;
        days.push_back(std::move(day));
        notes.push_back(std::move(note));
    }
    std::vector<std::vector<kolvaro::LimitFinding>> findings = kolvaro::CheckWorkLimits(days);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        notes[i].findings = std::move(findings[i]);
    }
    return notes;
}

namespace {

QTableWidgetItem* ItemAt(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    return item;
}

}  // namespace

void TMain::ShowDayNotes() {
    const std::vector<DayNote> notes = DayNotes();
    for (int row = 1; row < GridDatum->rowCount(); ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        const QString holiday = i < notes.size() ? FromStd(notes[i].holiday) : QString();
        for (int column = 0; column < 2; ++column) {
            if (holiday.isEmpty() && GridDatum->item(row, column) == nullptr) {
                continue;
            }
            QTableWidgetItem* item = ItemAt(GridDatum, row, column);
            item->setData(HolidayRole, !holiday.isEmpty());
            item->setToolTip(holiday);
        }
    }
    for (int row = 1; row < Grid->rowCount(); ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        const std::vector<kolvaro::LimitFinding> none;
        const auto& findings = i < notes.size() ? notes[i].findings : none;
        if (findings.empty() && Grid->item(row, 4) == nullptr) {
            continue;
        }
        QTableWidgetItem* item = ItemAt(Grid, row, 4);
        const int mark = findings.empty()               ? NoMark
                         : kolvaro::AnyBreach(findings) ? BreachMark
                                                        : NoteMark;
        item->setData(LimitMarkRole, mark);
        item->setToolTip(FromStd(kolvaro::FindingsText(findings)));
    }
    GridDatum->viewport()->update();
    Grid->viewport()->update();
}
