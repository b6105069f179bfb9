// The work behind the wizard's pages: copying the program, the closing step
// with its shortcuts, and the error reports.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QTreeView>

#include "app_icon.h"
#include "shortcut.h"
#include "tfehler.h"
#include "tmain.h"

namespace kolvaro::setup {

namespace {

const QString kDescription = QStringLiteral("Kolvaro - Programm zum ausrechnen von Arbeitsstunden");

// Only a full path names a folder: an empty or relative text would otherwise
// put the program into "/" or wherever the installer happened to be started.
bool IsTargetFolder(const QString& target) {
    return target.startsWith(u'/');
}

bool CopyExecutable(const QString& source, const QString& destination) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    // Written beside the old program and renamed over it: a program that is
    // running keeps its file, and a failed copy leaves the old one whole.
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray buffer;
    while (!(buffer = in.read(1 << 16)).isEmpty()) {
        if (out.write(buffer) != buffer.size()) {
            out.cancelWriting();
            return false;
        }
    }
    const auto rwxr_xr_x = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                           QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                           QFileDevice::ReadOther | QFileDevice::ExeOther;
    // The last bytes are flushed here, where a full disk is noticed: the
    // commit would otherwise put a cut-off program in place of the old one.
    if (in.error() != QFileDevice::NoError || !out.flush() || !out.setPermissions(rwxr_xr_x)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

}  // namespace

void TMain::InstallFiles() {
    DriveComboBox1->hide();
    DirectoryListBox1->hide();
    edPfad->hide();
    pnProgress->show();
    lbProgress->show();
    lbProgress->repaint();
    btnAbbrechen->setEnabled(false);
    lbTitel->setText(QStringLiteral("Dateien werden kopiert."));
    lbTitel->adjustSize();
    lbUntertitel->show();
    pgrBar->setValue(pgrBar->value() + 1);
    repaint();

    const QString target = edPfad->text();
    InstallOk = true;
    // One level only: a missing parent makes the copy below fail.
    if (IsTargetFolder(target)) {
        QDir().mkdir(target);
    }
    const QString source = SourceDirectory + QStringLiteral("/velmora.dat");
    const QString installed = target + QStringLiteral("/velmora.exe");
    if (!InstallFile(source, installed)) {
        InstallOk = false;
        Timer->stop();
        ShowFinishPage();
    }
    pgrBar->setValue(pgrBar->value() + 1);
}

bool TMain::InstallFile(const QString& source, const QString& destination) {
    lbUntertitel->setText(destination);
    lbUntertitel->adjustSize();
    repaint();
    const QString folder = destination.left(destination.lastIndexOf(u'/'));
    if (IsTargetFolder(folder) && CopyExecutable(source, destination)) {
        return true;
    }
    ShowError(QStringLiteral("Die Datei '") + source +
              QStringLiteral("' konnte nicht installiert werden."));
    return false;
}

void TMain::FormClose() {
    const QString target = edPfad->text();
    if (IsTargetFolder(target)) {
        QFile::remove(target + QStringLiteral("/kolvaro.exe"));
    }
    // Only the finish page, whichever variant, leaves the button so.
    if (btnAbbrechen->text() != QStringLiteral("&Fertig")) {
        return;
    }
    // After a failed copy an entry would start a program that is not there
    // (or an old one); the failure was reported when it happened.
    if (!InstallOk) {
        return;
    }
    // Without a full path there is nothing a shortcut could start.
    if (!IsTargetFolder(target)) {
        ShowError(QStringLiteral("Fehler beim Erzeugen der Verknüpfung aufgetreten."));
        return;
    }
    ShortcutInfo info;
    info.LinkName = QStringLiteral("Kolvaro");
    info.Target = target + QStringLiteral("/velmora.exe");
    info.WorkingDirectory = target;
    info.Description = kDescription;
    // Without the icon file the entries show the desktop's own program icon.
    info.IconFile = InstallIconFile();
    CreateShortcut(info, ShortcutFolder::Programs);
    if (!CreateShortcut(info, ShortcutFolder::Desktop)) {
        ShowError(QStringLiteral("Fehler beim Erzeugen der Verknüpfung aufgetreten."));
    }
}

void TMain::ShowError(const QString& message) {
    if (Fehler != nullptr) {
        Fehler->ShowMessage(message);
    }
}

}  // namespace kolvaro::setup
