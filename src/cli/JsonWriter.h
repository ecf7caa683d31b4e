#pragma once

#include <string>
#include <string_view>

// Minimal JSON output: strings arrive as Windows-1252 bytes and leave as
// escaped UTF-8; numbers keep every bit they can.
std::string JsonString(std::string_view cp1252Text);
// The same without the quotes, so that a long text can be written in pieces.
std::string JsonStringContent(std::string_view cp1252Text);
// The shortest text that reads back to the same double; null when the value
// is not finite, since JSON has no such numbers.
std::string JsonNumber(double value);
