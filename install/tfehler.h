#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace kolvaro::setup {

// The installer's error dialog: one line of text and "&Ok", made once at start
// and shown again for every message.
class TFehler : public QDialog {
    Q_OBJECT

  public:
    explicit TFehler(QWidget* parent = nullptr);

    // Puts the message in, fits the dialog to it, centres it on the screen and
    // shows it modally until the user presses "&Ok" or closes it.
    void ShowMessage(const QString& message);

    // How the fitted dialog is shown: modally (exec) unless a test has put in
    // its own, which looks at the dialog and answers it without waiting for
    // it to appear. An empty function goes back to exec.
    using Presenter = std::function<void(TFehler& dialog)>;
    static void SetPresenter(Presenter presenter);

  private:
    void FitToText(const QString& message);

    QLabel* Label1;
    QPushButton* btnOk;
};

}  // namespace kolvaro::setup
