#include "tkalender.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "data/calendar.h"
#include "data/failure.h"
#include "data/time_text.h"
#include "qt_text.h"

namespace {

const QColor kWhite(255, 255, 255);
const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

// Years the date texts can hold with four digits.
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

QFont ArialFont(bool bold) {
    QFont font(QStringLiteral("Arial"), 8);
    font.setBold(bold);
    return font;
}

void Paint(QLabel* label, const QColor& background, const QColor& text, bool bold) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

}  // namespace

TKalender::TKalender(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Kalender"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString());
    setFixedSize(194, 136);
    setModal(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 194, 136);
    Panel1->setFrameShape(QFrame::WinPanel);
    Panel1->setFrameShadow(QFrame::Raised);
    QPalette white = Panel1->palette();
    white.setColor(QPalette::Window, kWhite);
    Panel1->setPalette(white);
    Panel1->setAutoFillBackground(true);

    pnJahr = new QLabel(Panel1);
    pnJahr->setObjectName(QStringLiteral("pnJahr"));
    pnJahr->setGeometry(2, 2, 190, 20);
    pnJahr->setFrameShape(QFrame::Panel);
    pnJahr->setFrameShadow(QFrame::Raised);
    pnJahr->setAlignment(Qt::AlignCenter);
    pnJahr->setFont(ArialFont(true));
    QPalette panel = palette();
    panel.setColor(QPalette::WindowText, kNavy);
    pnJahr->setPalette(panel);
    pnJahr->setAutoFillBackground(true);

    struct ButtonSpec {
        QPushButton** button;
        const char* name;
        int left;
        const char* caption;
        void (TKalender::*click)();
    };
    const ButtonSpec buttons[] = {
        {&btnYearBack, "btnYearBack", 0, "<<", &TKalender::btnYearBackClick},
        {&btnMonthBack, "btnMonthBack", 20, "<", &TKalender::btnMonthBackClick},
        {&btnMonthForward, "btnMonthForward", 150, ">", &TKalender::btnMonthForwardClick},
        {&btnYearForward, "btnYearForward", 170, ">>", &TKalender::btnYearForwardClick},
    };
    for (const ButtonSpec& entry : buttons) {
        auto* button = new QPushButton(QLatin1String(entry.caption), pnJahr);
        button->setObjectName(QLatin1String(entry.name));
        button->setGeometry(entry.left, 0, 20, 20);
        button->setAutoDefault(false);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, entry.click);
        *entry.button = button;
    }
    setTabOrder(btnYearBack, btnMonthBack);
    setTabOrder(btnMonthBack, btnMonthForward);
    setTabOrder(btnMonthForward, btnYearForward);

    struct Heading {
        QLabel** label;
        const char* name;
        int left;
        const char* caption;
        bool red;
    };
    const Heading headings[] = {
        {&lbSo, "lbSo", 10, "So", true},   {&lbMo, "lbMo", 37, "Mo", false},
        {&lbDi, "lbDi", 64, "Di", false},  {&lbMi, "lbMi", 91, "Mi", false},
        {&lbDo, "lbDo", 118, "Do", false}, {&lbFr, "lbFr", 145, "Fr", false},
        {&lbSa, "lbSa", 172, "Sa", true},
    };
    for (const Heading& heading : headings) {
        auto* label = new QLabel(QLatin1String(heading.caption), Panel1);
        label->setObjectName(QLatin1String(heading.name));
        label->setFont(ArialFont(true));
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(heading.left - 2, 29, 18, 13);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, heading.red ? kRed : kBlack);
        label->setPalette(palette);
        *heading.label = label;
    }
    lbSo->installEventFilter(this);

    FormCreate();
}

void TKalender::FormCreate() {
    const kolvaro::CalendarMonth today = kolvaro::CurrentMonth();
    Month = today.month;
    Year = today.year;
    ShowTitle();
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 7; ++column) {
            auto* label = new QLabel(QString::number(row * 7 + column + 1), Panel1);
            label->setObjectName(QStringLiteral("DayLabel%1").arg(row * 7 + column));
            label->setGeometry(10 + 27 * column, 45 + 15 * row, 14, 13);
            label->setAlignment(Qt::AlignCenter);
            label->setFont(ArialFont(false));
            label->setAutoFillBackground(true);
            Paint(label, kWhite, kBlack, false);
            label->installEventFilter(this);
            DayLabels[static_cast<std::size_t>(row * 7 + column)] = label;
        }
    }
    ShowMonth();
}

void TKalender::ShowTitle() {
    pnJahr->setText(FromStd(kolvaro::MonthName(Month)) + u' ' + QString::number(Year));
}

bool TKalender::IsToday(const QString& day) const {
    try {
        return kolvaro::StrToDate(kolvaro::DateText(day.toInt(), Month, Year)) == kolvaro::Date();
    } catch (const kolvaro::Failure&) {
        // A caption left over from a longer month is no date of this one.
        return false;
    }
}

void TKalender::ShowMonth() {
    for (QLabel* label : DayLabels) {
        label->hide();
    }
    const int first = kolvaro::FirstWeekday(Month, Year) - 1;  // the column of the 1st
    const int days = kolvaro::DaysInMonth(Month, Year);
    for (int day = 1; day <= days; ++day) {
        QLabel* label = DayLabels[static_cast<std::size_t>(first + day - 1)];
        label->show();
        label->setText(QString::number(day));
        const QColor background = label->palette().color(QPalette::Window);
        if (IsToday(label->text())) {
            Paint(label, background, kTeal, true);
        } else {
            Paint(label, background, background == kNavy ? kWhite : kBlack, false);
        }
    }
}

void TKalender::Step(int month, int year) {
    // The year stays within what a date text can hold.
    if (year < kFirstYear || year > kLastYear) {
        return;
    }
    Month = month;
    Year = year;
    ShowTitle();
    ShowMonth();
}

void TKalender::btnYearBackClick() {
    Step(Month, Year - 1);
}

void TKalender::btnYearForwardClick() {
    Step(Month, Year + 1);
}

void TKalender::btnMonthBackClick() {
    if (Month == 1) {
        Step(12, Year - 1);
    } else {
        Step(Month - 1, Year);
    }
}

void TKalender::btnMonthForwardClick() {
    if (Month == 12) {
        Step(1, Year + 1);
    } else {
        Step(Month + 1, Year);
    }
}

bool TKalender::IsDayLabel(const QLabel* label) const {
    return std::find(DayLabels.begin(), DayLabels.end(), label) != DayLabels.end();
}

void TKalender::lbSoMouseDown(QLabel* sender) {
    for (QLabel* label : DayLabels) {
        if (IsToday(label->text())) {
            Paint(label, kWhite, kTeal, true);
        } else {
            Paint(label, kWhite, kBlack, false);
        }
    }
    if (IsDayLabel(sender)) {
        Paint(sender, kNavy, IsToday(sender->text()) ? kTeal : kWhite, false);
    }
}

void TKalender::lbSoDblClick(QLabel* sender) {
    if (IsDayLabel(sender)) {
        Day = sender->text().toInt();
        accept();
    }
}

void TKalender::FormShow() {
    Day = 0;
}

void TKalender::FormKeyPress(QChar key) {
    if (key == QChar(27)) {
        reject();
    }
}

void TKalender::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TKalender::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(QChar(27));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TKalender::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label != nullptr && (label == lbSo || IsDayLabel(label))) {
        if (event->type() == QEvent::MouseButtonPress) {
            lbSoMouseDown(label);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            lbSoDblClick(label);
            return true;
        }
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // The window sees Escape whichever control has the focus.
        FormKeyPress(QChar(27));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
