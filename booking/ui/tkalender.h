#pragma once

// The small calendar from which a date of the period is picked: one month as
// six weeks of seven days, Sunday first. A click highlights a day, a double
// click chooses it and closes the window, Escape closes it without a choice.

#include <QDialog>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

class TKalender : public QDialog {
    Q_OBJECT

  public:
    explicit TKalender(QWidget* parent = nullptr);

    // Shows the month given, as the navigation buttons would reach it.
    void ShowMonthOf(int month, int year) { Step(month, year); }

    // For tests: the day label in week row 0-5 and weekday column 0-6 (Sunday first).
    QLabel* DayLabel(int row, int column) const { return DayLabels[row * 7 + column]; }

    QFrame* Panel1;
    QLabel* pnJahr;
    QPushButton* btnYearBack;
    QPushButton* btnMonthBack;
    QPushButton* btnMonthForward;
    QPushButton* btnYearForward;
    QLabel* lbSo;
    QLabel* lbMo;
    QLabel* lbDi;
    QLabel* lbMi;
    QLabel* lbDo;
    QLabel* lbFr;
    QLabel* lbSa;

    void FormCreate();
    void FormShow();
    void FormKeyPress(QChar key);
    void btnYearBackClick();
    void btnMonthBackClick();
    void btnMonthForwardClick();
    void btnYearForwardClick();
    void lbSoMouseDown(QLabel* sender);
    void lbSoDblClick(QLabel* sender);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowMonth();
    void ShowTitle();
    void Step(int month, int year);
    bool IsToday(const QString& day) const;
    bool IsDayLabel(const QLabel* label) const;

    std::array<QLabel*, 42> DayLabels{};

  public:
    int Month = 1;  // the month shown, 1 to 12
    int Year = 0;   // the year shown
    int Day = 0;    // the day chosen during this showing; 0 when none was chosen
};
