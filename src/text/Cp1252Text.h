#pragma once

#include <string>
#include <string_view>

// Messages are UTF-8 throughout the program, in the source as in memory.
// Windows-1252 bytes are what the system's message box takes and what a
// record's texts are. Where the two meet, TCp1252Text holds the bytes, so
// that neither passes for the other without one of the conversions below.
class TCp1252Text {
public:
    TCp1252Text() = default;
    // Bytes that are Windows-1252 already, such as a record's text.
    explicit TCp1252Text(std::string_view bytes) : m_bytes(bytes) {}

    const std::string& Bytes() const { return m_bytes; }
    bool Empty() const { return m_bytes.empty(); }
    bool operator==(const TCp1252Text&) const = default;

private:
    std::string m_bytes;
};

// A message as the box shows it: each character that Windows-1252 holds
// becomes its byte, any other "?"; bytes that are no UTF-8 at all are taken
// as Windows-1252 already (a file name written by a Windows program).
TCp1252Text ToCp1252Text(std::string_view utf8);

// The bytes as UTF-8, every one kept.
std::string ToUtf8(const TCp1252Text& text);

// A text from a file, from the user or from the system as it may stand in a
// message (UTF-8): each control character escaped (EscapeControls), so that
// it can neither steer a terminal nor start a line of its own. UTF-8 text,
// such as a path or an argument, shows the characters that Windows-1252
// lacks as "?", as every message does.
std::string Shown(const TCp1252Text& text);
std::string Shown(std::string_view utf8);
// The same, cut to 60 bytes ("..." marking the cut).
std::string Shortened(const TCp1252Text& text);
