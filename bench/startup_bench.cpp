// Start-up of the main window: constructing it (which reads the settings file
// of the current folder and fills the employee list) and showing it the first
// time, on the offscreen platform.

#include <QApplication>
#include <QDir>
#include <chrono>
#include <memory>
#include <optional>

#include "dialogs.h"
#include "fixture_set.h"
#include "summary.h"
#include "tmain.h"

namespace bench {

namespace {

constexpr int kRepetitions = 15;

// A box would wait for a click that never comes; the benchmark notes the
// message instead and fails.
class NoDialogs : public Dialogs {
  public:
    std::optional<QString> shown;
    void ShowMessage(QWidget*, const QString& text) override { shown = text; }
    void ShowError(QWidget*, const QString& text) override { shown = text; }
    bool AskYesNo(QWidget*, const QString&, const QString& text, DefaultAnswer) override {
        shown = text;
        return false;
    }
    std::optional<QString> GetText(QWidget*, const QString&, const QString& text,
                                   const QString&) override {
        shown = text;
        return std::nullopt;
    }
    std::optional<QString> GetSaveFileName(QWidget*, const QString&, const QString& proposed,
                                           const QString&) override {
        shown = proposed;
        return std::nullopt;
    }
    bool OpenUrl(const QUrl&) override { return false; }
    void Beep() override {}
};

void Startup(benchmark::State& state, const std::string& folder) {
    NoDialogs dialogs;
    SetDialogs(&dialogs);
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto window = std::make_unique<TMain>();
        window->show();
        QApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (dialogs.shown) {
            state.SkipWithError(("message at start-up: " + dialogs.shown->toStdString()).c_str());
            break;
        }
        // Closing and destroying are not part of the start-up.
        window.reset();
        QApplication::processEvents();
    }
    QDir::setCurrent(before);
    SetDialogs(nullptr);
}

}  // namespace

void RegisterStartupBenchmarks() {
    const FixtureSet& f = Fixtures();
    for (const auto& [name, folder] : {std::pair{"startup/9999", f.start9999},
                                       {"startup/50", f.start50},
                                       {"startup/empty", f.startEmpty}}) {
        Configure(benchmark::RegisterBenchmark(name, Startup, folder), kRepetitions, Timing::Manual)
            ->MinTime(0.3);
    }
    AddRatio({"start-up with 9999 employees / with an empty file", "startup/9999", "startup/empty",
              2.0, true});
    AddRatio({"start-up with 50 employees / with an empty file", "startup/50", "startup/empty", 0,
              true});
}

}  // namespace bench
