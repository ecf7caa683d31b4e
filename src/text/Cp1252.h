#pragma once

#include <string>
#include <string_view>

// Texts of the definitions file are Windows-1252 byte strings. These helpers
// convert them to and from Unicode without loss: the five bytes that the code
// page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same value and back.

// The Unicode code point of one Windows-1252 byte.
char16_t Cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int UnicodeToCp1252(char32_t codePoint);

// Windows-1252 bytes to UTF-8 and back. Utf8ToCp1252 returns false, and leaves
// `out` unspecified, when the UTF-8 text is malformed or holds a character
// that Windows-1252 cannot encode.
std::string Cp1252ToUtf8(std::string_view text);
// Appends the UTF-8 bytes of a code point (of a surrogate too: the three
// bytes its value gives).
void AppendUtf8(std::string& out, char32_t codePoint);
// Decodes the UTF-8 sequence at pos and moves pos behind it; false, leaving
// pos, for a malformed one (overlong, a surrogate, beyond U+10FFFF, cut).
bool NextUtf8CodePoint(std::string_view utf8, std::size_t& pos, char32_t& codePoint);
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

// The first character of UTF-8 text that Windows-1252 cannot encode; 0 when
// there is none before the end or before malformed UTF-8.
char32_t FirstCharOutsideCp1252(std::string_view utf8);

// Text from a file or from the user as it may stand in a message: each
// control character (C0, DEL, and the C1 controls that the five unassigned
// bytes stand for) is written as \xNN, so that it can neither steer a
// terminal nor start a line of its own. Characters in `keep` stay: the line
// breaks of a message that has several lines.
std::string EscapeControls(std::string_view cp1252, std::string_view keep = {});
