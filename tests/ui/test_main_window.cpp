// Start-up of the main window and the employee editor, driven through the
// real widgets; the settings file is checked byte for byte.

#include <sys/stat.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <iterator>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "../fifo_watchdog.h"
#include "data/clock.h"
#include "data/durable_file.h"
#include "kolvaro_test_main.h"
#include "maskededit.h"
#include "scripted_dialogs.h"
#include "tmain.h"
#include "updowncontrol.h"
#include "window_fixture.h"

namespace {

// One employee's section with the same time in all eight bounds.
QByteArray Section(const char* number, const QByteArray& name, const char* days = "1111100",
                   const char* time = "07:30") {
    return window_test::Section(number, name, days,
                                {time, time, time, time, time, time, time, time});
}

const QByteArray kGeneration = "[Global]\r\nAutoBuchung=1\r\n";

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->item(i)->text();
    }
    return entries;
}

QString Entry(const char* number, const QString& name) {
    return QLatin1String(number) + QStringLiteral("        ") + name;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<TMain> main;

    QString IniPath() const { return dir->filePath(QStringLiteral("velmora.ini")); }

    QByteArray IniBytes() const { return window_test::Read(IniPath()); }

    void WriteIni(const QByteArray& bytes) { QVERIFY(window_test::Write(IniPath(), bytes)); }

    // A fresh program directory; the window is created there and made active.
    void Start(const QByteArray& ini) { window_test::Start(main, dir->path(), ini); }

    // The editor buttons as (Neu, Speichern, Löschen, Abbrechen) enabled flags.
    QString ButtonState() const {
        QString state;
        for (const QPushButton* button :
             {main->btnNeu, main->btnSpeichern, main->btnLoeschen, main->btnAbbrechen}) {
            state += button->isEnabled() ? u'1' : u'0';
        }
        return state;
    }

    QStringList TimeTexts() const {
        QStringList texts;
        for (const MaskedEdit* field :
             {main->edBeginnVon, main->edBeginnBis, main->edPauseBeginnVon, main->edPauseBeginnBis,
              main->edPauseEndeVon, main->edPauseEndeBis, main->edEndeVon, main->edEndeBis}) {
            texts << field->text();
        }
        return texts;
    }

    void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    void ClickEntry(int row) { window_test::ClickEntry(*main, row); }

    void TypeInto(QLineEdit* field, const QString& text) {
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(field, text);
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dialogs = std::make_unique<ScriptedDialogs>();
        kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 15, 9, 30); });
    }

    void cleanup() {
        main.reset();
        QVERIFY(!dialogs->unanswered);
        dialogs.reset();
        kolvaro::SetClock({});
    }

    void withoutSettingsFileStartsInJournalModeOnTodaysMonth() {
        Start(QByteArray());
        QVERIFY(main->SettingsLoaded());
        QCOMPARE(main->ExportDirectoryForTest(), dir->path().toStdString() + "/");
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());

        QCOMPARE(main->lstMitarbeiter->count(), 0);
        QCOMPARE(main->lstMitarbeiter->height(), 305);
        QCOMPARE(main->btnNeu->y(), 320);
        QCOMPARE(main->btnLoeschen->y(), 352);
        QCOMPARE(main->Panel2->y(), 394);
        QCOMPARE(main->edNummer->text(), QStringLiteral("    "));
        QCOMPARE(main->edName->text(), QString());
        QCOMPARE(TimeTexts(), QStringList(8, QStringLiteral("  :  ")));
        QCOMPARE(ButtonState(), QStringLiteral("1000"));

        QVERIFY(main->Panel3->isHidden());
        QVERIFY(main->chkMo->isHidden());
        QVERIFY(!main->pnZeitraum->isHidden());
        QVERIFY(main->btnBuchungenErzeugen->isHidden());
        QVERIFY(!main->btnDrucken->isHidden());
        QVERIFY(!main->lbQVX->isHidden());
        QCOMPARE(main->btnExport->contextMenuPolicy(), Qt::NoContextMenu);

        QCOMPARE(main->cbxMonat->currentText(), QStringLiteral("März"));
        QCOMPARE(main->edJahr->text(), QStringLiteral("2008"));
        QCOMPARE(main->UpDown->position(), 2008);
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("01.03.2008"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("31.03.2008"));
        QCOMPARE(main->Grid->rowCount(), 32);
        QCOMPARE(TMain::CellText(main->GridDatum, 1, 0), QStringLiteral("Sa"));
        QCOMPARE(TMain::CellText(main->GridDatum, 31, 1), QStringLiteral("31.03.2008"));
        QCOMPARE(TMain::CellText(main->Grid, 0, 5), QStringLiteral("Summe"));
        QCOMPARE(TMain::CellText(main->GridDatum, 0, 1), QStringLiteral("Datum"));
        QVERIFY(main->Grid->isEnabled());
        QVERIFY(!main->GridDatum->isEnabled());
        QVERIFY(main->btnDrucken->isEnabled());
        QCOMPARE(main->lbStunden->text(), QStringLiteral("0:00 "));

        // The year steps within 2000..2099 and the period follows.
        Click(main->UpDown->upButton());
        QCOMPARE(main->edJahr->text(), QStringLiteral("2009"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("31.03.2009"));
        main->cbxMonat->setCurrentIndex(1);
        QCOMPARE(main->edDatumVon->text(), QStringLiteral("01.02.2009"));
        QCOMPARE(main->edDatumBis->text(), QStringLiteral("28.02.2009"));
        main->UpDown->setPosition(2099);
        Click(main->UpDown->upButton());
        QCOMPARE(main->edJahr->text(), QStringLiteral("2099"));

        QTest::mouseClick(main->lbQVX, Qt::LeftButton);
        QCOMPARE(dialogs->opened.size(), std::size_t{1});
        QCOMPARE(dialogs->opened.front(), QUrl(QStringLiteral("https://www.kolvaro.de")));
        QVERIFY(dialogs->messages.isEmpty());
    }

    void generationModeWithThreeEmployees() {
        // Written out of number order; the list is in number order.
        Start(kGeneration + Section("0003", "Clausen") + Section("0001", "Albers", "1010100") +
              Section("0002", "Brandt"));
        QCOMPARE(Entries(main->lstMitarbeiter),
                 QStringList(
                     {Entry("0001", "Albers"), Entry("0002", "Brandt"), Entry("0003", "Clausen")}));
        QCOMPARE(main->lstMitarbeiter->height(), 113);
        QCOMPARE(main->btnNeu->y(), 128);
        QCOMPARE(main->btnSpeichern->y(), 128);
        QCOMPARE(main->btnAbbrechen->y(), 160);
        QCOMPARE(main->Panel2->y(), 208);
        QCOMPARE(main->lstMitarbeiter->currentRow(), 0);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0001"));
        QCOMPARE(main->edName->text(), QStringLiteral("Albers"));
        QVERIFY(main->chkMo->isChecked() && !main->chkDi->isChecked() && main->chkMi->isChecked());
        QCOMPARE(TimeTexts(), QStringList(8, QStringLiteral("07:30")));
        QCOMPARE(ButtonState(), QStringLiteral("1010"));

        for (QWidget* shown : std::initializer_list<QWidget*>{
                 main->Label3, main->chkSo, main->Panel3, main->Panel4, main->Panel5, main->Panel6,
                 main->edDatumVon, main->btnVon, main->btnBuchungenErzeugen}) {
            QVERIFY2(!shown->isHidden(), qPrintable(shown->objectName()));
        }
        QVERIFY(main->pnZeitraum->isHidden());
        QVERIFY(main->btnDrucken->isHidden());
        QVERIFY(main->lbQVX->isHidden());
        QCOMPARE(main->edDatumVon->text(), QString());
        QCOMPARE(main->edDatumBis->text(), QString());
        QVERIFY(!main->btnBuchungenErzeugen->isEnabled());
        QVERIFY(!main->btnExport->isEnabled());
        QVERIFY(!main->Grid->isEnabled());
        QCOMPARE(main->btnExport->contextMenuPolicy(), Qt::CustomContextMenu);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void readsTheSettingsOfTheDirectoryItWasStartedIn() {
        QTemporaryDir other;
        QFile elsewhere(other.filePath(QStringLiteral("velmora.ini")));
        QVERIFY(elsewhere.open(QIODevice::WriteOnly));
        elsewhere.write(kGeneration + Section("0001", "Anderswo"));
        elsewhere.close();

        Start(Section("0004", "Hier"));
        QCOMPARE(main->ProgramDirectoryForTest(), QDir::currentPath().toStdString());
        QCOMPARE(main->ProgramDirectoryForTest(), dir->path().toStdString());
        QCOMPARE(Entries(main->lstMitarbeiter), QStringList({Entry("0004", "Hier")}));
        QVERIFY(!main->pnZeitraum->isHidden());  // journal mode, as this file says
    }

    void damagedSettingsFileStartsOnDefaults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i) {
            garbage += static_cast<char>((i * 7919 + 13) % 256);
        }
        QTest::newRow("binary garbage") << garbage;
        QTest::newRow("10 MB line")
            << QByteArray("[Global]\r\nAutoBuchung=") + QByteArray(10 * 1024 * 1024, '1') + "\r\n";
        QTest::newRow("sections without keys") << QByteArray("[Global]\r\n[0001]\r\n[0002]\r\n");
        QTest::newRow("keys outside any section")
            << QByteArray("AutoBuchung=1\r\nNummer=0001\r\nName=Niemand\r\n");
        QTest::newRow("NUL bytes") << QByteArray("[0001]\0\r\nNummer=00\0\01\r\n", 24);
    }

    void damagedSettingsFileStartsOnDefaults() {
        QFETCH(QByteArray, bytes);
        Start(bytes);
        QVERIFY(main->SettingsLoaded());
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(main->lstMitarbeiter->count() <= 1);
        QVERIFY(!main->btnNeu->isHidden());
    }

    void newEmployeeTakesTheNextFreeNumberAndIsSaved() {
        const QByteArray before =
            kGeneration + Section("0001", "Albers") + Section("0003", "Clausen");
        Start(before);
        Click(main->btnNeu);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0002"));
        QCOMPARE(main->edName->text(), QString());
        QCOMPARE(TimeTexts(), QStringList(8, QStringLiteral("00:00")));
        QVERIFY(!main->chkMo->isChecked() && !main->chkFr->isChecked());
        QCOMPARE(QApplication::focusWidget(), main->edName);
        QCOMPARE(ButtonState(), QStringLiteral("0101"));

        QTest::keyClicks(main->edName, QStringLiteral("Meier"));
        Click(main->btnSpeichern);
        QVERIFY(dialogs->errors.isEmpty());
        QCOMPARE(IniBytes(), before + Section("0002", "Meier", "0000000", "00:00"));
        QCOMPARE(Entries(main->lstMitarbeiter),
                 QStringList(
                     {Entry("0001", "Albers"), Entry("0002", "Meier"), Entry("0003", "Clausen")}));
        QCOMPARE(main->lstMitarbeiter->currentRow(), 1);
        QCOMPARE(main->edName->text(), QStringLiteral("Meier"));
        QCOMPARE(ButtonState(), QStringLiteral("1010"));
    }

    void typingEditsAndCancelShowsTheStoredRecord() {
        Start(kGeneration + Section("0001", "Albers") + Section("0002", "Brandt"));
        TypeInto(main->edName, QStringLiteral("x"));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        Click(main->btnAbbrechen);
        QCOMPARE(main->edName->text(), QStringLiteral("Albers"));
        QCOMPARE(ButtonState(), QStringLiteral("1010"));

        // A day box counts as well; selecting another entry shows it but keeps the state.
        Click(main->chkSa);
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        ClickEntry(1);
        QCOMPARE(main->edName->text(), QStringLiteral("Brandt"));
        QVERIFY(!main->chkSa->isChecked());
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        // A click on the entry already selected drops changes made since.
        TypeInto(main->edName, QStringLiteral("y"));
        ClickEntry(1);
        QCOMPARE(main->edName->text(), QStringLiteral("Brandt"));
    }

    void changedNumberSavesUnderTheNewNumberAndKeepsTheOld() {
        const QByteArray before = kGeneration + Section("0003", "Clausen");
        Start(before);
        main->edNummer->setFocus(Qt::MouseFocusReason);
        main->edNummer->selectAll();
        QTest::keyClicks(main->edNummer, QStringLiteral("0007"));
        QCOMPARE(main->edNummer->text(), QStringLiteral("0007"));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        Click(main->btnSpeichern);
        QCOMPARE(IniBytes(), before + Section("0007", "Clausen"));
        QCOMPARE(Entries(main->lstMitarbeiter),
                 QStringList({Entry("0003", "Clausen"), Entry("0007", "Clausen")}));
        QCOMPARE(main->lstMitarbeiter->currentRow(), 1);
    }

    void numberFieldBlanksBecomeZeros_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("selected");
        QTest::newRow("three blanks and 5") << QStringLiteral("   5") << QByteArray("0005") << 1;
        QTest::newRow("12 and two blanks") << QStringLiteral("12  ") << QByteArray("1200") << 1;
    }

    void numberFieldBlanksBecomeZeros() {
        QFETCH(QString, field);
        QFETCH(QByteArray, section);
        QFETCH(int, selected);
        const QByteArray before = kGeneration + Section("0001", "Albers");
        Start(before);
        main->edNummer->setFocus(Qt::MouseFocusReason);
        main->edNummer->setText(field);
        QCOMPARE(main->edNummer->text(), field);
        Click(main->btnSpeichern);
        QVERIFY(dialogs->errors.isEmpty());
        QCOMPARE(IniBytes(), before + Section(section.constData(), "Albers"));
        QCOMPARE(main->lstMitarbeiter->currentRow(), selected);
        QCOMPARE(ButtonState(), QStringLiteral("1010"));
        QCOMPARE(main->edNummer->text(), QString::fromLatin1(section));
    }

    // Section 0000 is never listed: saved there, the employee would vanish
    // and the next such save would overwrite it.
    void numberThatIsNeverListedIsRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("all blank") << QStringLiteral("    ");
        QTest::newRow("0000") << QStringLiteral("0000");
        QTest::newRow("00 and two blanks") << QStringLiteral("00  ");
    }

    void numberThatIsNeverListedIsRefused() {
        QFETCH(QString, field);
        for (const bool fresh : {false, true}) {
            const QByteArray before = kGeneration + Section("0001", "Albers");
            Start(before);
            if (fresh) {
                Click(main->btnNeu);
                TypeInto(main->edName, QStringLiteral("Brandt"));
            }
            main->edNummer->setFocus(Qt::MouseFocusReason);
            main->edNummer->setText(field);
            Click(main->btnSpeichern);
            QCOMPARE(dialogs->errors,
                     QStringList(QStringLiteral("Bitte eine Nummer von 0001 bis 9999 eingeben.")));
            QCOMPARE(IniBytes(), before);
            QCOMPARE(ButtonState(), QStringLiteral("0101"));
            QCOMPARE(main->edNummer->text(), field);
            QCOMPARE(main->edName->text(),
                     fresh ? QStringLiteral("Brandt") : QStringLiteral("Albers"));
            dialogs->errors.clear();
            main.reset();
        }
    }

    // Renumbering onto a number in use ("12" and two blanks is 1200), or a
    // new employee given one, would replace that employee's record.
    void numberInUseAsksBeforeReplacing_data() {
        QTest::addColumn<bool>("fresh");  // a new employee rather than a renumbered one
        QTest::addColumn<bool>("yes");
        QTest::newRow("renumbered, No") << false << false;
        QTest::newRow("renumbered, Yes") << false << true;
        QTest::newRow("new employee, No") << true << false;
        QTest::newRow("new employee, Yes") << true << true;
    }

    void numberInUseAsksBeforeReplacing() {
        QFETCH(bool, fresh);
        QFETCH(bool, yes);
        const QByteArray before =
            kGeneration + Section("0003", "Clausen") + Section("1200", "Weber");
        Start(before);
        QCOMPARE(main->edName->text(), QStringLiteral("Clausen"));
        if (fresh) {
            Click(main->btnNeu);
            TypeInto(main->edName, QStringLiteral("Clausen"));
            for (QCheckBox* box :
                 {main->chkMo, main->chkDi, main->chkMi, main->chkDo, main->chkFr}) {
                box->setChecked(true);
            }
            for (MaskedEdit* field : {main->edBeginnVon, main->edBeginnBis, main->edPauseBeginnVon,
                                      main->edPauseBeginnBis, main->edPauseEndeVon,
                                      main->edPauseEndeBis, main->edEndeVon, main->edEndeBis}) {
                field->setText(QStringLiteral("07:30"));
            }
        }
        main->edNummer->setFocus(Qt::MouseFocusReason);
        main->edNummer->setText(QStringLiteral("12  "));
        dialogs->answers.push_back(yes);
        Click(main->btnSpeichern);
        QCOMPARE(dialogs->questions,
                 QStringList(QStringLiteral("Achtung|Die Nummer 1200 gehört bereits dem "
                                            "Mitarbeiter\n\n'1200  Weber'\n\nWollen Sie ihn "
                                            "wirklich ersetzen?")));
        QCOMPARE(dialogs->presets, std::vector<DefaultAnswer>{DefaultAnswer::No});
        if (yes) {
            QCOMPARE(IniBytes(),
                     kGeneration + Section("0003", "Clausen") + Section("1200", "Clausen"));
            QCOMPARE(ButtonState(), QStringLiteral("1010"));
            QCOMPARE(main->edNummer->text(), QStringLiteral("1200"));
        } else {
            QCOMPARE(IniBytes(), before);
            QCOMPARE(ButtonState(), QStringLiteral("0101"));
            QCOMPARE(main->edNummer->text(), QStringLiteral("12  "));
            QCOMPARE(main->edName->text(), QStringLiteral("Clausen"));
        }

        // Saving under the employee's own number asks nothing.
        if (!fresh) {
            dialogs->questions.clear();
            ClickEntry(0);
            TypeInto(main->edName, QStringLiteral("x"));
            Click(main->btnSpeichern);
            QVERIFY(dialogs->questions.isEmpty());
            QVERIFY(IniBytes().contains("Name=Clausenx\r\n"));
        }
    }

    // A settings file the user may not read lists nobody; saving would
    // replace every employee in it with the one new section.
    void unreadableSettingsFileIsNeverReplaced() {
        const QByteArray stored = Section("0001", "Albers") + Section("0002", "Brandt");
        WriteIni(stored);
        QVERIFY(QFile::setPermissions(IniPath(), QFile::WriteOwner));
        bool switched = false;
        if (::geteuid() == 0) {
            // Root reads every file: the window runs as a user who owns the
            // file (mode 0200) and may write the folder.
            QCOMPARE(::chmod(dir->path().toLocal8Bit().constData(), 0777), 0);
            QCOMPARE(::chown(IniPath().toLocal8Bit().constData(), 65534, 65534), 0);
            QVERIFY(::setegid(65534) == 0 && ::seteuid(65534) == 0);
            switched = true;
        }
        Start(QByteArray());
        QCOMPARE(main->lstMitarbeiter->count(), 0);
        // The empty list is explained, not taken for a company without staff.
        QTRY_COMPARE(dialogs->messages,
                     QStringList(QStringLiteral("Die Datei ") + IniPath() +
                                 QStringLiteral(" kann nicht gelesen werden. Die Mitarbeiterliste "
                                                "bleibt leer, und in die Datei wird nichts "
                                                "geschrieben, solange sie nicht gelesen werden "
                                                "kann.")));
        Click(main->btnNeu);
        TypeInto(main->edName, QStringLiteral("Clausen"));
        Click(main->btnSpeichern);
        Click(main->btnLoeschen);
        if (switched) {
            QVERIFY(::seteuid(0) == 0 && ::setegid(0) == 0);
        }
        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("Die Datei ") + IniPath() +
                                              QStringLiteral(" kann nicht gelesen werden und wird "
                                                             "deshalb nicht überschrieben.")));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        QVERIFY(QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(IniBytes(), stored);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A pipe named like the settings file: the start does not wait for a
    // writer, and the pipe is taken for a file that cannot be read.
    void pipeAsSettingsFileNeitherHangsNorIsReplaced() {
        const FifoWatchdog pipe(IniPath().toStdString());
        QVERIFY(pipe.Made());
        Start(QByteArray());
        QCOMPARE(main->lstMitarbeiter->count(), 0);
        QTRY_COMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages[0].startsWith(QStringLiteral("Die Datei ") + IniPath() +
                                                QStringLiteral(" kann nicht gelesen werden.")));
        Click(main->btnNeu);
        TypeInto(main->edName, QStringLiteral("Clausen"));
        Click(main->btnSpeichern);
        QCOMPARE(dialogs->errors, QStringList(QStringLiteral("Die Datei ") + IniPath() +
                                              QStringLiteral(" kann nicht gelesen werden und wird "
                                                             "deshalb nicht überschrieben.")));
        QVERIFY(!pipe.Fired());
        QVERIFY(pipe.StillAPipe());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 1);
    }

    void deletingAsksFirst_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void deletingAsksFirst() {
        QFETCH(bool, yes);
        const QByteArray before = kGeneration + Section("0001", "Albers") +
                                  Section("0002",
                                          "M\xfc"
                                          "ller");
        Start(before);
        ClickEntry(1);
        QCOMPARE(main->edName->text(), QStringLiteral("Müller"));
        dialogs->answers.push_back(yes);
        Click(main->btnLoeschen);
        QCOMPARE(dialogs->questions,
                 QStringList(QStringLiteral(
                     "Achtung|Wollen Sie den Mitarbeiter\n\n'0002  Müller'\n\nwirklich löschen?")));
        if (yes) {
            QCOMPARE(IniBytes(), kGeneration + Section("0001", "Albers"));
            QCOMPARE(Entries(main->lstMitarbeiter), QStringList({Entry("0001", "Albers")}));
            QCOMPARE(main->lstMitarbeiter->currentRow(), 0);
            QCOMPARE(main->edName->text(), QStringLiteral("Albers"));
        } else {
            QCOMPARE(IniBytes(), before);
            QCOMPARE(main->lstMitarbeiter->count(), 2);
            QCOMPARE(main->edName->text(), QStringLiteral("Müller"));
        }
        QCOMPARE(ButtonState(), QStringLiteral("1010"));
    }

    void deletingTheLastEmployeeLeavesAnEmptyEditor() {
        Start(kGeneration + Section("0001", "Albers"));
        dialogs->answers.push_back(true);
        Click(main->btnLoeschen);
        QCOMPARE(IniBytes(), kGeneration);
        QCOMPARE(main->lstMitarbeiter->count(), 0);
        QCOMPARE(main->edNummer->text(), QStringLiteral("    "));
        QCOMPARE(TimeTexts(), QStringList(8, QStringLiteral("00:00")));
        QCOMPARE(ButtonState(), QStringLiteral("1010"));
        Click(main->btnLoeschen);  // nothing left to ask about
        QCOMPARE(dialogs->questions.size(), 1);
    }

    void withEveryNumberInUseNewLeavesTheFields() {
        QByteArray full;
        for (int i = 1; i <= 9999; ++i) {
            const QByteArray number = QByteArray::number(i).rightJustified(4, '0');
            full += "[" + number + "]\r\nNummer=" + number + "\r\n";
            if (i == 1) {
                full += "Name=Albers\r\n";
            }
        }
        Start(kGeneration + full);
        QCOMPARE(main->lstMitarbeiter->count(), 9999);
        const QString name = main->edName->text();
        Click(main->btnNeu);
        QCOMPARE(main->edNummer->text(), QStringLiteral("0001"));
        QCOMPARE(main->edName->text(), name);
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
    }

    void incompleteTimeFieldCannotBeLeft() {
        Start(kGeneration + Section("0001", "Albers"));
        MaskedEdit* field = main->edBeginnVon;
        field->setFocus(Qt::MouseFocusReason);
        field->setCursorPosition(3);
        QTest::keyClick(field, Qt::Key_Delete);
        QCOMPARE(field->text(), QStringLiteral("07: 0"));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));

        QTest::keyClick(field, Qt::Key_Tab);
        QTRY_COMPARE(dialogs->beeps, 1);
        QCOMPARE(dialogs->errors,
                 QStringList(QStringLiteral("Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, "
                                            "um die Änderungen rückgängig zu machen.")));
        QCOMPARE(QApplication::focusWidget(), field);

        // Nor does a click on "Speichern" save the incomplete time.
        const QByteArray stored = IniBytes();
        Click(main->btnSpeichern);
        QTRY_COMPARE(dialogs->beeps, 2);
        QCOMPARE(IniBytes(), stored);
        QCOMPARE(QApplication::focusWidget(), field);

        // Nor does Alt+S, which leaves the focus where it is: the same beep
        // and message.
        dialogs->errors.clear();
        QTest::keyClick(field, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(dialogs->beeps, 3);  // a shortcut presses the button a moment later
        QCOMPARE(dialogs->errors,
                 QStringList(QStringLiteral("Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, "
                                            "um die Änderungen rückgängig zu machen.")));
        QCOMPARE(IniBytes(), stored);
        QCOMPARE(QApplication::focusWidget(), field);
        QCOMPARE(field->text(), QStringLiteral("07: 0"));

        // Escape brings back the text the field had when it got the focus.
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(field->text(), QStringLiteral("07:30"));
        QTest::keyClick(field, Qt::Key_Tab);
        QApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), main->edBeginnBis);
        QCOMPARE(dialogs->beeps, 3);

        // A complete time out of the clock's range is taken as it is.
        main->edBeginnBis->selectAll();
        QTest::keyClicks(main->edBeginnBis, QStringLiteral("2570"));
        QTest::keyClick(main->edBeginnBis, Qt::Key_Tab);
        QApplication::processEvents();
        QCOMPARE(dialogs->beeps, 3);
        Click(main->btnSpeichern);
        QVERIFY(IniBytes().contains("\r\nBeginnBis=25:70\r\n"));
    }

    void emptyTimeFieldsLeftUntouchedCanBeLeft() {
        Start(kGeneration);
        QCOMPARE(main->edBeginnVon->text(), QStringLiteral("  :  "));
        main->edBeginnVon->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(main->edBeginnVon, Qt::Key_Tab);
        QApplication::processEvents();
        QCOMPARE(dialogs->beeps, 0);
        QCOMPARE(QApplication::focusWidget(), main->edBeginnBis);
    }

    void nameOutsideWindows1252IsRefusedAndKept() {
        const QByteArray before = kGeneration + Section("0001", "Albers");
        Start(before);
        main->edName->setFocus(Qt::MouseFocusReason);
        main->edName->selectAll();
        QTest::sendKeyEvent(QTest::Click, main->edName, Qt::Key_unknown, QStringLiteral("Ł"),
                            Qt::NoModifier);
        QTest::keyClicks(main->edName, QStringLiteral("ukasz"));
        Click(main->btnSpeichern);
        QCOMPARE(dialogs->errors.size(), 1);
        QCOMPARE(IniBytes(), before);
        QCOMPARE(main->edName->text(), QStringLiteral("Łukasz"));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        // The window is still usable: a name the file can hold is saved.
        main->edName->setFocus(Qt::MouseFocusReason);
        main->edName->selectAll();
        QTest::keyClicks(main->edName, QStringLiteral("Lukasz"));
        Click(main->btnSpeichern);
        QCOMPARE(IniBytes(), kGeneration + Section("0001", "Lukasz"));
        QCOMPARE(ButtonState(), QStringLiteral("1010"));
    }

    void storedTimeBoundsAreShownAsTimesAndNeverGarbled() {
        // One stored bound per time field; each is shown, then saved with the
        // name changed. A bound that reads as a time is shown as HH:MM; one
        // the field cannot show stays as it is stored.
        const struct {
            QByteArray stored;
            QString shown;
            QByteArray saved;
        } cases[] = {
            {"7:30", "07:30", "07:30"},      {"25:70", "25:70", "25:70"},  // digits not a clock's
            {"7", "07:00", "07:00"},         {"7.30", "  :  ", "7.30"},
            {"7:30:15", "  :  ", "7:30:15"}, {"", "  :  ", ""},
            {"abc", "  :  ", "abc"},         {"16:5", "16:05", "16:05"},
        };
        QByteArray stored = kGeneration + "[0001]\r\nNummer=0001\r\nName=Albers\r\n";
        QStringList shown;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            stored += QByteArray(kolvaro::kTimeKeys[i]) + "=" + cases[i].stored + "\r\n";
            shown << cases[i].shown;
        }
        Start(stored);
        QCOMPARE(TimeTexts(), shown);
        TypeInto(main->edName, QString());
        main->edName->selectAll();
        QTest::keyClicks(main->edName, QStringLiteral("Brandt"));
        Click(main->btnSpeichern);
        QVERIFY(dialogs->errors.isEmpty());
        QByteArray expected = kGeneration + "[0001]\r\nNummer=0001\r\nName=Brandt\r\n";
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            expected += QByteArray(kolvaro::kTimeKeys[i]) + "=" + cases[i].saved + "\r\n";
        }
        expected += "Mo=0\r\nDi=0\r\nMi=0\r\nDo=0\r\nFr=0\r\nSa=0\r\nSo=0\r\n";
        QCOMPARE(IniBytes(), expected);

        // A time typed into a field that showed nothing replaces the stored bound.
        main->edPauseBeginnBis->setFocus(Qt::MouseFocusReason);
        main->edPauseBeginnBis->setCursorPosition(0);
        QTest::keyClicks(main->edPauseBeginnBis, QStringLiteral("0815"));
        Click(main->btnSpeichern);
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(IniBytes().contains("\r\nPauseBeginnBis=08:15\r\n"));
        QVERIFY(IniBytes().contains("\r\nPauseEndeVon=7:30:15\r\n"));
    }

    void heldFolderLockKeepsTheInputAndWritesNothing() {
        const QByteArray before = kGeneration + Section("0001", "Albers");
        Start(before);
        kolvaro::FolderLock::SetWaitLimitForTests(std::chrono::milliseconds(300));
        // Another program's lock: flock() locks belong to an open file, so a
        // second opening of the folder competes like another process would.
        const int holder = ::open(dir->path().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(holder >= 0 && ::flock(holder, LOCK_EX) == 0);
        TypeInto(main->edName, QString());
        main->edName->selectAll();
        QTest::keyClicks(main->edName, QStringLiteral("Brandt"));
        // Runs only if the window keeps handling its events while it waits.
        bool eventsHandled = false;
        QTimer::singleShot(50, main.get(), [&] { eventsHandled = true; });
        Click(main->btnSpeichern);
        ::close(holder);
        kolvaro::FolderLock::SetWaitLimitForTests(kolvaro::FolderLock::kWaitLimit);
        QVERIFY(eventsHandled);
        QCOMPARE(dialogs->errors,
                 QStringList(QStringLiteral("Die Datei ") + IniPath() +
                             QStringLiteral(" wird gerade von einem anderen Programm benutzt. Es "
                                            "wurde nichts gespeichert; bitte versuchen Sie es "
                                            "gleich noch einmal.")));
        QCOMPARE(IniBytes(), before);
        QCOMPARE(main->edName->text(), QStringLiteral("Brandt"));
        QCOMPARE(ButtonState(), QStringLiteral("0101"));
        // Once the other program is done, the same click saves.
        Click(main->btnSpeichern);
        QCOMPARE(dialogs->errors.size(), 1);
        QCOMPARE(IniBytes(), kGeneration + Section("0001", "Brandt"));
    }

    void tabOrderWalksTheEditor() {
        Start(kGeneration + Section("0001", "Albers"));
        const QList<QWidget*> expected = {main->edNummer,
                                          main->edName,
                                          main->chkMo,
                                          main->chkDi,
                                          main->chkMi,
                                          main->chkDo,
                                          main->chkFr,
                                          main->chkSa,
                                          main->chkSo,
                                          main->edBeginnVon,
                                          main->edBeginnBis,
                                          main->edPauseBeginnVon,
                                          main->edPauseBeginnBis,
                                          main->edPauseEndeVon,
                                          main->edPauseEndeBis,
                                          main->edEndeVon,
                                          main->edEndeBis,
                                          main->lstMitarbeiter,
                                          main->btnNeu,
                                          main->btnLoeschen};
        main->edNummer->setFocus(Qt::TabFocusReason);
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected[i]);
        }
        // In the editing state the tour passes Speichern and Abbrechen.
        main->edName->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(main->edName, QStringLiteral("x"));
        main->edEndeBis->setFocus(Qt::TabFocusReason);
        QTest::keyClick(main->edEndeBis, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main->btnSpeichern);
        QTest::keyClick(main->btnSpeichern, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main->btnAbbrechen);
    }
};

KOLVARO_UI_TEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
