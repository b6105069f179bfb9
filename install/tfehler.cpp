#include "tfehler.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "window_font.h"

namespace kolvaro::setup {

namespace {

constexpr int kClientWidth = 355;
constexpr int kClientHeight = 75;
constexpr int kButtonTop = 45;

TFehler::Presenter& CurrentPresenter() {
    static TFehler::Presenter presenter;
    return presenter;
}

}  // namespace

TFehler::TFehler(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Fehler"));
    setWindowTitle(QStringLiteral("Fehler"));
    setModal(true);
    setFont(WindowFont());

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 16);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFocusPolicy(Qt::NoFocus);

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(144, kButtonTop, 75, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(kClientWidth, kClientHeight);
}

void TFehler::FitToText(const QString& message) {
    Label1->setText(message);
    Label1->adjustSize();
    // The dialog keeps ten pixels beside the text on either side; a very short
    // text still leaves room for the button.
    const int width = std::max(Label1->width(), btnOk->width()) + 20;
    Label1->move(10, Label1->y());
    const int buttonTop = std::max(kButtonTop, Label1->geometry().bottom() + 1 + 13);
    btnOk->move(width / 2 - btnOk->width() / 2, buttonTop);
    setFixedSize(width, std::max(kClientHeight, buttonTop + btnOk->height() + 5));

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFehler::ShowMessage(const QString& message) {
    FitToText(message);
    btnOk->setFocus();
    if (CurrentPresenter()) {
        CurrentPresenter()(*this);
    } else {
        exec();
    }
}

void TFehler::SetPresenter(Presenter presenter) {
    CurrentPresenter() = std::move(presenter);
}

}  // namespace kolvaro::setup
