#pragma once

// What the window tests share: the files of the program folder, an
// employee's section of the settings file, and the main window started in a
// folder, shown and active.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <array>
#include <memory>

#include "tkalender.h"
#include "tmain.h"

namespace window_test {

// The whole file; empty when it cannot be read.
inline QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One employee's section as the program writes it (Windows-1252, CR LF):
// `days` holds Mo … So as "1" or "0", `times` BeginnVon … EndeBis.
inline QByteArray Section(const char* number, const QByteArray& name, const char* days,
                          const std::array<const char*, 8>& times) {
    static const char* const kDayKeys[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    static const char* const kTimeKeys[] = {"BeginnVon",      "BeginnBis",    "PauseBeginnVon",
                                            "PauseBeginnBis", "PauseEndeVon", "PauseEndeBis",
                                            "EndeVon",        "EndeBis"};
    QByteArray bytes =
        QByteArray("[") + number + "]\r\nNummer=" + number + "\r\nName=" + name + "\r\n";
    for (int i = 0; i < 7; ++i) {
        bytes += QByteArray(kDayKeys[i]) + "=" + days[i] + "\r\n";
    }
    for (std::size_t i = 0; i < times.size(); ++i) {
        bytes += QByteArray(kTimeKeys[i]) + "=" + times[i] + "\r\n";
    }
    return bytes;
}

// The main window started in `folder`, with the settings file `ini` written
// there first (none when `ini` is null) and, when `picker` is given, a
// calendar picker that the window owns; shown and made active.
inline void Start(std::unique_ptr<TMain>& main, const QString& folder, const QByteArray& ini,
                  TKalender** picker = nullptr) {
    if (!ini.isNull()) {
        QVERIFY(Write(folder + QStringLiteral("/velmora.ini"), ini));
    }
    QVERIFY(QDir::setCurrent(folder));
    main = std::make_unique<TMain>();
    if (picker != nullptr) {
        *picker = new TKalender(main.get());
        main->SetKalender(*picker);
    }
    main->show();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
}

// Clicks the entry in row `row` of the employee list.
inline void ClickEntry(TMain& main, int row) {
    const QRect rect = main.lstMitarbeiter->visualItemRect(main.lstMitarbeiter->item(row));
    QTest::mouseClick(main.lstMitarbeiter->viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace window_test
