#include "dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QtDialogs qtDialogs;
Dialogs* current = nullptr;

const QString kTitle = QStringLiteral("Kolvaro");

}  // namespace

void QtDialogs::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::ShowError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, kTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::AskYesNo(QWidget* parent, const QString& caption, const QString& text,
                         DefaultAnswer preset) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(preset == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::GetText(QWidget* parent, const QString& caption,
                                          const QString& prompt, const QString& value) {
    bool ok = false;
    QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

bool QtDialogs::OpenUrl(const QUrl& url) {
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

void QtDialogs::Beep() {
    QApplication::beep();
}

Dialogs& CurrentDialogs() {
    return current != nullptr ? *current : qtDialogs;
}

void SetDialogs(Dialogs* dialogs) {
    current = dialogs;
}
