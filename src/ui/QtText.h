#pragma once

#include "Cp1252Text.h"

#include <QString>

#include <string>
#include <string_view>

// The core keeps texts as Windows-1252 bytes; the window shows them as
// QString. Both directions keep every byte, NUL and line breaks included.

QString ToQString(std::string_view cp1252);

// Characters that Windows-1252 lacks become "?". The editing controls refuse
// such characters, so for their texts this never happens.
std::string ToCp1252(const QString& text);

bool IsCp1252Char(char32_t codePoint);

// A message of the window for the message box (ToCp1252Text).
TCp1252Text ToCp1252Text(const QString& message);

// A file name, router name or value as it may stand in a message: its
// control characters escaped (EscapeControls), characters that
// Windows-1252 lacks as "?", as the message shows them anyway.
QString EscapedControls(const QString& text);

// What the file can hold of one text: 65,535 Windows-1252 bytes, where a
// memo's line break is saved as CR LF.
constexpr int kMaxTextBytes = 65535;

struct TEncodableText {
    QString text;
    bool dropped = false; // a character that the file cannot hold was left out
};

// `text` with each Unicode line or paragraph separator replaced by
// `lineBreak` and every other character that Windows-1252 lacks left out.
// A position in `text`, if given, is moved along.
TEncodableText Encodable(const QString& text, const QString& lineBreak, int* pos = nullptr);

// A file name from a dialog as the core takes paths: UTF-8 on Windows, the
// system's own bytes elsewhere.
std::string CorePath(const QString& path);

// Calls visit(codePoint, firstIndex, unitCount) for each code point of text.
template <typename Visit>
void ForEachCodePoint(const QString& text, Visit visit)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text.at(i + 1)), i, 2);
            i += 2;
        } else {
            visit(char32_t(c.unicode()), i, 1);
            ++i;
        }
    }
}
