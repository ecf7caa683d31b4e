#include "SpinEdit.h"

#include <algorithm>

namespace {

// Digits, perhaps none yet, after an optional sign.
bool IsWholeNumberAsTyped(QStringView text)
{
    if (text.startsWith(u'+') || text.startsWith(u'-'))
        text = text.mid(1);
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinEdit::EnteredValue() const
{
    return ValueOf(cleanText());
}

int TSpinEdit::ValueOf(const QString& text) const
{
    const QString entry = text.trimmed();
    bool readable = false;
    const qlonglong number = entry.toLongLong(&readable);
    if (readable)
        return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
    // Not readable: nothing but a sign, no number at all, or more digits than
    // any integer holds, which puts a positive number above the range.
    const bool hasDigit =
        std::any_of(entry.begin(), entry.end(), [](QChar c) { return c.isDigit(); });
    const bool hugePositive = IsWholeNumberAsTyped(entry) && !entry.startsWith(u'-') && hasDigit;
    return hugePositive ? maximum() : minimum();
}

QValidator::State TSpinEdit::validate(QString& input, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    return IsWholeNumberAsTyped(QStringView(input).trimmed()) ? QValidator::Intermediate
                                                              : QValidator::Invalid;
}

void TSpinEdit::fixup(QString& input) const
{
    input = textFromValue(ValueOf(input));
}
