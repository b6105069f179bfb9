#pragma once

// Everything the windows ask of the desktop or of the user through a box that
// a test cannot click goes through one object. The program uses the Qt
// implementation; tests install their own that records and answers.

#include <QString>
#include <QUrl>
#include <optional>

class QWidget;

// The button of a question that Enter presses.
enum class DefaultAnswer { Yes, No };

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A plain message box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // The general error report: a modal box with the critical icon.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A question with the exclamation icon and the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& caption, const QString& text,
                          DefaultAnswer preset) = 0;
    // A one-line input; empty when the user cancels.
    virtual std::optional<QString> GetText(QWidget* parent, const QString& caption,
                                           const QString& prompt, const QString& value) = 0;
    // The save dialog for a file, proposing `proposed` (a full path); empty
    // when the user cancels. The dialog asks before an existing file is replaced.
    virtual std::optional<QString> GetSaveFileName(QWidget* parent, const QString& caption,
                                                   const QString& proposed,
                                                   const QString& filter) = 0;
    // Opens a file or web address with the desktop's default program. A local
    // file that does not exist fails before the desktop is asked.
    virtual bool OpenUrl(const QUrl& url) = 0;
    virtual void Beep() = 0;
};

class QtDialogs : public Dialogs {
  public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& caption, const QString& text,
                  DefaultAnswer preset) override;
    std::optional<QString> GetText(QWidget* parent, const QString& caption, const QString& prompt,
                                   const QString& value) override;
    std::optional<QString> GetSaveFileName(QWidget* parent, const QString& caption,
                                           const QString& proposed, const QString& filter) override;
    bool OpenUrl(const QUrl& url) override;
    void Beep() override;
};

// The implementation in use; the Qt one unless a test installed another.
Dialogs& CurrentDialogs();
// Installs `dialogs` (not owned); nullptr returns to the Qt implementation.
void SetDialogs(Dialogs* dialogs);
