// The setup wizard driven as a user clicks it, with the timer driven by the
// test, in a home folder of its own for every test.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <optional>

#include <sys/mount.h>

#include "desktop_entry.h"
#include "tfehler.h"
#include "tmain.h"

using namespace kolvaro::setup;

namespace {

const QString kCopyFailed =
    QStringLiteral("Die Datei '%1/velmora.dat' konnte nicht installiert werden.");
const QString kShortcutFailed = QStringLiteral("Fehler beim Erzeugen der Verknüpfung aufgetreten.");
const QByteArray kProgram = "#!/bin/sh\npwd > \"$0.ran\"\n";
const QString kIconFile = QStringLiteral(".local/share/icons/hicolor/scalable/apps/kolvaro.svg");
const auto kRwxRxRx = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                      QFileDevice::ExeOther;

// What the error dialog showed, taken when it was to be shown.
struct Shown {
    QString message;
    QString title;
    bool onTop = false;
    int width = 0;
    QRect label;
    QRect button;
};

// Answers the error dialog in place of the user: notes what it shows and
// presses "&Ok", while this watcher lives.
class ErrorDialogWatcher {
  public:
    ErrorDialogWatcher() {
        TFehler::SetPresenter([this](TFehler& dialog) { Look(dialog); });
    }
    ~ErrorDialogWatcher() { TFehler::SetPresenter({}); }
    ErrorDialogWatcher(const ErrorDialogWatcher&) = delete;
    ErrorDialogWatcher& operator=(const ErrorDialogWatcher&) = delete;

    QStringList Messages() const {
        QStringList messages;
        for (const Shown& shown : seen) {
            messages << shown.message;
        }
        return messages;
    }
    QList<Shown> seen;

  private:
    void Look(TFehler& dialog) {
        auto* label = dialog.findChild<QLabel*>("Label1");
        auto* ok = dialog.findChild<QPushButton*>("btnOk");
        seen << Shown{label->text(),
                      dialog.windowTitle(),
                      dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                      dialog.width(),
                      label->geometry(),
                      ok->geometry()};
        ok->click();
    }
};

struct Wizard {
    TMain Main;
    TFehler Fehler;
    Wizard() { Main.SetErrorDialog(&Fehler); }

    template <typename T>
    T* Find(const char* name) {
        T* child = Main.findChild<T*>(QString::fromLatin1(name));
        if (child == nullptr) {
            qFatal("no %s", name);
        }
        return child;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    QLineEdit* Pfad() { return Find<QLineEdit>("edPfad"); }
    QTimer* Timer() { return Find<QTimer>("Timer"); }
    int Bar() { return Find<QProgressBar>("pgrBar")->value(); }

    // Typed key by key, umlauts included.
    void TypeTarget(const QString& target) {
        Pfad()->clear();
        for (QChar c : target) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(Pfad(), &press);
        }
    }
    // From the welcome page through the copy; the timer is then stopped so
    // that the test alone moves the progress.
    void InstallInto(const QString& target) {
        Click("btnWeiter");
        TypeTarget(target);
        Click("btnWeiter");
        Timer()->stop();
    }
    void RunTimerToEnd() {
        while (Find<QPushButton>("btnAbbrechen")->text() != "&Fertig") {
            Main.TimerTimer();
        }
    }
};

// A file system mounted by the test, taken away again however the test ends.
struct Mounted {
    QByteArray point;
    explicit Mounted(QByteArray mountPoint) : point(std::move(mountPoint)) {}
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;
    ~Mounted() { umount(point.constData()); }
};

// Mounts a small tmpfs at the folder; empty when mounting is refused.
std::unique_ptr<Mounted> MountSmallTmpfs(const QString& folder) {
    QDir().mkpath(folder);
    const QByteArray point = folder.toUtf8();
    if (mount("tmpfs", point.constData(), "tmpfs", 0, "size=64k") != 0) {
        return nullptr;
    }
    return std::make_unique<Mounted>(point);
}

// Writes into the folder until its file system has no room left.
void FillUp(const QString& folder) {
    QFile filler(folder + "/filler");
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'x')) == 4096) {
    }
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString EntryValue(const QString& path, const QString& key) {
    for (const QString& line : QString::fromUtf8(Contents(path)).split(u'\n')) {
        if (line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1);
        }
    }
    return {};
}

}  // namespace

class SetupWizardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home;
    QString originalDirectory = QDir::currentPath();

    QString Home(const QString& path = {}) const {
        return path.isEmpty() ? home->path() : home->filePath(path);
    }
    QString Desktop() const { return Home("Desktop"); }
    QString Menu() const { return Home(".local/share/applications"); }
    QString Source() const { return Home("setup"); }

  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // A fresh home with a desktop folder, and the installer started from a
    // folder holding the program.
    void init() {
        home = std::make_unique<QTemporaryDir>();
        QVERIFY(home->isValid());
        qputenv("HOME", Home().toUtf8());
        qputenv("XDG_CONFIG_HOME", Home(".config").toUtf8());
        qputenv("XDG_DATA_HOME", Home(".local/share").toUtf8());
        qputenv("XDG_CACHE_HOME", Home(".cache").toUtf8());
        qputenv("XDG_RUNTIME_DIR", Home("run").toUtf8());
        QDir().mkpath(Home("run"));
        QFile::setPermissions(
            Home("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir().mkpath(Desktop());
        Write(Source() + "/velmora.dat", kProgram);
        QDir::setCurrent(Source());
    }
    void cleanup() {
        QDir::setCurrent(originalDirectory);
        home.reset();
    }

    void fullInstallation() {
        QDir().mkpath(Home("Programme"));
        Write(Home("Kolvaro/velmora.exe"), "an older program");
        Write(Home("Kolvaro/kolvaro.exe"), "left over");
        Write(Desktop() + "/Kolvaro.desktop", "an older shortcut");
        Wizard w;
        w.Main.show();
        QCOMPARE(w.Text("lbTitel"), "Willkommen bei der Installation von Kolvaro");
        QVERIFY(w.Find<QWidget>("Memo")->isVisible());
        QVERIFY(!w.Find<QWidget>("btnZurueck")->isVisible());
        QVERIFY(w.Main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.Main.size(), QSize(427, 273));
        QCOMPARE(w.Main.windowTitle(), "Setup - Kolvaro");

        w.Click("btnWeiter");
        QCOMPARE(w.Text("lbTitel"), "Installationsverzeichnis wählen");
        QCOMPARE(w.Text("lbUntertitel"),
                 "Wählen Sie das Verzeichnis, in das Kolvaro installiert werden soll.");
        QVERIFY(w.Pfad()->isVisible());
        QVERIFY(!w.Find<QWidget>("Memo")->isVisible());
        QCOMPARE(w.Pfad()->text(), Home("Kolvaro"));

        // Choosing a folder in the tree applies the rule; typing overrides it.
        auto* tree = w.Find<QTreeView>("DirectoryListBox1");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        tree->setCurrentIndex(model->index(Home("Programme")));
        QCOMPARE(w.Pfad()->text(), Home("Programme/Kolvaro"));
        w.TypeTarget(Home("Kolvaro"));

        // Back and forth keeps the typed folder.
        w.Click("btnZurueck");
        QCOMPARE(w.Text("lbTitel"), "Willkommen bei der Installation von Kolvaro");
        QVERIFY(!w.Find<QWidget>("btnZurueck")->isVisible());
        QVERIFY(!w.Pfad()->isVisible());
        w.Click("btnWeiter");
        QCOMPARE(w.Pfad()->text(), Home("Kolvaro"));

        w.Click("btnWeiter");
        QVERIFY(w.Timer()->isActive());
        QCOMPARE(w.Timer()->interval(), 2000);
        w.Timer()->stop();
        QCOMPARE(w.Text("lbTitel"), "Dateien werden kopiert.");
        QCOMPARE(w.Text("lbUntertitel"), Home("Kolvaro/velmora.exe"));
        QCOMPARE(w.Bar(), 2);
        QVERIFY(!w.Find<QWidget>("btnWeiter")->isVisible());
        QVERIFY(!w.Find<QWidget>("btnAbbrechen")->isEnabled());
        QVERIFY(w.Find<QWidget>("pnProgress")->isVisible());
        QCOMPARE(Contents(Home("Kolvaro/velmora.exe")), kProgram);
        QCOMPARE(QFile::permissions(Home("Kolvaro/velmora.exe")), kRwxRxRx);

        const QList<int> intervals{2000, 5000, 5000, 5000};
        for (int tick = 1; tick <= 4; ++tick) {
            w.Main.TimerTimer();
            QCOMPARE(w.Bar(), 2 + tick);
            QCOMPARE(w.Timer()->interval(), intervals[tick - 1]);
        }
        QCOMPARE(w.Text("lbTitel"), "Verknüpfung auf Desktop wird erstellt.");
        QVERIFY(!QFile::exists(Desktop() + "/Kolvaro.desktop.new"));
        w.Timer()->start();
        w.Main.TimerTimer();
        QVERIFY(!w.Timer()->isActive());
        QCOMPARE(w.Text("lbTitel"), "Die Installation ist abgeschlossen.");
        QCOMPARE(w.Text("Label8"),
                 "Das Programm Kolvaro wurde erfolgreich auf Ihrem Computer installiert.");
        QCOMPARE(w.Text("Label5"),
                 "Sie können das Programm jetzt über das Icon auf dem Desktop starten.");
        QCOMPARE(w.Text("Label6"),
                 "\"Drücken Sie \"Fertig\", um den Installationsassistenten zu schließen.");
        QVERIFY(!w.Find<QWidget>("pnProgress")->isVisible());
        QVERIFY(!w.Find<QWidget>("lbUntertitel")->isVisible());
        QCOMPARE(w.Find<QPushButton>("btnAbbrechen")->text(), "&Fertig");
        QVERIFY(!QFile::exists(Menu() + "/Kolvaro.desktop"));

        ErrorDialogWatcher errors;
        w.Click("btnAbbrechen");
        QVERIFY(!w.Main.isVisible());
        QCOMPARE(errors.Messages(), QStringList{});
        QVERIFY(!QFile::exists(Home("Kolvaro/kolvaro.exe")));
        // The icon in the user's icon theme, for the shortcuts to name.
        QVERIFY(Contents(Home(kIconFile)).startsWith("<?xml"));
        QVERIFY(Contents(Home(kIconFile)).contains("<svg"));
        for (const QString& folder : {Menu(), Desktop()}) {
            const QString entry = folder + "/Kolvaro.desktop";
            QCOMPARE(QFile::permissions(entry), kRwxRxRx);
            QCOMPARE(EntryValue(entry, "Exec"), '"' + Home("Kolvaro/velmora.exe") + '"');
            QCOMPARE(EntryValue(entry, "Path"), Home("Kolvaro"));
            QCOMPARE(EntryValue(entry, "Comment"),
                     "Kolvaro - Programm zum ausrechnen von Arbeitsstunden");
            QCOMPARE(EntryValue(entry, "Name"), "Kolvaro");
            QCOMPARE(EntryValue(entry, "Icon"), Home(kIconFile));
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"Kolvaro.desktop"});
            if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
                QSKIP("desktop-file-validate is not installed");
            }
            QProcess validate;
            validate.start("desktop-file-validate", {entry});
            QVERIFY(validate.waitForFinished());
            QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
            QCOMPARE(validate.exitCode(), 0);
        }
    }

    // A failed copy is reported with the source file and ends on the failure
    // variant, whose "&Fertig" still writes the shortcuts.
    void failedCopy_data() {
        QTest::addColumn<bool>("withSource");
        QTest::addColumn<QString>("target");
        QTest::newRow("program file missing") << false << "Kolvaro";
        QTest::newRow("parent of the target missing") << true << "fehlt/Kolvaro";
        QTest::newRow("target is a folder name only") << true << "=Kolvaro";
        QTest::newRow("target is empty") << true << "=";
        QTest::newRow("target folder is a file") << true << "Datei";
        QTest::newRow("installed name is a folder") << true << "Ordner";
        QTest::newRow("target on a full disk") << true << "voll/Kolvaro";
    }
    void failedCopy() {
        QFETCH(bool, withSource);
        QFETCH(QString, target);
        if (!withSource) {
            QVERIFY(QFile::remove(Source() + "/velmora.dat"));
        }
        std::unique_ptr<Mounted> full;
        if (target.startsWith("voll/")) {
            full = MountSmallTmpfs(Home("voll"));
            if (!full) {
                QSKIP("a tmpfs cannot be mounted here");
            }
            Write(Home(target + "/velmora.exe"), "the former program");
            FillUp(Home("voll"));
        }
        Write(Home("Datei"), "a file, not a folder");
        QDir().mkpath(Home("Ordner/velmora.exe"));
        // "=" stands for a text that is not a full path at all.
        const QString typed = target.startsWith(u'=') ? target.mid(1) : Home(target);

        Wizard w;
        w.Main.show();
        ErrorDialogWatcher errors;
        w.InstallInto(typed);
        QCOMPARE(errors.Messages(), QStringList{kCopyFailed.arg(Source())});
        QCOMPARE(errors.seen[0].title, "Fehler");
        QVERIFY(errors.seen[0].onTop);
        if (full) {
            QCOMPARE(Contents(typed + "/velmora.exe"), "the former program");
        } else {
            QVERIFY(!QFileInfo(typed + "/velmora.exe").isFile());
        }
        QVERIFY(!QFile::exists(Source() + "/Kolvaro"));
        QVERIFY(!QFile::exists("/velmora.exe"));
        // No half-written copy is left beside the target either.
        const QStringList leftInTarget =
            typed.startsWith(u'/')
                ? QDir(typed).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                : QStringList{};
        QVERIFY(leftInTarget.isEmpty() || leftInTarget == QStringList{"velmora.exe"});

        QCOMPARE(w.Text("lbTitel"), "Die Installation wurde nicht vollständig ausgeführt.");
        QCOMPARE(w.Text("Label8"),
                 "Das Programm Kolvaro konnte nicht auf Ihrem Computer installiert werden.");
        QCOMPARE(w.Text("Label5"), "");
        QCOMPARE(w.Text("Label6"), "Zum Beenden des Installationsassistenten drücken Sie Fertig");
        QVERIFY(!w.Timer()->isActive());
        QVERIFY(w.Find<QWidget>("btnAbbrechen")->isEnabled());

        // No entry points at a program that was not copied.
        w.Click("btnAbbrechen");
        QVERIFY(!QFile::exists(Desktop() + "/Kolvaro.desktop"));
        QVERIFY(!QFile::exists(Menu() + "/Kolvaro.desktop"));
        QCOMPARE(errors.Messages().size(), 1);
    }

    // Timer events that arrive while the error dialog is open may show the
    // success page behind it; closing the dialog turns it into the failure.
    void timerDuringErrorDialog() {
        QVERIFY(QFile::remove(Source() + "/velmora.dat"));
        Wizard w;
        w.Main.show();
        w.Click("btnWeiter");
        QTimer::singleShot(0, &w.Main, [&w] {
            for (int tick = 0; tick < 5; ++tick) {
                w.Main.TimerTimer();
            }
            QCOMPARE(w.Text("lbTitel"), "Die Installation ist abgeschlossen.");
            w.Fehler.accept();
        });
        w.Click("btnWeiter");
        QCOMPARE(w.Text("lbTitel"), "Die Installation wurde nicht vollständig ausgeführt.");
        QCOMPARE(w.Text("Label5"), "");
    }

    // Leaving before the finish page deletes a stray kolvaro.exe in the
    // target folder and writes no shortcut.
    void closingEarly_data() {
        QTest::addColumn<int>("clicksOnWeiter");
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("welcome page, Abbrechen") << 0 << false;
        QTest::newRow("folder page, Abbrechen") << 1 << false;
        QTest::newRow("installing page, title bar") << 2 << true;
    }
    void closingEarly() {
        QFETCH(int, clicksOnWeiter);
        QFETCH(bool, titleBar);
        Write(Home("Kolvaro/kolvaro.exe"), "left over");
        Wizard w;
        w.Main.show();
        for (int click = 0; click < clicksOnWeiter; ++click) {
            w.Click("btnWeiter");
        }
        w.Timer()->stop();
        ErrorDialogWatcher errors;
        if (titleBar) {
            w.Main.close();
        } else {
            w.Click("btnAbbrechen");
        }
        QVERIFY(!w.Main.isVisible());
        QVERIFY(!QFile::exists(Home("Kolvaro/kolvaro.exe")));
        QVERIFY(!QFile::exists(Desktop() + "/Kolvaro.desktop"));
        QVERIFY(!QFile::exists(Menu() + "/Kolvaro.desktop"));
        QCOMPARE(errors.Messages(), QStringList{});
    }

    // A desktop shortcut that cannot be written is reported; the menu entry
    // is written regardless, and a failed write keeps the former file.
    void desktopFailure_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("no desktop folder") << "missing";
        QTest::newRow("a folder in the shortcut's place") << "folder";
        QTest::newRow("read-only desktop") << "readonly";
        QTest::newRow("full desktop") << "full";
    }
    void desktopFailure() {
        QFETCH(QString, how);
        std::unique_ptr<Mounted> tmpfs;
        if (how == "missing") {
            QVERIFY(QDir(Desktop()).removeRecursively());
        } else if (how == "folder") {
            QVERIFY(QDir().mkpath(Desktop() + "/Kolvaro.desktop"));
        } else {
            // A small file system of its own that holds the former shortcut
            // and then turns read-only or fills up.
            tmpfs = MountSmallTmpfs(Desktop());
            if (!tmpfs) {
                QSKIP("a tmpfs cannot be mounted here");
            }
            Write(Desktop() + "/Kolvaro.desktop", "the former shortcut");
            if (how == "readonly") {
                QVERIFY(mount(nullptr, tmpfs->point.constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                              "size=64k") == 0);
            } else {
                FillUp(Desktop());
            }
        }
        Wizard w;
        w.Main.show();
        w.InstallInto(Home("Kolvaro"));
        w.RunTimerToEnd();
        ErrorDialogWatcher errors;
        w.Click("btnAbbrechen");
        QCOMPARE(errors.Messages(), QStringList{kShortcutFailed});
        QVERIFY(QFile::exists(Menu() + "/Kolvaro.desktop"));
        QVERIFY(!w.Main.isVisible());
        if (tmpfs) {
            QCOMPARE(Contents(Desktop() + "/Kolvaro.desktop"), "the former shortcut");
            QStringList files = QDir(Desktop()).entryList(QDir::Files | QDir::Hidden);
            files.removeAll("filler");
            QCOMPARE(files, QStringList{"Kolvaro.desktop"});
        }
    }

    // The desktop's own launcher starts the installed program from its entry
    // in the target folder, however odd the folder's name.
    void shortcutStartsTheProgram() {
        const QString target = Home("Mein \"Büro\" $HOME `id` a\\b 'c' (1)");
        Wizard w;
        w.Main.show();
        w.InstallInto(target);
        w.RunTimerToEnd();
        w.Click("btnAbbrechen");
        const QString entry = Desktop() + "/Kolvaro.desktop";
        const std::optional<QStringList> command = ParseExecValue(EntryValue(entry, "Exec"));
        QVERIFY(command.has_value());
        QCOMPARE(*command, QStringList{target + "/velmora.exe"});

        const QString ran = target + "/velmora.exe.ran";
        if (QStandardPaths::findExecutable("gio").isEmpty()) {
            // Without GLib's launcher, run what the entry says ourselves.
            QProcess program;
            program.setWorkingDirectory(target);
            program.start(command->first(), command->mid(1));
            QVERIFY(program.waitForFinished());
        } else {
            QProcess gio;
            gio.start("gio", {"launch", entry});
            QVERIFY(gio.waitForFinished());
            QCOMPARE(gio.readAllStandardError(), QByteArray());
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ran) && !Contents(ran).isEmpty(), 10000);
        QCOMPARE(QString::fromUtf8(Contents(ran)).trimmed(), target);
    }

    // The dialog takes the width of its text with room on either side, and
    // the button stays in the middle.
    void errorDialogFitsTheText_data() {
        QTest::addColumn<QString>("message");
        QTest::newRow("shortcut failure") << kShortcutFailed;
        QTest::newRow("long path") << kCopyFailed.arg("/home/anna/" + QString(60, u'x'));
        QTest::newRow("one letter") << "x";
    }
    void errorDialogFitsTheText() {
        QFETCH(QString, message);
        TFehler Fehler;
        ErrorDialogWatcher errors;
        Fehler.ShowMessage(message);
        QCOMPARE(errors.seen.size(), 1);
        const Shown& shown = errors.seen[0];
        QCOMPARE(shown.message, message);
        QCOMPARE(shown.title, "Fehler");
        QVERIFY(shown.onTop);
        QCOMPARE(shown.label.left(), 10);
        QVERIFY(shown.label.right() < shown.width - 9);
        QVERIFY(shown.button.left() >= 10);
        QVERIFY(qAbs(shown.button.center().x() * 2 - shown.width) <= 2);
        if (message.size() > 80) {
            QVERIFY(shown.width > 355);
            QCOMPARE(shown.width, shown.label.width() + 20);
        }
    }
};

// Even the start-up of the application gets a home of its own, so that
// nothing of the test run reaches the real one.
int main(int argc, char* argv[]) {
    QTemporaryDir startHome;
    qputenv("HOME", startHome.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (startHome.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (startHome.path() + "/.local/share").toUtf8());
    qputenv("XDG_CACHE_HOME", (startHome.path() + "/.cache").toUtf8());
    qputenv("XDG_RUNTIME_DIR", startHome.path().toUtf8());
    QFile::setPermissions(startHome.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QApplication app(argc, argv);
    SetupWizardTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "wizard_test.moc"
