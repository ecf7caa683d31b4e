#include "Cp1252Validator.h"

#include "QtText.h"

#include <QApplication>

#include <algorithm>

QValidator::State TCp1252Validator::validate(QString& input, int& pos) const
{
    TEncodableText kept = Encodable(input, QStringLiteral("\r\n"), &pos);
    if (kept.text.size() > kMaxTextBytes) {
        kept.text.truncate(kMaxTextBytes);
        pos = std::min(pos, kMaxTextBytes);
        kept.dropped = true;
    }
    if (kept.dropped)
        QApplication::beep();
    if (kept.text != input)
        input = kept.text;
    return Acceptable;
}
