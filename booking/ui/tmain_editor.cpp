// The employee list and the fields of the employee shown.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTableWidget>
#include <algorithm>

#include "data/failure.h"
#include "dialogs.h"
#include "maskededit.h"
#include "tmain.h"

namespace {

std::array<QCheckBox*, 7> DayBoxes(const TMain& main) {
    return {main.chkMo, main.chkDi, main.chkMi, main.chkDo, main.chkFr, main.chkSa, main.chkSo};
}

std::array<MaskedEdit*, 8> TimeFields(const TMain& main) {
    return {main.edBeginnVon,    main.edBeginnBis,    main.edPauseBeginnVon, main.edPauseBeginnBis,
            main.edPauseEndeVon, main.edPauseEndeBis, main.edEndeVon,        main.edEndeBis};
}

}  // namespace

void TMain::SetEditorState(bool editing) {
    // Enable first, so that a button losing its enabled state hands the focus on
    // to one that can take it.
    for (QPushButton* button : {btnNeu, btnSpeichern, btnLoeschen, btnAbbrechen}) {
        const bool enabled = (button == btnSpeichern || button == btnAbbrechen) == editing;
        if (enabled) {
            button->setEnabled(true);
        }
    }
    for (QPushButton* button : {btnNeu, btnSpeichern, btnLoeschen, btnAbbrechen}) {
        const bool enabled = (button == btnSpeichern || button == btnAbbrechen) == editing;
        if (!enabled) {
            button->setEnabled(false);
        }
    }
}

void TMain::LoadEmployeeList() {
    std::vector<std::string> entries = Ini->LoadEmployeeList();
    // A button that loses its enabled state may hand the focus to the list,
    // which then picks an entry of its own; the caller decides what is selected.
    const QSignalBlocker blocker(lstMitarbeiter);
    // Only the entries that differ from what the list shows are replaced:
    // after saving one employee of thousands that is one entry, and the list
    // keeps its place.
    const std::size_t shown = listEntries_.size();
    std::size_t same = 0;  // alike at the start
    while (same < shown && same < entries.size() && listEntries_[same] == entries[same]) {
        ++same;
    }
    std::size_t sameAtEnd = 0;
    while (sameAtEnd < shown - same && sameAtEnd < entries.size() - same &&
           listEntries_[shown - 1 - sameAtEnd] == entries[entries.size() - 1 - sameAtEnd]) {
        ++sameAtEnd;
    }
    const std::size_t removed = shown - same - sameAtEnd;
    // Taken out one by one, thousands of entries would each move the rest.
    constexpr std::size_t kMostTakenOneByOne = 64;
    if (removed > kMostTakenOneByOne) {
        lstMitarbeiter->clear();
        same = 0;
        sameAtEnd = 0;
    } else {
        for (std::size_t row = shown - sameAtEnd; row-- > same;) {
            delete lstMitarbeiter->takeItem(static_cast<int>(row));
        }
    }
    // The new ones all at once: added one by one, thousands of entries would
    // each make the list lay itself out anew.
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size() - same - sameAtEnd));
    for (std::size_t i = same; i < entries.size() - sameAtEnd; ++i) {
        texts.append(QString::fromStdString(entries[i]));
    }
    if (!texts.isEmpty()) {
        lstMitarbeiter->insertItems(static_cast<int>(same), texts);
    }
    listEntries_ = std::move(entries);
    if (lstMitarbeiter->count() > 0) {
        SetEditorState(false);
    }
}

void TMain::SelectEntry(int row) {
    const QSignalBlocker blocker(lstMitarbeiter);
    lstMitarbeiter->setCurrentRow(row);
}

void TMain::ClearEditor() {
    editorNumber_.clear();
    edNummer->setText(QString());
    edName->setText(QString());
    for (QCheckBox* box : DayBoxes(*this)) {
        box->setChecked(false);
    }
    for (MaskedEdit* field : TimeFields(*this)) {
        field->setText(QStringLiteral("00:00"));
    }
    unshownTimeBounds_ = {};
    if (!IsGenerationMode()) {
        // The grid is emptied: it shows nobody's month until one is loaded.
        monthNumber_.clear();
        ClearBookings();
        ReadMonthClosed();
    }
}

void TMain::lstMitarbeiterClick() {
    const kolvaro::Settings::OneRead oneRead(Ini.get());  // one click, one read of the file
    ClearEditor();
    // After saving a number the list never shows (0000) nothing is selected;
    // the editor then stays empty.
    const QListWidgetItem* entry = lstMitarbeiter->currentItem();
    if (lstMitarbeiter->count() > 0 && entry != nullptr) {
        const kolvaro::EmployeeRecord record =
            Ini->ReadEmployee(kolvaro::NumberOfEntry(entry->text().toStdString()));
        edNummer->setText(QString::fromStdString(record.number));
        edName->setText(QString::fromStdString(record.name));
        const auto boxes = DayBoxes(*this);
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            boxes[i]->setChecked(record.days[i]);
        }
        const auto fields = TimeFields(*this);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            // Put into the mask character by character, "7:30" would come
            // out as "7 :0 ": a bound is shown as HH:MM or not at all.
            const std::optional<std::string> shown = kolvaro::TimeBoundForField(record.times[i]);
            if (!shown) {
                unshownTimeBounds_[i] = record.times[i];
            }
            fields[i]->setText(QString::fromStdString(shown.value_or(std::string())));
        }
        editorNumber_ = record.number;
    }
    if (IsGenerationMode()) {
        ForgetBookingsOfAnother();
        history_.Reset();  // another employee
    } else {
        monthNumber_ = editorNumber_;
        LoadMonthFile();
    }
}

void TMain::ForgetBookingsOfAnother() {
    // Bookings drawn from one employee's pattern must never go out under
    // another's number.
    if (editorNumber_ != generatedNumber_) {
        btnExport->setEnabled(false);
    }
}

void TMain::lstMitarbeiterItemClicked(QListWidgetItem* item) {
    // A click on the entry already selected shows it again as stored; a click
    // on another entry was shown when the selection moved.
    if (lstMitarbeiter->row(item) == rowBeforePress_) {
        lstMitarbeiterClick();
    }
}

void TMain::btnNeuClick() {
    const kolvaro::Settings::OneRead oneRead(Ini.get());  // one click, one read of the file
    if (const std::optional<std::string> number = Ini->FindFreeNumber()) {
        ClearEditor();
        edNummer->setText(QString::fromStdString(*number));
        edName->setFocus(Qt::OtherFocusReason);
        if (IsGenerationMode()) {
            ForgetBookingsOfAnother();
        }
    }
    SetEditorState(true);
}

void TMain::btnSpeichernClick() {
    const kolvaro::Settings::OneRead oneRead(Ini.get());  // one click, one read of the file
    // A click can reach the button before the refused field has taken the
    // focus back; an incomplete time is never saved.
    for (MaskedEdit* field : TimeFields(*this)) {
        if (field->HoldsRefusedInput()) {
            // By the mouse the field was left and says so itself; by Alt+S
            // the focus never moved, so it is said here.
            if (field->hasFocus()) {
                field->Refuse();
            }
            return;
        }
    }
    const std::string number = kolvaro::NormalizeNumber(edNummer->text().toStdString());
    if (number == "0000") {
        // Section 0000 is never listed: the employee would vanish, and the
        // next such save would overwrite it.
        throw kolvaro::Failure("Bitte eine Nummer von 0001 bis 9999 eingeben.");
    }
    if (number != editorNumber_) {
        // A new employee, or a new number for this one: another employee's
        // record under that number would be replaced.
        const kolvaro::EmployeeRecord holder = Ini->ReadEmployee(number);
        if (!holder.number.empty()) {
            const QString question = QStringLiteral("Die Nummer ") +
                                     QString::fromStdString(number) +
                                     QStringLiteral(" gehört bereits dem Mitarbeiter\n\n'") +
                                     QString::fromStdString(holder.number) + QStringLiteral("  ") +
                                     QString::fromStdString(holder.name) +
                                     QStringLiteral("'\n\nWollen Sie ihn wirklich ersetzen?");
            if (!CurrentDialogs().AskYesNo(this, QStringLiteral("Achtung"), question,
                                           DefaultAnswer::No)) {
                return;
            }
        }
    }
    edNummer->setText(QString::fromStdString(number));

    kolvaro::EmployeeRecord record;
    record.number = edNummer->text().toStdString();
    record.name = edName->text().toStdString();
    const auto boxes = DayBoxes(*this);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        record.days[i] = boxes[i]->isChecked();
    }
    const auto fields = TimeFields(*this);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        record.times[i] = fields[i]->text().toStdString();
        if (unshownTimeBounds_[i] && fields[i]->text() == QStringLiteral("  :  ")) {
            record.times[i] = *unshownTimeBounds_[i];  // untouched: kept as stored
        }
    }
    // A failure (a name the file cannot hold, a file that cannot be written)
    // leaves the fields and the editing state as they are.
    Ini->WriteEmployee(record);

    LoadEmployeeList();
    int row = -1;
    for (std::size_t i = 0; i < listEntries_.size(); ++i) {
        if (kolvaro::NumberOfEntry(listEntries_[i]) == record.number) {
            row = static_cast<int>(i);
            break;
        }
    }
    SelectEntry(row);
    lstMitarbeiterClick();
    SetEditorState(false);
}

void TMain::btnAbbrechenClick() {
    lstMitarbeiterClick();
    SetEditorState(false);
}

void TMain::btnLoeschenClick() {
    // Without a selected entry the fields show nobody who could be deleted.
    if (lstMitarbeiter->count() == 0 || lstMitarbeiter->currentItem() == nullptr) {
        return;
    }
    const QString question = QStringLiteral("Wollen Sie den Mitarbeiter\n\n'") + edNummer->text() +
                             QStringLiteral("  ") + edName->text() +
                             QStringLiteral("'\n\nwirklich löschen?");
    if (!CurrentDialogs().AskYesNo(this, QStringLiteral("Achtung"), question, DefaultAnswer::Yes)) {
        return;
    }
    const kolvaro::Settings::OneRead oneRead(Ini.get());  // one click, one read of the file
    Ini->DeleteEmployee(edNummer->text().toStdString());
    ClearEditor();
    LoadEmployeeList();
    if (lstMitarbeiter->count() > 0) {
        SelectEntry(0);
        lstMitarbeiterClick();
    }
}

void TMain::edNummerChange() {
    // Only what the user types counts; the program fills the fields while the
    // focus is elsewhere.
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) {
        return;
    }
    const auto texts = EditorTextFields();
    const auto boxes = DayBoxes(*this);
    if (std::find(texts.begin(), texts.end(), focus) != texts.end() ||
        std::find(boxes.begin(), boxes.end(), focus) != boxes.end()) {
        SetEditorState(true);
    }
}
