#pragma once

#include <QDialog>

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

  private:
    void FitToText(const QString& message);

    QLabel* Label1;
    QPushButton* btnOk;
};

}  // namespace kolvaro::setup
