#pragma once

// Dialogs for benchmarks: a box would wait for a click that never comes, so
// the message is noted instead and the benchmark fails.

#include <optional>

#include "dialogs.h"

namespace bench {

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

}  // namespace bench
