#include "JsonReader.h"

#include "Cp1252.h"

namespace {

constexpr int kMaxDepth = 64;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string TJsonReader::Where() const
{
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < m_pos && i < m_text.size(); ++i) {
        if (m_text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "Zeile " + std::to_string(line) + ", Spalte " + std::to_string(m_pos - lineStart + 1);
}

void TJsonReader::Fail(const std::string& what) const
{
    throw TJsonSyntaxError("Kein gültiges JSON (" + Where() + "): " + what);
}

void TJsonReader::SkipSpace()
{
    if (m_pos == 0 && m_text.starts_with(kByteOrderMark))
        m_pos = kByteOrderMark.size();
    while (!AtEnd()) {
        const char c = m_text[m_pos];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            return;
        ++m_pos;
    }
}

bool TJsonReader::Consume(char c)
{
    if (AtEnd() || m_text[m_pos] != c)
        return false;
    ++m_pos;
    return true;
}

void TJsonReader::Expect(char c)
{
    SkipSpace();
    if (!Consume(c))
        Fail(std::string("\"") + c + "\" erwartet.");
}

TJsonValue TJsonReader::ReadValue()
{
    return ReadValue(static_cast<int>(m_first.size()));
}

TJsonValue TJsonReader::ReadValue(int depth)
{
    SkipSpace();
    TJsonValue value;
    const char c = Peek();
    if (AtEnd()) {
        Fail("Wert erwartet, aber der Text ist zu Ende.");
    } else if (c == '{' || c == '[') {
        if (depth >= kMaxDepth)
            Fail("mehr als " + std::to_string(kMaxDepth) + " Ebenen verschachtelt.");
        const std::size_t start = m_pos;
        if (c == '{') {
            value.kind = TJsonValue::TKind::Object;
            BeginObject();
            std::string key;
            while (NextMember(key))
                ReadValue(depth + 1);
        } else {
            value.kind = TJsonValue::TKind::Array;
            BeginArray();
            while (NextElement())
                ReadValue(depth + 1);
        }
        value.document = m_text.substr(start, m_pos - start);
    } else if (c == '"') {
        value.kind = TJsonValue::TKind::String;
        value.text = ReadString();
    } else if (c == '-' || IsDigit(c)) {
        value.kind = TJsonValue::TKind::Number;
        value.text = ReadNumber();
    } else if (c == 't' || c == 'f') {
        value.kind = TJsonValue::TKind::Bool;
        value.boolean = c == 't';
        ReadLiteral(value.boolean ? "true" : "false");
    } else if (c == 'n') {
        ReadLiteral("null");
    } else {
        Fail("Wert erwartet.");
    }
    return value;
}

void TJsonReader::BeginObject()
{
    Expect('{');
    m_first.push_back(true);
}

bool TJsonReader::NextMember(std::string& key)
{
    SkipSpace();
    if (Consume('}')) {
        m_first.pop_back();
        return false;
    }
    if (!m_first.back())
        Expect(',');
    m_first.back() = false;
    SkipSpace();
    if (Peek() != '"')
        Fail("Name in Anführungszeichen oder \"}\" erwartet.");
    key = ReadString();
    Expect(':');
    return true;
}

void TJsonReader::BeginArray()
{
    Expect('[');
    m_first.push_back(true);
}

bool TJsonReader::NextElement()
{
    SkipSpace();
    if (Consume(']')) {
        m_first.pop_back();
        return false;
    }
    if (!m_first.back())
        Expect(',');
    m_first.back() = false;
    return true;
}

void TJsonReader::End()
{
    SkipSpace();
    if (!AtEnd())
        Fail("nach dem Ende des Dokuments folgt noch etwas.");
}

void TJsonReader::ReadLiteral(std::string_view word)
{
    if (m_text.substr(m_pos, word.size()) != word)
        Fail("Wert erwartet.");
    m_pos += word.size();
}

std::string TJsonReader::ReadNumber()
{
    const std::size_t start = m_pos;
    Consume('-');
    if (!Consume('0')) {
        if (!IsDigit(Peek()))
            Fail("Ziffer erwartet.");
        while (IsDigit(Peek()))
            ++m_pos;
    }
    const auto digits = [this] {
        if (!IsDigit(Peek()))
            Fail("Ziffer erwartet.");
        while (IsDigit(Peek()))
            ++m_pos;
    };
    if (Consume('.'))
        digits();
    if (Consume('e') || Consume('E')) {
        if (!Consume('+'))
            Consume('-');
        digits();
    }
    return std::string(m_text.substr(start, m_pos - start));
}

std::string TJsonReader::ReadString()
{
    ++m_pos; // the opening quote
    std::string out;
    for (;;) {
        if (AtEnd())
            Fail("die Zeichenkette endet nicht.");
        const auto byte = static_cast<unsigned char>(m_text[m_pos]);
        if (byte == '"') {
            ++m_pos;
            return out;
        }
        if (byte == '\\') {
            AppendEscape(out);
        } else if (byte < 0x20) {
            Fail("Steuerzeichen in einer Zeichenkette müssen als \\u geschrieben werden.");
        } else if (byte < 0x80) {
            out += char(byte);
            ++m_pos;
        } else {
            AppendUtf8Sequence(out);
        }
    }
}

unsigned TJsonReader::ReadHex4()
{
    unsigned value = 0;
    for (int i = 0; i < 4; ++i, ++m_pos) {
        const char c = Peek();
        unsigned digit;
        if (IsDigit(c))
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            Fail("vier Hexadezimalziffern nach \\u erwartet.");
        value = value * 16 + digit;
    }
    return value;
}

void TJsonReader::AppendEscape(std::string& out)
{
    ++m_pos; // the backslash
    if (AtEnd())
        Fail("die Zeichenkette endet nicht.");
    switch (m_text[m_pos++]) {
    case '"': out += '"'; return;
    case '\\': out += '\\'; return;
    case '/': out += '/'; return;
    case 'b': out += '\b'; return;
    case 'f': out += '\f'; return;
    case 'n': out += '\n'; return;
    case 'r': out += '\r'; return;
    case 't': out += '\t'; return;
    case 'u': break;
    default:
        --m_pos;
        Fail("unbekannte Escape-Sequenz.");
    }
    unsigned codePoint = ReadHex4();
    if (codePoint >= 0xDC00 && codePoint <= 0xDFFF)
        Fail("einzelnes niedriges Surrogat.");
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
        if (m_text.substr(m_pos, 2) != "\\u")
            Fail("hohes Surrogat ohne niedriges.");
        m_pos += 2;
        const unsigned low = ReadHex4();
        if (low < 0xDC00 || low > 0xDFFF)
            Fail("hohes Surrogat ohne niedriges.");
        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
    }
    AppendUtf8(out, codePoint);
}

// Takes one multi-byte UTF-8 sequence over as it is, after checking it:
// no overlong forms, no surrogates, nothing above U+10FFFF.
void TJsonReader::AppendUtf8Sequence(std::string& out)
{
    std::size_t next = m_pos;
    char32_t codePoint = 0;
    if (!NextUtf8CodePoint(m_text, next, codePoint))
        Fail("kein gültiges UTF-8.");
    out.append(m_text.substr(m_pos, next - m_pos));
    m_pos = next;
}
