#include "Cp1252Text.h"

#include "Cp1252.h"

TCp1252Text ToCp1252Text(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t next = i;
        char32_t codePoint = 0;
        if (!NextUtf8CodePoint(utf8, next, codePoint)) {
            out += utf8[i++];
            continue;
        }
        const int byte = UnicodeToCp1252(codePoint);
        out += byte < 0 ? '?' : char(byte);
        i = next;
    }
    return TCp1252Text(out);
}

std::string ToUtf8(const TCp1252Text& text)
{
    return Cp1252ToUtf8(text.Bytes());
}

std::string Shown(const TCp1252Text& text)
{
    return Cp1252ToUtf8(EscapeControls(text.Bytes()));
}

std::string Shown(std::string_view utf8)
{
    return Shown(ToCp1252Text(utf8));
}

std::string Shortened(const TCp1252Text& text)
{
    constexpr std::size_t kMax = 60;
    const std::string& bytes = text.Bytes();
    return Shown(bytes.size() <= kMax ? text : TCp1252Text(bytes.substr(0, kMax) + "..."));
}
