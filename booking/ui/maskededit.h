#pragma once

// The masked fields of the booking program: a time of day (two digits, ":",
// two digits, every digit required) and an employee number (four optional
// digits). An unfilled position shows as "_" and reads as a blank, so an
// empty time field reads "  :  " and an empty number field four blanks.

#include <QLineEdit>

class MaskedEdit : public QLineEdit {
    Q_OBJECT

  public:
    enum class Kind { Time, Number };

    explicit MaskedEdit(Kind kind, QWidget* parent = nullptr);

    // Position-true text: a blank for every unfilled position. These hide the
    // QLineEdit functions of the same name, which drop the blanks and move the
    // digits; use them through a MaskedEdit pointer.
    QString text() const;
    void setText(const QString& text);

    // A required field whose text was changed since it got the focus cannot be
    // left while a digit is missing.
    void setRequired(bool required) { required_ = required; }
    bool isRequired() const { return required_; }
    // Changed and incomplete: the field refuses to be left.
    bool HoldsRefusedInput() const { return required_ && isModified() && !hasAcceptableInput(); }
    // Beeps, keeps (or takes back) the focus and says why the input is refused.
    void Refuse();

  signals:
    // The field lost the focus to another control of its window.
    void exited();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Kind kind_;
    bool required_ = false;
    bool returning_ = false;
    QString textAtFocus_;
};
