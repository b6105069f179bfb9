// Runs month-end over 48 employees into a PDF and, while the progress dialog
// shows the twelfth, takes a picture of the screen:
//   month_end_screen_driver <file.png> [<file.pdf>]
// Meant for an X server (xvfb-run); the picture is taken with ImageMagick's
// import. It works in a scratch folder under /tmp; the PDF is copied out
// when a name is given.

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "bookings/month_file.h"
#include "bookings/period.h"
#include "bookings/totals.h"
#include "data/clock.h"
#include "data/settings.h"
#include "data/time_text.h"
#include "kolvaroapplication.h"
#include "scripted_dialogs.h"
#include "tkalender.h"
#include "tmain.h"

namespace {

const char* const kNames[] = {"Meier", "Bäcker", "Groß", "Öztürk", "Schulz", "Wagner"};

void WriteMonth(const QString& folder, const std::string& number, const std::string& entry,
                int seed) {
    const kolvaro::PeriodCheck period = kolvaro::CheckPeriod("01.03.2008", "31.03.2008");
    std::vector<kolvaro::DayIdentity> dates{{"", "Datum"}};
    std::vector<kolvaro::BookingDay> days;
    for (const kolvaro::DayIdentity& day : period.days) {
        dates.push_back(day);
        kolvaro::BookingDay line;
        if (day.weekday != "Sa" && day.weekday != "So") {
            const int shift = (static_cast<int>(days.size()) + seed) % 9;
            line.cells = {"07:" + kolvaro::ZeroPad(30 + shift, 2),     "12:00", "12:30",
                          "16:" + kolvaro::ZeroPad(10 + shift * 3, 2), "",      ""};
        }
        days.push_back(line);
    }
    const std::string caption = kolvaro::ComputeTotals(days);
    days.insert(days.begin(), {{"Kommt", "Pause", "Pause", "Geht", "Tag", "Summe"}});
    kolvaro::SaveMonthFile(kolvaro::MonthFileName(folder.toStdString(), number, "31.03.2008"),
                           kolvaro::ComposeMonthLines(entry, dates, days, caption));
}

}  // namespace

int main(int argc, char* argv[]) {
    KolvaroApplication app(argc, argv);
    app.LoadQtTranslations();
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/month_end.png");
    const QString pdfCopy = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    kolvaro::SetClock([] { return kolvaro::FixedReading(2008, 3, 31, 17, 5); });

    // The message at the end is printed rather than shown.
    ScriptedDialogs dialogs;
    QTemporaryDir scratch;
    kolvaro::Settings settings(scratch.filePath(QStringLiteral("velmora.ini")).toStdString());
    for (int i = 1; i <= 48; ++i) {
        kolvaro::EmployeeRecord record;
        record.number = kolvaro::ZeroPad(i, 4);
        record.name = kNames[i % 6];
        settings.WriteEmployee(record);
        if (i % 7 != 3) {  // some without a month file
            WriteMonth(scratch.path(), record.number,
                       kolvaro::ListEntry(record.number, record.name), i);
        }
    }
    QDir::setCurrent(scratch.path());

    TMain Main;
    TKalender Kalender(&Main);
    Main.SetKalender(&Kalender);
    Main.show();
    QApplication::setActiveWindow(&Main);
    if (!QTest::qWaitForWindowExposed(&Main)) {
        return 1;
    }

    bool taken = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, &Main, [&] {
        auto* progress = Main.findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
        if (taken || progress == nullptr || progress->value() < 11) {
            return;
        }
        taken = true;
        // Long enough for the window manager-less X server to show it all.
        QTest::qWait(400);
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), output});
    });
    QTimer::singleShot(0, &Main, [&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            watch.start();
            dialog->accept();
        }
    });
    const QPoint at(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Main.btnDrucken->mapToGlobal(at));
    QApplication::sendEvent(Main.btnDrucken, &event);
    QTest::mouseClick(Main.PopupMenu2, Qt::LeftButton, {},
                      Main.PopupMenu2->actionGeometry(Main.alleMitarbeiter1).center());
    std::printf("%s\n", qPrintable((dialogs.messages + dialogs.errors).join(u'\n')));
    if (!pdfCopy.isEmpty()) {
        QFile::remove(pdfCopy);
        QFile::copy(scratch.filePath(QStringLiteral("Journal_032008.pdf")), pdfCopy);
    }
    return taken ? 0 : 2;
}
