#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// How rule proposals judge the bytes of a prepared page: which bytes form
// words, and which are likely to differ between two visits of the same page.

// "<" opens a tag before a letter or "/"; not a comment ("<!--", which old
// pages wrap scripts in), and not a comparison in a script.
bool OpensTag(std::string_view page, std::size_t at);
// Whether `at` stands between a "<" and its ">", looking back a limited way.
bool IsInsideTag(std::string_view page, std::size_t at);
// A-Z, a-z, 0-9, "_" and every byte from 0x80 on (umlauts).
bool IsWordByte(char c);
// A word starts behind a byte that is no word byte, or at a capital behind
// a small letter: spaces are gone from the page, "var wanIP" reads
// "varwanIP", and "IP" still starts a word there.
bool StartsWord(std::string_view page, std::size_t at);
// Bytes that separate the pieces of HTML and JavaScript: tag and quote
// characters, "=", ";", ",", ":", brackets, "|", and every byte up to 0x20.
bool IsDelimiterByte(char c);

// Marks the volatile bytes of [from, to): every byte of a run between
// delimiter bytes that holds a digit, outside tags or in the value of a
// "value" attribute. Such runs are addresses, counters, times and versions,
// which a page shows differently on the next visit. Runs that cross either
// end of the range are followed into the page.
class TVolatileBytes;

// Whether [begin, end) holds a label: three or more letters in a row that
// are not volatile, name no tag or attribute (not behind "<" or "</", not
// before "=") and do not stand where values stand, in the text right behind
// text that ends in ":". Labels are the page's fixed text, where markers
// hold.
bool HoldsLabel(std::string_view page, std::size_t begin, std::size_t end, const TVolatileBytes& volatileBytes);
// The length of the label that starts at `at` and ends by `end`, or 0 when
// none does.
std::size_t LabelLengthAt(std::string_view page, std::size_t at, std::size_t end,
                          const TVolatileBytes& volatileBytes);

class TVolatileBytes {
public:
    TVolatileBytes(std::string_view page, std::size_t from, std::size_t to);

    // How many bytes of [begin, end) are volatile; the range lies in [from, to).
    std::size_t CountIn(std::size_t begin, std::size_t end) const;
    bool At(std::size_t i) const { return m_flags[i - m_from] != 0; }

private:
    std::size_t m_from;
    std::vector<unsigned char> m_flags;
};
