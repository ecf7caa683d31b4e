#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// How rule proposals judge the bytes of a prepared page: which bytes form
// words a user can read, which are markup, and which are likely to differ
// between two visits of the same page.

// "<" opens a tag before "/" or before a letter that starts a tag's name;
// not a comment ("<!--", which old pages wrap scripts in), and not a
// comparison in a script ("i<cellsList.length;", "if(v<max)"), whose name
// runs on into an operator.
bool OpensTag(std::string_view page, std::size_t at);
// Whether the tag that opens at `at` starts a script or a style sheet,
// whose content is no text of the page.
bool OpensScriptOrStyle(std::string_view page, std::size_t at);
// Whether `at` stands between a "<" and its ">", looking back a limited way.
bool IsInsideTag(std::string_view page, std::size_t at);
// A-Z, a-z, 0-9, "_" and every byte from 0x80 on (umlauts).
bool IsWordByte(char c);
// Whether the byte at `at` belongs to a letter: A-Z, a-z, a letter of
// Windows-1252, or a byte of a UTF-8 encoded Latin, Greek or Cyrillic
// letter. Bullets, arrows and other symbols are none.
bool IsLetterAt(std::string_view page, std::size_t at);
// A digit, "_" or a letter.
bool IsWordByteAt(std::string_view page, std::size_t at);
// Whether the byte at `at` shows as something else, or as nothing, when the
// page is read as Windows-1252 text: a byte of a UTF-8 sequence, an
// unassigned byte or a control character.
bool IsForeignByteAt(std::string_view page, std::size_t at);
// A word starts behind a byte that is no word byte, or at a capital behind
// a small letter: spaces are gone from the page, "var wanIP" reads
// "varwanIP", and "IP" still starts a word there.
bool StartsWord(std::string_view page, std::size_t at);
// Bytes that separate the pieces of HTML and JavaScript: tag and quote
// characters, "=", ";", ",", ":", "&", brackets, "|", and every byte up to
// 0x20.
bool IsDelimiterByte(char c);

// What the bytes of [from, to) of a page are, judged from the page's
// structure:
// - volatile: numbers, times, addresses, counters and versions, which the
//   next visit shows differently. Outside tags, and in the value of a
//   "value" attribute, a run between delimiter bytes that starts with a
//   digit, holds two digits in a row or is a third digits; "IPv4-Adresse"
//   and "DNS1" stay labels. Inside tags, where numbers are mostly markup
//   (sizes, colours), only session ids, time stamps and versions.
// - data: what the page shows as a value rather than as a label: text in
//   a table cell behind another cell of its row, in a definition, behind a
//   text that ends in ":", and the strings of a script that are no keys.
// - inside a tag.
// Runs that cross either end of the range are followed a little way into the
// page.
class TByteRoles {
public:
    TByteRoles(std::string_view page, std::size_t from, std::size_t to);

    // How many bytes of [begin, end) are volatile, or data; the range lies
    // in [from, to).
    std::size_t VolatileIn(std::size_t begin, std::size_t end) const;
    std::size_t DataIn(std::size_t begin, std::size_t end) const;
    bool Volatile(std::size_t i) const { return Flags(i) & kVolatile; }
    bool Data(std::size_t i) const { return Flags(i) & kData; }
    bool InTag(std::size_t i) const { return Flags(i) & kInTag; }

    enum : unsigned char { kVolatile = 1, kData = 2, kInTag = 4 };

private:
    unsigned char Flags(std::size_t i) const
    {
        return i >= m_from && i - m_from < m_flags.size() ? m_flags[i - m_from] : 0;
    }

    std::size_t m_from;
    std::vector<unsigned char> m_flags;
};

// Whether [begin, end) holds a label: three or more letters in a row that
// are neither volatile nor data, and name no tag or attribute (not behind
// "<" or "</", not before "=" inside a tag). Labels are the page's fixed
// text, where markers hold.
bool HoldsLabel(std::string_view page, std::size_t begin, std::size_t end, const TByteRoles& roles);
// The length of the label that starts at `at` and ends by `end`, or 0 when
// none does.
std::size_t LabelLengthAt(std::string_view page, std::size_t at, std::size_t end, const TByteRoles& roles);
// How plainly the label at `at` names what follows it, 0 at best: a
// heading, a header cell, bold text, text that ends in ":", a name in a
// script or a key; then a row's first cell, other text, and last the
// values of attributes other than id, name and class.
int LabelWeakness(std::string_view page, std::size_t at, const TByteRoles& roles);
