#pragma once

// Stands in for every box a test cannot click: records what the program shows
// and gives the answers the test lined up.

#include <QStringList>
#include <QUrl>
#include <deque>
#include <vector>

#include "dialogs.h"

class ScriptedDialogs : public Dialogs {
  public:
    ScriptedDialogs() { SetDialogs(this); }
    ~ScriptedDialogs() override { SetDialogs(nullptr); }

    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    void ShowError(QWidget*, const QString& text) override { errors << text; }
    bool AskYesNo(QWidget*, const QString& caption, const QString& text,
                  DefaultAnswer preset) override {
        questions << caption + u'|' + text;
        presets.push_back(preset);
        if (answers.empty()) {
            unanswered = true;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> GetText(QWidget*, const QString& caption, const QString& prompt,
                                   const QString& value) override {
        prompts << caption + u'|' + prompt + u'|' + value;
        if (texts.empty()) {
            unanswered = true;
            return std::nullopt;
        }
        // Taken apart rather than copied whole: GCC 12 wrongly warns that a
        // copied optional<QString> may be uninitialised.
        const bool confirmed = texts.front().has_value();
        const QString text = texts.front().value_or(QString());
        texts.pop_front();
        if (!confirmed) {
            return std::nullopt;
        }
        return text;
    }
    std::optional<QString> GetSaveFileName(QWidget*, const QString& caption,
                                           const QString& proposed, const QString&) override {
        saves << caption + u'|' + proposed;
        if (files.empty()) {
            unanswered = true;
            return std::nullopt;
        }
        const bool confirmed = files.front().has_value();
        const QString file = files.front().value_or(QString());
        files.pop_front();
        if (!confirmed) {
            return std::nullopt;
        }
        return file;
    }
    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    void Beep() override { ++beeps; }

    QStringList messages;
    QStringList errors;
    QStringList questions;               // caption|text
    QStringList prompts;                 // caption|prompt|value
    QStringList saves;                   // caption|proposed path
    std::vector<DefaultAnswer> presets;  // the default button of each question
    std::deque<bool> answers;
    std::deque<std::optional<QString>> texts;
    std::deque<std::optional<QString>> files;  // answers of the save dialog
    std::vector<QUrl> opened;
    int beeps = 0;
    bool unanswered = false;  // a question came that the test did not expect
};
