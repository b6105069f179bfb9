#pragma once

// A pair of small arrow buttons that step a whole number within a range,
// without wrapping around; the window shows the number in a field beside it.

#include <QWidget>

class QToolButton;

class UpDownControl : public QWidget {
    Q_OBJECT

  public:
    explicit UpDownControl(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int position() const { return position_; }
    void setPosition(int position);  // kept inside the range

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

  signals:
    void positionChanged(int position);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void StepUp() { setPosition(position_ + 1); }
    void StepDown() { setPosition(position_ - 1); }

    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
};
