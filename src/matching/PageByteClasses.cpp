#include "PageByteClasses.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kLookBack = 512;
// A run that crosses the end of a range is followed this far: no longer run
// is a number, and the work stays within the range's size.
constexpr std::size_t kRunReach = 256;
// The roles of a range are judged from this far before it, so that the
// tags and cells around its start are known.
constexpr std::size_t kWarmUp = 4096;
// An unclosed quote means no other within this reach, so the scans of
// strings never overlap.
constexpr std::size_t kLongestString = std::size_t(1) << 16;
constexpr std::size_t kTagsLookedAt = 4;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return a == Lower(b); });
}

unsigned Byte(std::string_view page, std::size_t at)
{
    return static_cast<unsigned char>(page[at]);
}

// The UTF-8 sequence of two to four bytes that holds `at`, if the bytes
// around it form one.
struct TSequence {
    std::size_t length = 0; // 0: none
    char32_t codePoint = 0;
};

TSequence Utf8SequenceAt(std::string_view page, std::size_t at)
{
    const auto continuation = [&](std::size_t i) { return i < page.size() && (Byte(page, i) & 0xC0) == 0x80; };
    for (std::size_t back = 0; back < 4 && back <= at; ++back) {
        const std::size_t lead = at - back;
        const unsigned b = Byte(page, lead);
        const std::size_t length = b >= 0xC2 && b <= 0xDF   ? 2
                                   : b >= 0xE0 && b <= 0xEF ? 3
                                   : b >= 0xF0 && b <= 0xF4 ? 4
                                                            : 0;
        if (length == 0) {
            if (!continuation(lead))
                return {};
            continue;
        }
        if (back >= length)
            return {};
        char32_t codePoint = b & (0x7F >> length);
        for (std::size_t i = lead + 1; i < lead + length; ++i) {
            if (!continuation(i))
                return {};
            codePoint = codePoint << 6 | (Byte(page, i) & 0x3F);
        }
        return {length, codePoint};
    }
    return {};
}

bool IsLetterCodePoint(char32_t c)
{
    return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x370 && c <= 0x52F)
           || (c >= 0x1E00 && c <= 0x1EFF);
}

// The letters among the bytes from 0x80 on of Windows-1252.
bool IsCp1252Letter(unsigned b)
{
    return (b >= 0xC0 && b != 0xD7 && b != 0xF7) || b == 0x83 || b == 0x8A || b == 0x8C || b == 0x8E || b == 0x9A
           || b == 0x9C || b == 0x9E || b == 0x9F;
}

} // namespace

bool IsWordByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'
           || b >= 0x80;
}

bool IsLetterAt(std::string_view page, std::size_t at)
{
    const unsigned b = Byte(page, at);
    if (b < 0x80)
        return IsAsciiLetter(char(b));
    const TSequence sequence = Utf8SequenceAt(page, at);
    return sequence.length > 0 ? IsLetterCodePoint(sequence.codePoint) : IsCp1252Letter(b);
}

bool IsWordByteAt(std::string_view page, std::size_t at)
{
    return IsDigit(page[at]) || page[at] == '_' || IsLetterAt(page, at);
}

bool IsForeignByteAt(std::string_view page, std::size_t at)
{
    const unsigned b = Byte(page, at);
    if (b < 0x20 || b == 0x7F)
        return true;
    if (b < 0x80)
        return false;
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D || Utf8SequenceAt(page, at).length > 0;
}

bool OpensTag(std::string_view page, std::size_t at)
{
    if (page[at] != '<' || at + 1 >= page.size())
        return false;
    if (page[at + 1] == '/')
        return true;
    if (!IsAsciiLetter(page[at + 1]))
        return false;
    // A name (with dots, as in "cellsList.length", and dashes between
    // letters, as in "http-equiv") and then what follows it.
    std::size_t end = at + 1;
    while (end < page.size()
           && (IsWordByte(page[end]) || page[end] == '.'
               || (page[end] == '-' && end + 1 < page.size() && IsAsciiLetter(page[end + 1]))))
        ++end;
    return end == page.size() || page[end] == '\0' || std::strchr(";(){}&|,?[]+-*!%^", page[end]) == nullptr;
}

bool StartsWord(std::string_view page, std::size_t at)
{
    if (!IsWordByteAt(page, at))
        return false;
    if (at == 0 || !IsWordByteAt(page, at - 1))
        return true;
    return page[at - 1] >= 'a' && page[at - 1] <= 'z' && page[at] >= 'A' && page[at] <= 'Z';
}

bool IsDelimiterByte(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 || std::strchr("<>\"'=;,:&(){}[]|", c) != nullptr;
}

bool IsInsideTag(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    for (std::size_t i = at; i > stop && page[i - 1] != '>'; --i) {
        if (OpensTag(page, i - 1))
            return true;
    }
    return false;
}

namespace {

// Attribute names that may follow a tag's name directly, as spaces are gone
// from the page: "<tdclass=" is a "td".
constexpr std::array<std::string_view, 28> kAttributeNames = {
    "class", "id", "style", "align", "valign", "width", "height", "colspan", "rowspan", "bgcolor",
    "nowrap", "name", "type", "value", "href", "onclick", "border", "cellpadding", "cellspacing", "title",
    "for", "scope", "lang", "dir", "language", "src", "charset", "defer"};

// Whether the tag that opens at `at` has the name `name` (small letters).
bool TagIs(std::string_view page, std::size_t at, std::string_view name)
{
    std::size_t begin = at + 1;
    if (begin < page.size() && page[begin] == '/')
        ++begin;
    const std::string_view rest = page.substr(begin, name.size() + 12);
    if (!StartsWithNoCase(rest, name))
        return false;
    const std::string_view after = rest.substr(name.size());
    if (after.empty() || !IsWordByte(after[0]))
        return true;
    return std::any_of(kAttributeNames.begin(), kAttributeNames.end(), [&](std::string_view attribute) {
        return StartsWithNoCase(after, attribute)
               && (after.size() == attribute.size() || after[attribute.size()] == '=');
    });
}

bool TagIsOneOf(std::string_view page, std::size_t at, std::initializer_list<std::string_view> names)
{
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return TagIs(page, at, name); });
}

} // namespace

bool OpensScriptOrStyle(std::string_view page, std::size_t at)
{
    return page[at] == '<' && !(at + 1 < page.size() && page[at + 1] == '/') && TagIsOneOf(page, at, {"script", "style"});
}

namespace {

bool Closes(std::string_view page, std::size_t at)
{
    return at + 1 < page.size() && page[at + 1] == '/';
}

// The value of the tag's class attribute, if it has one near its start.
std::string_view ClassOf(std::string_view page, std::size_t tagBegin)
{
    const std::string_view tag = page.substr(tagBegin, std::min<std::size_t>(kLookBack, page.size() - tagBegin));
    const std::string_view inside = tag.substr(0, tag.find('>'));
    // "class=" right behind the tag's name or behind another attribute.
    std::size_t at = 1;
    while (at < inside.size() && IsAsciiLetter(inside[at]))
        ++at;
    for (std::size_t name = 1; name < at; ++name) {
        if (StartsWithNoCase(inside.substr(name), "class="))
            at = name;
    }
    while (at < inside.size() && !StartsWithNoCase(inside.substr(at), "class="))
        ++at;
    if (at >= inside.size())
        return {};
    std::string_view value = inside.substr(at + 6);
    if (!value.empty() && (value[0] == '"' || value[0] == '\''))
        value = value.substr(1, value.find(value[0], 1) - 1);
    return value;
}

bool ClassNames(std::string_view classes, std::initializer_list<std::string_view> words)
{
    for (std::size_t i = 0; i < classes.size(); ++i) {
        for (const std::string_view word : words) {
            if (StartsWithNoCase(classes.substr(i), word))
                return true;
        }
    }
    return false;
}

// Texts that tell a state rather than name a value: another save shows
// another of them.
constexpr std::array<std::string_view, 52> kStateWords = {
    "locked", "notlocked", "unlocked", "ok", "notok", "connected", "notconnected", "disconnected", "connecting",
    "operational", "enabled", "disabled", "allowed", "denied", "up", "down", "online", "offline", "on", "off",
    "yes", "no", "ja", "nein", "aktiv", "inaktiv", "aktiviert", "deaktiviert", "ein", "aus", "an", "verbunden",
    "nichtverbunden", "getrennt", "synchronisiert", "vorhanden", "none", "active", "inactive", "success", "failed",
    "fail", "pass", "error", "idle", "ready", "synchronized", "notsynchronized", "showtime", "true", "false",
    "unknown"};

bool IsStateWord(std::string_view text)
{
    std::string letters;
    for (const char c : text) {
        if (IsAsciiLetter(c))
            letters += Lower(c);
        else if (c != '-' && c != '_')
            return false;
        if (letters.size() > 16)
            return false;
    }
    return std::find(kStateWords.begin(), kStateWords.end(), letters) != kStateWords.end();
}

bool EndsWithValue(std::string_view name)
{
    constexpr std::string_view kValue = "value";
    return name.size() >= kValue.size() && StartsWithNoCase(name.substr(name.size() - kValue.size()), kValue);
}

// A run of the page between delimiter bytes that shows a number.
bool IsNumberRun(std::string_view run, bool insideTag)
{
    // A sign or a decimal point may come first: "-3.5", ".8".
    while (run.size() > 1 && (run[0] == '-' || run[0] == '+' || run[0] == '.'))
        run.remove_prefix(1);
    std::size_t digits = 0;
    bool twoInARow = false;
    for (std::size_t i = 0; i < run.size(); ++i) {
        if (IsDigit(run[i])) {
            twoInARow = twoInARow || (i > 0 && IsDigit(run[i - 1]));
            ++digits;
        }
    }
    if (insideTag) // ids, time stamps and versions in links; not sizes and colours
        return run[0] != '#' && (digits >= 4 || (IsDigit(run[0]) && run.find('.') != std::string_view::npos));
    return digits > 0 && (IsDigit(run[0]) || twoInARow || 3 * digits >= run.size());
}

// Works out the roles of a range of the page, walking it from a little
// before its start: tags, cells, scripts and their strings, then the runs
// that show numbers.
class TRoleScan {
public:
    TRoleScan(std::string_view page, std::size_t begin, std::size_t end, std::vector<unsigned char>& flags)
        : m_page(page), m_begin(begin), m_end(end), m_flags(flags)
    {}

    void Run()
    {
        // A page that does not start with a tag is a script, JSON or text.
        const std::string_view start = m_page.substr(m_page.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
        m_inScript = !start.empty() && start[0] != '<';
        ScanStructure();
        ScanNumbers();
    }

private:
    struct TCells {
        bool cellClosed = false; // the row had a cell with words before
        bool inDataCell = false;
        bool cellHasText = false; // an icon, a number or nothing labels no value
    };

    void Mark(std::size_t from, std::size_t to, unsigned char flag)
    {
        for (std::size_t i = std::max(from, m_begin); i < std::min(to, m_end); ++i)
            m_flags[i - m_begin] |= flag;
    }

    void ScanStructure()
    {
        std::size_t segment = m_begin;
        for (std::size_t i = m_begin; i < m_end;) {
            const bool declaration = m_page[i] == '<' && i + 1 < m_end && m_page[i + 1] == '!'
                                     && i + 2 < m_end && IsAsciiLetter(m_page[i + 2]) && !m_inScript;
            if (declaration || (m_page[i] == '<' && OpensTag(m_page, i) && (!m_inScript || TagIs(m_page, i, "script")))) {
                EndSegment(segment, i);
                i = Tag(i);
                segment = i;
            } else if (m_inScript && (m_page[i] == '"' || m_page[i] == '\'')) {
                i = ScriptString(i);
            } else {
                ++i;
            }
        }
        EndSegment(segment, m_end);
    }

    // Reads the tag that opens at `at`; returns where it ends.
    std::size_t Tag(std::size_t at)
    {
        const bool closing = Closes(m_page, at);
        if (TagIsOneOf(m_page, at, {"tr", "table", "p", "li", "ul", "dl", "h1", "h2", "h3", "h4", "h5", "h6"}))
            m_afterColon = false;
        if (TagIs(m_page, at, "table")) {
            if (closing && !m_tables.empty()) {
                m_cells = m_tables.back();
                m_tables.pop_back();
            } else if (!closing) {
                m_tables.push_back(m_cells);
                m_cells = {};
            }
        } else if (TagIs(m_page, at, "tr")) {
            m_cells = {};
        } else if (TagIsOneOf(m_page, at, {"td", "th"})) {
            m_cells.cellClosed = m_cells.cellClosed || (closing && m_cells.cellHasText);
            m_cells.inDataCell = !closing && TagIs(m_page, at, "td") && m_cells.cellClosed;
            m_cells.cellHasText = false;
        } else if (TagIs(m_page, at, "dd")) {
            m_cells.inDataCell = !closing;
        } else if (TagIs(m_page, at, "script")) {
            m_inScript = !closing;
        } else if (TagIs(m_page, at, "style")) {
            m_inStyle = !closing;
        }
        if (closing)
            m_valueClass = false;
        else if (ClassNames(ClassOf(m_page, at), {"value", "val", "data", "wert"}))
            m_valueClass = true;
        std::size_t end = at + 1;
        while (end < m_end && m_page[end] != '>')
            ++end;
        end = std::min(end + 1, m_page.size());
        Mark(at, end, TByteRoles::kInTag);
        return end;
    }

    // A string of a script from its opening quote at `at`: a key when ":"
    // follows it, markup when it holds any, else data. Returns where it ends.
    std::size_t ScriptString(std::size_t at)
    {
        const char quote = m_page[at];
        const std::size_t limit = std::min(m_page.size(), at + kLongestString);
        std::size_t close = at + 1;
        while (close < limit && m_page[close] != quote)
            close += m_page[close] == '\\' ? 2 : 1;
        if (close >= limit)
            return at + 1;
        const std::string_view content = m_page.substr(at + 1, close - at - 1);
        const bool key = close + 1 < m_page.size() && m_page[close + 1] == ':';
        if (!key && !NamesArgument(at, close) && content.find_first_of("<>") == std::string_view::npos)
            Mark(at + 1, close, TByteRoles::kData);
        return close + 1;
    }

    // A string that a function takes first, before another argument, as in
    // "showRow('Internet IP', '84.1.2.3')", names the value behind it; in a
    // list ("new Array('PPPoE', ...)") it is one more value.
    bool NamesArgument(std::size_t open, std::size_t close) const
    {
        if (open < 2 || m_page[open - 1] != '(' || close + 1 >= m_page.size() || m_page[close + 1] != ',')
            return false;
        std::size_t name = open - 1;
        while (name > 0 && IsWordByte(m_page[name - 1]))
            --name;
        const std::string_view function = m_page.substr(name, open - 1 - name);
        constexpr std::string_view kList = "array";
        const bool list = function.size() >= kList.size() && StartsWithNoCase(function.substr(function.size() - kList.size()), kList);
        return !function.empty() && !list
               && !IsStateWord(m_page.substr(open + 1, close - open - 1));
    }

    // Text between two tags: data in a cell behind another cell of its
    // row, in a definition or a value's box, behind a text ending in ":",
    // or when it is a state. A text that starts with a label and ":" ("DNS:
    // 1.2.3.4") is data behind the ":" only, wherever it stands.
    void EndSegment(std::size_t begin, std::size_t end)
    {
        if (begin >= end || m_inScript)
            return;
        if (m_inStyle) { // rules of a style sheet, which the next firmware writes anew
            Mark(begin, end, TByteRoles::kData);
            return;
        }
        const std::string_view text = m_page.substr(begin, end - begin);
        for (std::size_t i = begin; i < end && !m_cells.cellHasText; ++i)
            m_cells.cellHasText = IsLetterAt(m_page, i); // a row's number labels nothing either
        const std::size_t colon = text.find(':');
        const bool labelled = colon != std::string_view::npos && colon > 0
                              && text.substr(0, colon).find_first_of("0123456789") == std::string_view::npos;
        if (labelled)
            Mark(begin + colon + 1, end, TByteRoles::kData);
        else if (m_cells.inDataCell || m_afterColon || m_valueClass || IsStateWord(text))
            Mark(begin, end, TByteRoles::kData);
        m_afterColon = text.back() == ':';
    }

    void ScanNumbers()
    {
        bool inValueAttribute = false;
        std::string_view previousRun;
        for (std::size_t pos = m_begin; pos < m_end;) {
            const bool insideTag = m_flags[pos - m_begin] & TByteRoles::kInTag;
            inValueAttribute = inValueAttribute && insideTag;
            if (IsDelimiterByte(m_page[pos])) {
                if (m_page[pos] == '=' && insideTag)
                    inValueAttribute = EndsWithValue(previousRun);
                ++pos;
                continue;
            }
            std::size_t end = pos;
            while (end < m_end && !IsDelimiterByte(m_page[end]))
                ++end;
            const std::string_view run = m_page.substr(pos, end - pos);
            if (IsNumberRun(run, insideTag && !inValueAttribute))
                Mark(pos, end, TByteRoles::kVolatile);
            previousRun = run;
            pos = end;
        }
    }

    std::string_view m_page;
    std::size_t m_begin;
    std::size_t m_end;
    std::vector<unsigned char>& m_flags;
    TCells m_cells;
    std::vector<TCells> m_tables;
    bool m_inScript = false;
    bool m_inStyle = false;
    bool m_afterColon = false;
    bool m_valueClass = false;
};

} // namespace

TByteRoles::TByteRoles(std::string_view page, std::size_t from, std::size_t to)
{
    std::size_t begin = from - std::min(from, kWarmUp);
    // From the start of a run, and outside a tag where one is near.
    const std::size_t stop = begin - std::min(begin, kLookBack);
    while (begin > stop && !IsDelimiterByte(page[begin - 1]))
        --begin;
    if (const std::size_t close = page.substr(begin, from - begin).find('>'); close != std::string_view::npos
        && begin > 0)
        begin += close + 1;
    // To the end of the run that crosses `to`.
    std::size_t end = to;
    const std::size_t reach = std::min(page.size(), to + kRunReach);
    while (end < reach && end > 0 && !IsDelimiterByte(page[end - 1]) && !IsDelimiterByte(page[end]))
        ++end;
    m_from = begin;
    m_flags.assign(end - begin, 0);
    TRoleScan(page, begin, end, m_flags).Run();
}

std::size_t TByteRoles::VolatileIn(std::size_t begin, std::size_t end) const
{
    std::size_t count = 0;
    for (std::size_t i = begin; i < end; ++i)
        count += Volatile(i);
    return count;
}

std::size_t TByteRoles::DataIn(std::size_t begin, std::size_t end) const
{
    std::size_t count = 0;
    for (std::size_t i = begin; i < end; ++i)
        count += Data(i);
    return count;
}

namespace {

// A tag's name, or an attribute's name (before "=" inside a tag; in a
// script, a name before "=" is a variable, which labels its value well).
bool NamesTagOrAttribute(std::string_view page, std::size_t begin, std::size_t end, const TByteRoles& roles)
{
    const bool behindOpening = begin > 0 && page[begin - 1] == '<';
    const bool behindClosing = begin > 1 && page[begin - 1] == '/' && page[begin - 2] == '<';
    // "data-refresh=" names an attribute from its first word on.
    std::size_t nameEnd = end;
    while (nameEnd < page.size() && nameEnd - end < kLookBack && (IsWordByte(page[nameEnd]) || page[nameEnd] == '-'))
        ++nameEnd;
    const bool beforeEquals = nameEnd < page.size() && page[nameEnd] == '=';
    return behindOpening || behindClosing || (beforeEquals && roles.InTag(begin));
}

// The end of the run of letters from `at` on, looking a limited way past
// `end`: a word that runs on further names no attribute.
std::size_t WordEnd(std::string_view page, std::size_t at, std::size_t end)
{
    const std::size_t limit = std::min(page.size(), end + kLookBack);
    while (at < limit && IsLetterAt(page, at))
        ++at;
    return at;
}

// The start of the run of letters that holds `at`, looking a limited way back.
std::size_t WordBegin(std::string_view page, std::size_t at)
{
    const std::size_t stop = at - std::min(at, kLookBack);
    while (at > stop && IsLetterAt(page, at - 1))
        --at;
    return at;
}

int AttributeValueWeakness(std::string_view page, std::size_t at);
constexpr int kIdWeakness = 4;

// A key of two letters in a script or a JSON answer: "ip": names its value
// as well as any longer word.
bool IsShortKey(std::string_view page, std::size_t begin, std::size_t end, std::size_t wordEnd)
{
    if (end - begin != 2 || wordEnd != end || begin == 0 || end + 1 >= page.size())
        return false;
    const char quote = page[begin - 1];
    return (quote == '"' || quote == '\'') && page[end] == quote && page[end + 1] == ':';
}

// Whether the letters [begin, end) of a word that ends at wordEnd, and may
// start before `begin`, count as a label. Inside a tag only the value of an
// id or a name does: a class is the same in every row.
bool IsLabel(std::string_view page, std::size_t begin, std::size_t end, std::size_t wordEnd,
             const TByteRoles& roles)
{
    return (end - begin >= 3 || IsShortKey(page, begin, end, wordEnd)) && roles.VolatileIn(begin, end) == 0
           && roles.DataIn(begin, end) == 0
           && !NamesTagOrAttribute(page, WordBegin(page, begin), wordEnd, roles)
           && (!roles.InTag(begin) || AttributeValueWeakness(page, begin) == kIdWeakness);
}

constexpr int kHeadingWeakness = 0;
constexpr int kRowLabelWeakness = 8;
constexpr int kClassWeakness = 12;
constexpr int kTextWeakness = 16;
constexpr int kAttributeValueWeakness = 40;

// The label inside a tag: the value of which attribute.
int AttributeValueWeakness(std::string_view page, std::size_t at)
{
    std::size_t equals = at;
    const std::size_t stop = at - std::min(at, kLookBack);
    while (equals > stop && page[equals - 1] != '=' && page[equals - 1] != '<')
        --equals;
    if (equals == stop || page[equals - 1] != '=')
        return kAttributeValueWeakness;
    const std::string_view before = page.substr(stop, equals - 1 - stop);
    const auto endsWith = [&](std::string_view name) {
        return before.size() >= name.size() && StartsWithNoCase(before.substr(before.size() - name.size()), name);
    };
    if (endsWith("id") || endsWith("name") || endsWith("for"))
        return kIdWeakness;
    return endsWith("class") ? kClassWeakness : kAttributeValueWeakness;
}

// The tags right before the text that holds `at`, nearest first: whether
// one makes it a heading, or it stands first in a table row.
int TagsWeakness(std::string_view page, std::size_t at)
{
    std::size_t i = at;
    const std::size_t stop = at - std::min(at, kLookBack);
    while (i > stop && page[i - 1] != '>' && page[i - 1] != '<')
        --i;
    bool inCell = false;
    for (std::size_t tags = 0; tags < kTagsLookedAt && i > stop && page[i - 1] == '>'; ++tags) {
        std::size_t open = i - 1;
        while (open > stop && page[open] != '<')
            --open;
        if (page[open] != '<')
            break;
        if (Closes(page, open))
            return kTextWeakness;
        if (TagIsOneOf(page, open, {"th", "b", "strong", "label", "h1", "h2", "h3", "h4", "h5", "h6", "dt",
                                    "legend", "caption", "thead", "u"})
            || ClassNames(ClassOf(page, open), {"label", "title", "head", "name", "caption", "key", "desc"}))
            return kHeadingWeakness;
        if (inCell && TagIs(page, open, "tr"))
            return kRowLabelWeakness;
        inCell = inCell || TagIs(page, open, "td");
        i = open;
    }
    return kTextWeakness;
}

} // namespace

bool HoldsLabel(std::string_view page, std::size_t begin, std::size_t end, const TByteRoles& roles)
{
    for (std::size_t i = begin; i < end;) {
        if (!IsLetterAt(page, i)) {
            ++i;
            continue;
        }
        const std::size_t wordEnd = WordEnd(page, i, end);
        if (IsLabel(page, i, std::min(wordEnd, end), wordEnd, roles))
            return true;
        i = wordEnd;
    }
    return false;
}

std::size_t LabelLengthAt(std::string_view page, std::size_t at, std::size_t end, const TByteRoles& roles)
{
    const std::size_t wordEnd = WordEnd(page, at, end);
    const std::size_t labelEnd = std::min(wordEnd, end);
    return IsLabel(page, at, labelEnd, wordEnd, roles) ? labelEnd - at : 0;
}

int LabelWeakness(std::string_view page, std::size_t at, const TByteRoles& roles)
{
    if (roles.InTag(at))
        return AttributeValueWeakness(page, at);
    // A text ending in ":", a variable or function of a script, a key.
    std::size_t end = at;
    while (end < page.size() && end - at < kLookBack
           && (IsWordByteAt(page, end) || page[end] == '-' || page[end] == '.' || page[end] == '/'))
        ++end;
    if (end < page.size()) {
        const char next = page[end];
        const char afterNext = end + 1 < page.size() ? page[end + 1] : '\0';
        if (next == ':' || next == '(' || (next == '=' && afterNext != '=')
            || ((next == '"' || next == '\'') && afterNext == ':'))
            return kHeadingWeakness;
    }
    return TagsWeakness(page, at);
}
