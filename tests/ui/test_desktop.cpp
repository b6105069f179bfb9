// How both programs meet the desktop: Qt's own dialog texts in German under
// any system language, the window titles that the window system receives,
// and the icon on every window. Run with LANG=C.UTF-8 and, where Xvfb is
// installed, on a real X server.

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "data/clock.h"
#include "dialogs.h"
#include "kolvaroapplication.h"
#include "scripted_dialogs.h"
#include "tfehler.h"
#include "tmain.h"

namespace {

// Every text a dialog shows: its title, its buttons and its labels.
QStringList TextsOf(const QWidget* dialog) {
    QStringList texts{dialog->windowTitle()};
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        texts << button->text();
    }
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        texts << label->text();
    }
    return texts;
}

// What the X server holds for the window: one property as xprop prints it.
QString XProperty(const QWidget* window, const char* property) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("-notype"), QLatin1String(property)});
    if (!xprop.waitForFinished(10000)) {
        xprop.kill();
        xprop.waitForFinished(1000);
        return QStringLiteral("<xprop did not answer>");
    }
    return QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private:
    // Runs `open`, which shows a modal dialog, and hands the dialog to `look`
    // before closing it.
    void WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& look) {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            seen = true;
            look(dialog);
            static_cast<QDialog*>(dialog)->reject();
        });
        open();
        QVERIFY(seen);
    }

    static bool OnX() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

  private slots:
    void qtDialogsSpeakGerman_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("question") << "question" << QStringList{"&Ja", "&Nein"};
        QTest::newRow("input") << "input" << QStringList{"OK", "Abbrechen"};
        QTest::newRow("print") << "print" << QStringList{"Drucken", "&Drucken", "Abbrechen"};
        QTest::newRow("file") << "file" << QStringList{"Suchen in:", "Datei&name:", "Abbrechen"};
    }

    // The program is German only: under an English or C locale the boxes
    // must not say "Yes" and "Cancel".
    void qtDialogsSpeakGerman() {
        QFETCH(QString, dialog);
        QFETCH(QStringList, texts);
        QCOMPARE(QLocale::system().name(), QStringLiteral("C"));
        QtDialogs qt;
        QStringList shown;
        const auto look = [&](QWidget* widget) { shown = TextsOf(widget); };
        if (dialog == QStringLiteral("question")) {
            WithModal(
                [&] {
                    qt.AskYesNo(nullptr, QStringLiteral("Achtung"), QStringLiteral("?"),
                                DefaultAnswer::Yes);
                },
                look);
        } else if (dialog == QStringLiteral("input")) {
            WithModal([&] { qt.GetText(nullptr, QStringLiteral("Export-Pfad"), {}, {}); }, look);
        } else if (dialog == QStringLiteral("print")) {
            QPrinter printer(QPrinter::HighResolution);
            QPrintDialog print(&printer);
            WithModal([&] { print.exec(); }, look);
        } else {
            QFileDialog files;
            files.setOption(QFileDialog::DontUseNativeDialog);
            WithModal([&] { files.exec(); }, look);
        }
        for (const QString& text : texts) {
            QVERIFY2(shown.contains(text), qPrintable(shown.join(u'|')));
        }
    }

    void windowTitlesAreTheDesignedOnes_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");

        QTest::newRow("main window") << "main"
                                     << "Kolvaro";
        QTest::newRow("delete question") << "question"
                                         << "Achtung";
        QTest::newRow("export folder") << "input"
                                       << "Export-Pfad";
        QTest::newRow("error report") << "error"
                                      << "Kolvaro";
        QTest::newRow("setup error dialog") << "setup error"
                                            << "Fehler";
    }

    // What the window system shows, not only what the widget holds: Qt
    // appends an application display name there.
    void windowTitlesAreTheDesignedOnes() {
        QFETCH(QString, window);
        QFETCH(QString, title);
        if (!OnX()) {
            QSKIP("needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        }
        QStringList properties;
        const auto look = [&](QWidget* widget) {
            QVERIFY(QTest::qWaitForWindowExposed(widget));
            properties << XProperty(widget, "WM_NAME") << XProperty(widget, "_NET_WM_NAME")
                       << XProperty(widget, "_NET_WM_ICON").section(u'\n', 0, 0);
        };
        QtDialogs qt;
        if (window == QStringLiteral("main")) {
            QTemporaryDir dir;
            QFile ini(dir.filePath(QStringLiteral("velmora.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.close();
            const QString before = QDir::currentPath();
            QVERIFY(QDir::setCurrent(dir.path()));
            {
                ScriptedDialogs scripted;
                TMain main;
                main.show();
                look(&main);
            }
            QDir::setCurrent(before);
        } else if (window == QStringLiteral("question")) {
            WithModal([&] { qt.AskYesNo(nullptr, title, QStringLiteral("?"), DefaultAnswer::Yes); },
                      look);
        } else if (window == QStringLiteral("input")) {
            WithModal([&] { qt.GetText(nullptr, title, {}, {}); }, look);
        } else if (window == QStringLiteral("error")) {
            WithModal([&] { qt.ShowError(nullptr, QStringLiteral("Fehler")); }, look);
        } else {
            // As the setup program names itself.
            const QString name = QApplication::applicationName();
            QApplication::setApplicationName(QStringLiteral("Setup - Kolvaro"));
            kolvaro::setup::TFehler fehler;
            WithModal([&] { fehler.ShowMessage(QStringLiteral("Fehler")); }, look);
            QApplication::setApplicationName(name);
        }
        QCOMPARE(properties, QStringList({QStringLiteral("WM_NAME = \"%1\"").arg(title),
                                          QStringLiteral("_NET_WM_NAME = \"%1\"").arg(title),
                                          QStringLiteral("_NET_WM_ICON = \tIcon (16 x 16):")}));
    }
};

int main(int argc, char** argv) {
    KolvaroApplication application(argc, argv);
    if (!application.LoadQtTranslations()) {
        qWarning("Qt's German translations are missing (Debian package qt6-translations-l10n)");
        return 1;
    }
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_desktop.moc"
