#include "maskededit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>

#include "dialogs.h"

namespace {

constexpr QChar kBlankShown = u'_';

const QString kInvalidInput = QStringLiteral(
    "Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen rückgängig zu "
    "machen.");

}  // namespace

MaskedEdit::MaskedEdit(Kind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
    // Qt's "9" is a required digit, "0" an optional one.
    setInputMask(kind == Kind::Time ? QStringLiteral("99:99;_") : QStringLiteral("0000;_"));
}

QString MaskedEdit::text() const {
    QString shown = displayText();
    shown.replace(kBlankShown, u' ');
    return shown;
}

void MaskedEdit::setText(const QString& text) {
    const QString before = this->text();
    {
        // Qt's own setText skips blanks and moves the digits after them to the
        // left, so the digits are put in one by one at their own positions.
        const QSignalBlocker blocker(this);
        QLineEdit::setText(QString());
        const int length = static_cast<int>(std::min(text.size(), displayText().size()));
        for (int i = 0; i < length; ++i) {
            const QChar c = text.at(i);
            if (c == u' ' || c == kBlankShown || (kind_ == Kind::Time && i == 2)) {
                continue;
            }
            setCursorPosition(i);
            insert(QString(c));
        }
        setCursorPosition(0);
        setModified(false);
    }
    if (hasFocus()) {
        textAtFocus_ = this->text();
    }
    const QString after = this->text();
    if (after != before) {
        emit textChanged(after);
    }
}

void MaskedEdit::focusInEvent(QFocusEvent* event) {
    // Coming back from another window or from a refused exit keeps the text to
    // return to with Escape.
    const bool back = returning_ || event->reason() == Qt::ActiveWindowFocusReason ||
                      event->reason() == Qt::PopupFocusReason;
    if (!back) {
        textAtFocus_ = text();
        setModified(false);
    }
    QLineEdit::focusInEvent(event);
}

void MaskedEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching to another window or opening a menu is not leaving the field.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        return;
    }
    if (HoldsRefusedInput()) {
        // Take the focus back once the focus change has finished.
        QMetaObject::invokeMethod(this, &MaskedEdit::Refuse, Qt::QueuedConnection);
        return;
    }
    emit exited();
}

void MaskedEdit::Refuse() {
    CurrentDialogs().Beep();
    returning_ = true;
    setFocus(Qt::OtherFocusReason);
    returning_ = false;
    CurrentDialogs().ShowError(window(), kInvalidInput);
}

void MaskedEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isModified()) {
        setText(textAtFocus_);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
