// What the user waits for inside the running program, through the window's
// own handlers on the offscreen platform: a time accepted in the booking grid
// (Enter in the cell editor) and "Speichern" of one employee, each with 50
// and 9999 employees in the settings file, against one bare durable write of
// the same bytes that the handler leaves on disk.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <memory>
#include <string>

#include "bench_dialogs.h"
#include "bookings/month_file.h"
#include "data/durable_file.h"
#include "data/settings.h"
#include "fixture_set.h"
#include "maskededit.h"
#include "summary.h"
#include "tmain.h"

namespace bench {

namespace {

constexpr int kRepetitions = 25;

// The window of one folder, shown and active as a user's is; the folder's
// first employee is selected and the current month is shown.
class OpenWindow {
  public:
    explicit OpenWindow(const std::string& folder) : before_(QDir::currentPath()) {
        SetDialogs(&dialogs_);
        QDir::setCurrent(QString::fromStdString(folder));
        main_ = std::make_unique<TMain>();
        main_->show();
        QApplication::setActiveWindow(main_.get());
        active_ = QTest::qWaitForWindowActive(main_.get());
    }
    ~OpenWindow() {
        main_.reset();
        QApplication::processEvents();
        QDir::setCurrent(before_);
        SetDialogs(nullptr);
    }
    TMain& operator*() const { return *main_; }
    TMain* operator->() const { return main_.get(); }
    const NoDialogs& Dialogs() const { return dialogs_; }
    bool Active() const { return active_; }

  private:
    NoDialogs dialogs_;
    QString before_;
    std::unique_ptr<TMain> main_;
    bool active_ = false;
};

// A weekday of the month shown, different every round; "0715" to "0759".
void TypeTime(TMain& main, int round) {
    int row = 1 + round % 28;
    main.Grid->setFocus(Qt::OtherFocusReason);
    main.Grid->setCurrentCell(row, 0);
    const QString digits = QStringLiteral("07") + QString::number(15 + round % 45);
    for (const QChar key : digits) {
        QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    }
}

void GridEdit(benchmark::State& state, const std::string& folder) {
    OpenWindow main(folder);
    if (!main.Active()) {
        state.SkipWithError("the window never became active");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        TypeTime(*main, ++round);
        // The user has typed the time; the wait begins with Enter.
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(main->meGridEdit, Qt::Key_Return);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (main.Dialogs().shown) {
            state.SkipWithError(main.Dialogs().shown->toStdString().c_str());
            break;
        }
    }
}

// The bytes the edit leaves in the month file, written durably again and again.
void BareMonthWrite(benchmark::State& state, const std::string& folder) {
    std::string path;
    std::string bytes;
    {
        OpenWindow main(folder);
        TypeTime(*main, 7);
        QTest::keyClick(main->meGridEdit, Qt::Key_Return);
        path = kolvaro::MonthFileName(
            folder,
            kolvaro::NumberOfEntry(main->lstMitarbeiter->currentItem()->text().toStdString()),
            main->edDatumBis->text().toStdString());
        bytes = kolvaro::ReadWholeFile(path).bytes;
    }
    if (bytes.empty()) {
        state.SkipWithError("the edit wrote no month file");
        return;
    }
    for (auto _ : state) {
        if (!kolvaro::WriteFileDurably(path + ".bare", bytes)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

// "Speichern" of an employee whose name changes every round.
void Save(benchmark::State& state, const std::string& folder, const std::string& number) {
    OpenWindow main(folder);
    for (int row = 0; row < main->lstMitarbeiter->count(); ++row) {
        if (main->lstMitarbeiter->item(row)->text().startsWith(QString::fromStdString(number))) {
            main->lstMitarbeiter->setCurrentRow(row);
            break;
        }
    }
    const QString name = main->edName->text();
    int round = 0;
    for (auto _ : state) {
        main->edName->setText(name +
                              (++round % 2 ? QStringLiteral(" Jäger") : QStringLiteral(" Fuß")));
        main->btnSpeichern->setEnabled(true);
        const auto start = std::chrono::steady_clock::now();
        main->btnSpeichern->click();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (main.Dialogs().shown) {
            state.SkipWithError(main.Dialogs().shown->toStdString().c_str());
            break;
        }
    }
}

void BareSettingsWrite(benchmark::State& state, const std::string& folder) {
    const std::string path = folder + "/velmora.ini";
    const std::string bytes = kolvaro::ReadWholeFile(path).bytes;
    for (auto _ : state) {
        if (!kolvaro::WriteFileDurably(path + ".bare", bytes)) {
            state.SkipWithError("write failed");
            break;
        }
    }
}

}  // namespace

void RegisterWindowBenchmarks() {
    const FixtureSet& f = Fixtures();
    for (const auto& [count, source] : {std::pair{9999, f.settings9999}, {50, f.settings50}}) {
        const std::string n = std::to_string(count);
        const std::string bytes = kolvaro::ReadWholeFile(source + "/velmora.ini").bytes;
        // Each benchmark has a folder of its own, so none writes another's files.
        const auto folder = [&](const std::string& name) {
            const std::string sub = f.root.Sub(name + "-" + n);
            WriteFile(sub + "/velmora.ini", bytes);
            return sub;
        };
        Configure(benchmark::RegisterBenchmark(("window-edit/" + n).c_str(), GridEdit,
                                               folder("window-edit")),
                  kRepetitions, Timing::Manual)
            ->Iterations(8);
        Configure(benchmark::RegisterBenchmark(("durable-write/month-file-" + n).c_str(),
                                               BareMonthWrite, folder("month-bare")),
                  kRepetitions, Timing::Clock)
            ->Iterations(8);
        const std::string number = count == 9999 ? "5000" : "0025";
        Configure(benchmark::RegisterBenchmark(("window-save/" + n).c_str(), Save,
                                               folder("window-save"), number),
                  kRepetitions, Timing::Manual)
            ->Iterations(4);
        Configure(benchmark::RegisterBenchmark(("durable-write/settings-file-" + n).c_str(),
                                               BareSettingsWrite, folder("settings-bare")),
                  kRepetitions, Timing::Clock)
            ->Iterations(4);
    }
    AddRatio({"grid edit in the window, 9999 / durable write of the month file", "window-edit/9999",
              "durable-write/month-file-9999", 1.5, true});
    AddRatio({"grid edit in the window, 9999 / the same edit with 50", "window-edit/9999",
              "window-edit/50", 1.2, true});
    AddRatio({"grid edit in the window, 50 / durable write of the month file", "window-edit/50",
              "durable-write/month-file-50", 0, true});
    AddRatio({"\"Speichern\", 9999 / one durable write of the settings file", "window-save/9999",
              "durable-write/settings-file-9999", 1.5, true});
    AddRatio({"\"Speichern\", 50 / one durable write of the settings file", "window-save/50",
              "durable-write/settings-file-50", 0, true});
}

}  // namespace bench
