#include "dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
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

std::optional<QString> QtDialogs::GetSaveFileName(QWidget* parent, const QString& caption,
                                                  const QString& proposed, const QString& filter) {
    // Qt's own dialog rather than the desktop's: it speaks German through the
    // translations loaded at start, whatever the desktop is.
    QFileDialog dialog(parent, caption, proposed, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
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
