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
    for (const char c : Cp1252ToUtf8(cp1252Text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
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
