#include "QtText.h"

#include "Cp1252.h"

#include <QFile>

QString ToQString(std::string_view cp1252)
{
    QString text(static_cast<qsizetype>(cp1252.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : cp1252)
        *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    return text;
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    ForEachCodePoint(text, [&bytes](char32_t codePoint, qsizetype, int) {
        const int byte = UnicodeToCp1252(codePoint);
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    });
    return bytes;
}

TCp1252Text ToCp1252Text(const QString& message)
{
    return ToCp1252Text(message.toStdString());
}

bool IsCp1252Char(char32_t codePoint)
{
    return UnicodeToCp1252(codePoint) >= 0;
}

std::string CorePath(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString EscapedControls(const QString& text)
{
    return ToQString(EscapeControls(ToCp1252(text)));
}

TEncodableText Encodable(const QString& text, const QString& lineBreak, int* pos)
{
    TEncodableText result;
    result.text.reserve(text.size());
    int shift = 0;
    ForEachCodePoint(text, [&](char32_t codePoint, qsizetype at, int units) {
        const qsizetype before = result.text.size();
        if (codePoint == QChar::LineSeparator || codePoint == QChar::ParagraphSeparator)
            result.text.append(lineBreak);
        else if (IsCp1252Char(codePoint))
            result.text.append(QChar(static_cast<char16_t>(codePoint)));
        else
            result.dropped = true;
        if (pos && at < *pos)
            shift += static_cast<int>(result.text.size() - before) - units;
    });
    if (pos)
        *pos += shift;
    return result;
}
