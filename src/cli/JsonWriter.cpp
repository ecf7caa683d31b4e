#include "JsonWriter.h"

#include "Cp1252.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string JsonString(std::string_view cp1252Text)
{
    return '"' + JsonStringContent(cp1252Text) + '"';
}

std::string JsonStringContent(std::string_view cp1252Text)
{
    std::string out;
    out.reserve(cp1252Text.size());
    for (const char c : cp1252Text) {
        const auto byte = static_cast<unsigned char>(c);
        // Control characters are escaped, C1 ones (the bytes that
        // Windows-1252 leaves unassigned) too: a terminal that shows the
        // JSON would obey them.
        const char32_t codePoint = Cp1252ToUnicode(byte);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(codePoint));
            out += escape;
        } else {
            AppendUtf8(out, codePoint);
        }
    }
    return out;
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    // "-0" and whole numbers still read back as doubles.
    if (text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}
