#pragma once

#include <QSpinBox>

// A spin edit for whole numbers within a range. While the user types it takes
// any whole number, with or without a sign; when the field is left, a number
// outside the range is brought to the nearer bound, and an empty or
// unreadable entry reads as the lowest value.
class TSpinEdit : public QSpinBox {
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The value that the field's text stands for under the rule above, also
    // while the field still holds the text as typed.
    int EnteredValue() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    int ValueOf(const QString& text) const;
};
