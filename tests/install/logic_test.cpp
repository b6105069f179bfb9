// The installer's plain rules: where the program goes, and the shortcut text
// that desktops read back.

#include <QTest>

#include "desktop_entry.h"
#include "german_texts.h"
#include "target_path.h"

using namespace kolvaro::setup;

namespace {

QString ValueOf(const QString& entry, const QString& key) {
    for (const QString& line : entry.split(u'\n')) {
        if (line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1);
        }
    }
    return QStringLiteral("<missing>");
}

ShortcutInfo InfoFor(const QString& folder) {
    ShortcutInfo info;
    info.LinkName = QStringLiteral("Kolvaro");
    info.Target = folder + QStringLiteral("/velmora.exe");
    info.WorkingDirectory = folder;
    info.Description = QStringLiteral("Kolvaro - Programm zum ausrechnen von Arbeitsstunden");
    return info;
}

}  // namespace

class SetupLogicTest : public QObject {
    Q_OBJECT

  private slots:
    void targetPath_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("target");
        QTest::newRow("root") << "/"
                              << "/Kolvaro";
        QTest::newRow("home") << "/home/anna"
                              << "/home/anna/Kolvaro";
        QTest::newRow("folder ending in slash") << "/media/stick/"
                                                << "/media/stick/Kolvaro";
        QTest::newRow("blanks") << "/home/anna/Meine Programme"
                                << "/home/anna/Meine Programme/Kolvaro";
    }
    void targetPath() {
        QFETCH(QString, chosen);
        QFETCH(QString, target);
        QCOMPARE(TargetPathFor(chosen), target);
    }

    void sourceDirectory_data() {
        QTest::addColumn<QString>("workingDirectory");
        QTest::addColumn<QString>("source");
        QTest::newRow("folder") << "/home/anna/setup"
                                << "/home/anna/setup";
        QTest::newRow("root") << "/"
                              << "";
    }
    void sourceDirectory() {
        QFETCH(QString, workingDirectory);
        QFETCH(QString, source);
        QCOMPARE(SourceDirectoryFrom(workingDirectory), source);
        QCOMPARE(SourceDirectoryFrom(workingDirectory) + "/velmora.dat",
                 QDir::cleanPath(workingDirectory + "/velmora.dat"));
    }

    // Every folder a user may pick comes back unchanged from the Exec line,
    // and the Path line names the folder itself.
    void execNamesTheProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/home/anna/Kolvaro"
                               << "\"/home/anna/Kolvaro/velmora.exe\"";
        QTest::newRow("blanks") << "/opt/Mein Kolvaro"
                                << "\"/opt/Mein Kolvaro/velmora.exe\"";
        QTest::newRow("double quotes") << "/opt/\"K\""
                                       << "\"/opt/\\\\\"K\\\\\"/velmora.exe\"";
        QTest::newRow("dollar and backtick") << "/opt/$HOME`id`"
                                             << "\"/opt/\\\\$HOME\\\\`id\\\\`/velmora.exe\"";
        QTest::newRow("backslash") << "/opt/a\\b"
                                   << "\"/opt/a\\\\\\\\b/velmora.exe\"";
        QTest::newRow("single quote and umlauts") << "/opt/Jörg's Büro"
                                                  << "\"/opt/Jörg's Büro/velmora.exe\"";
        QTest::newRow("shell words") << "/opt/a;b|c&d>e<f*?#()~"
                                     << "\"/opt/a;b|c&d>e<f*?#()~/velmora.exe\"";
        QTest::newRow("blank at the end") << "/opt/K "
                                          << "\"/opt/K /velmora.exe\"";
    }
    void execNamesTheProgram() {
        QFETCH(QString, folder);
        QFETCH(QString, exec);
        const std::optional<QString> entry = DesktopEntryText(InfoFor(folder));
        QVERIFY(entry.has_value());
        QCOMPARE(ValueOf(*entry, "Exec"), exec);
        QCOMPARE(ParseExecValue(ValueOf(*entry, "Exec")), QStringList{folder + "/velmora.exe"});
        QCOMPARE(ValueOf(*entry, "Type"), QStringLiteral("Application"));
        QCOMPARE(ValueOf(*entry, "Name"), QStringLiteral("Kolvaro"));
        QCOMPARE(ValueOf(*entry, "Comment"),
                 QStringLiteral("Kolvaro - Programm zum ausrechnen von Arbeitsstunden"));
        QVERIFY(entry->startsWith("[Desktop Entry]\n"));
    }

    void pathLineKeepsTheFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/home/anna/Kolvaro"
                               << "/home/anna/Kolvaro";
        QTest::newRow("backslash") << "/opt/a\\b"
                                   << "/opt/a\\\\b";
        QTest::newRow("blank at the end") << "/opt/K "
                                          << "/opt/K\\s";
    }
    void pathLineKeepsTheFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        const std::optional<QString> entry = DesktopEntryText(InfoFor(folder));
        QVERIFY(entry.has_value());
        QCOMPARE(ValueOf(*entry, "Path"), path);
    }

    // What the entry cannot carry faithfully is refused, not written broken.
    void refusedShortcuts_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("relative folder") << "Kolvaro";
        QTest::newRow("percent in the program path") << "/opt/100%";
        QTest::newRow("line break") << "/opt/a\nb";
        QTest::newRow("tab") << "/opt/a\tb";
        QTest::newRow("carriage return") << "/opt/a\rb";
        QTest::newRow("unpaired surrogate") << QStringLiteral("/opt/a") + QChar(0xd800);
        QTest::newRow("longer than a path may be") << "/opt/" + QString(4100, u'k');
    }
    void refusedShortcuts() {
        QFETCH(QString, folder);
        QVERIFY(!DesktopEntryText(InfoFor(folder)).has_value());
    }

    void parseExecValue_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("words") << "prog a b" << true << QStringList{"prog", "a", "b"};
        QTest::newRow("quoted word") << "\"/a b/prog\" c" << true << QStringList{"/a b/prog", "c"};
        QTest::newRow("escaped blank") << "a\\sb" << true << QStringList{"a", "b"};
        QTest::newRow("percent") << "\"100%%\"" << true << QStringList{"100%"};
        QTest::newRow("field code") << "prog %f" << false << QStringList{};
        QTest::newRow("unquoted dollar") << "prog $HOME" << false << QStringList{};
        QTest::newRow("unterminated quote") << "\"prog" << false << QStringList{};
        QTest::newRow("unknown escape") << "prog\\q" << false << QStringList{};
        QTest::newRow("bad escape in quotes") << "\"a\\\\nb\"" << false << QStringList{};
    }
    void parseExecValue() {
        QFETCH(QString, value);
        QFETCH(bool, valid);
        QFETCH(QStringList, arguments);
        const std::optional<QStringList> parsed = ParseExecValue(value);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) {
            QCOMPARE(*parsed, arguments);
        }
    }

    // The wizard is German only, so Qt's own texts in it are German under any
    // system language (this test runs under C.UTF-8).
    void qtTextsAreGermanUnderAnyLocale_data() {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("german");
        QTest::newRow("Yes") << "QPlatformTheme"
                             << "&Yes"
                             << "&Ja";
        QTest::newRow("No") << "QPlatformTheme"
                            << "&No"
                            << "&Nein";
        QTest::newRow("Cancel") << "QPlatformTheme"
                                << "Cancel"
                                << "Abbrechen";
        QTest::newRow("folder list") << "QFileSystemModel"
                                     << "Size"
                                     << "Größe";
        QTest::newRow("file dialog") << "QFileDialog"
                                     << "Look in:"
                                     << "Suchen in:";
    }
    void qtTextsAreGermanUnderAnyLocale() {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, german);
        static const bool loaded = LoadGermanQtTexts(*QCoreApplication::instance());
        QVERIFY(loaded);
        QCOMPARE(QLocale().language(), QLocale::German);
        QCOMPARE(QCoreApplication::translate(context.toLatin1().constData(),
                                             source.toLatin1().constData()),
                 german);
    }
};

QTEST_GUILESS_MAIN(SetupLogicTest)
#include "logic_test.moc"
