#include "MarkerChoice.h"

#include "PageByteClasses.h"
#include "mwIPos.h"

#include <algorithm>
#include <cstring>

namespace {

// Codes are tried up to this length; a plain code may grow longer.
constexpr std::size_t kLongestCode = 64;
constexpr std::size_t kLongestPlainCode = 4096;
// Beyond the shortest unique code, a few bytes more may reach a word start.
constexpr std::size_t kWordStartReach = 16;
// Start texts are looked for this far before the value; the best labels
// among them are tried, as each try searches the page.
constexpr std::size_t kStartTextWindow = 16384;
constexpr std::size_t kMostStartTextTries = 24;
// The wide search tries any word as a start text, as many as it may search
// this many bytes of the page for, within bounds.
constexpr std::size_t kWideStartTextBytes = std::size_t(1) << 30;
constexpr std::size_t kLeastWideStartTextTries = 24;
constexpr std::size_t kMostWideStartTextTries = 256;
constexpr int kNoLabelStartCost = 64;
constexpr std::size_t kLongestStartText = 48;
constexpr std::size_t kWordsPerStartText = 3;
// Counting from the page's start stops here at first, as every count
// searches the page; where nothing else lands, it goes on to the value.
constexpr std::size_t kFirstCountLimit = 200;
constexpr std::size_t kCodesCountedToTheValue = 8;
// Unique codes that are tried without their attributes, as each try
// searches the page.
constexpr std::size_t kCodesWithoutAttributes = 2;

// Costs, in units of one byte of marker text. A volatile byte will likely
// be different on the next visit, and so may a value's text; a label keeps
// a marker in place when rows come and go; a byte that does not read as
// Windows-1252 text confuses whoever reads the rule. A directive is only
// worth it where no plain code will do, and the more of the page it counts
// over, the more can shift it; counting from the page's start, everything
// before the value can.
constexpr std::size_t kCheapLength = 48; // each byte beyond costs three
constexpr int kVolatileByteCost = 160;
constexpr int kDataByteCost = 48;
constexpr int kForeignByteCost = 16;
constexpr int kOtherEncodingCost = 8;
constexpr std::size_t kLongestOtherLetters = 8;
constexpr std::size_t kLongestEntity = 8;
constexpr int kNoLabelCost = 60;
// A code without label that occurs again soon behind the value is markup
// that repeats, unique only as the first of its kind.
constexpr int kRepeatingCodeCost = 40;
constexpr std::size_t kRepeatReach = 65536;
constexpr int kStartDirectiveCost = 32;
constexpr int kOtherRowStartCost = 32;
constexpr int kCountDirectiveCost = 56;
constexpr int kCountDoublingCost = 16;
constexpr std::size_t kCountsPerCost = 4;
constexpr int kPageStartCountCost = 80;
constexpr int kMidWordStartCost = 60;
constexpr int kMidRunStartCost = 30;
constexpr int kCamelCaseStartCost = 24; // "Time" of "SystemUpTime"
constexpr int kPunctuationStartCost = 8;
// A label matches the tail of a longer one that the next save may add
// before it ("LAN IP Address" before "IP Address"); a code from the ">" or
// quote in front of it does not.
constexpr int kBareLabelStartCost = 6;
constexpr std::size_t kLongestTag = 512;
constexpr std::size_t kBytesPerDistanceCost = 64;
constexpr int kHighestDistanceCost = 64;

// Every occurrence counted may be one more or less on the next visit.
int CountCost(std::size_t count)
{
    int doublings = 0;
    for (std::size_t rest = count; rest > 1; rest /= 2)
        ++doublings;
    return kCountDirectiveCost + kCountDoublingCost * doublings
           + int(std::min<std::size_t>(count / kCountsPerCost, 1000));
}

int LengthCost(std::size_t length)
{
    return int(length + 2 * (length - std::min(length, kCheapLength)));
}

int DistanceCost(std::size_t distance)
{
    return int(std::min<std::size_t>(distance / kBytesPerDistanceCost, kHighestDistanceCost));
}

// Counts the occurrences of code in text[from, to) without overlap, from
// `from` on, up to the one that ends at `to`. 0 when the counting passes
// over that place or needs more than `most` occurrences.
std::size_t CountUpTo(std::string_view text, std::size_t from, std::size_t to, std::string_view code,
                      std::size_t most)
{
    std::size_t count = 0;
    for (std::size_t pos = from; count < most;) {
        const std::size_t found = FindTextNoCase(code, text.substr(pos, to - pos));
        if (found == 0)
            break;
        ++count;
        pos += found - 1 + code.size();
        if (pos == to)
            return count;
    }
    return 0;
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// "&uuml;" and the like, but not the markup's own "&nbsp;", "&amp;", "&lt;"
// and "&gt;", which every save writes alike.
bool IsLetterEntity(std::string_view text)
{
    const std::size_t end = text.find(';');
    if (end == std::string_view::npos || end < 3)
        return false;
    const std::string_view name = text.substr(1, end - 1);
    const bool letters = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    return letters && name != "nbsp" && name != "amp" && name != "lt" && name != "gt" && name != "quot";
}

class TMarkerChoice {
public:
    TMarkerChoice(std::string_view page, std::size_t place, TMarkerSearch search)
        : m_page(page), m_place(place), m_roles(page, place - std::min(place, kStartTextWindow), place),
          m_wide(search == TMarkerSearch::Wide)
    {}

    std::vector<TMarkerCandidate> Candidates();

private:
    struct TCode {
        std::string_view text;
        int cost;
    };

    std::string_view CodeOfLength(std::size_t length) const
    {
        return m_page.substr(m_place - length, length);
    }
    int StartCost(std::size_t at) const;
    bool StartsText(std::size_t at) const;
    std::size_t BeginBehindOtherLetters(std::size_t at) const;
    int OtherEncodingCost(std::size_t begin, std::size_t end) const;
    bool InsideLabel(std::size_t at) const;
    int TextCost(std::size_t begin, std::size_t end) const;
    int CodeCost(std::size_t length) const
    {
        return TextCost(m_place - length, m_place) + StartCost(m_place - length);
    }
    int PageStartCountCost(std::size_t count) const
    {
        return CountCost(count) + kPageStartCountCost + DistanceCost(m_place);
    }
    int BestCost() const;
    bool Repeats(std::string_view code) const
    {
        return !HoldsLabel(m_page, m_place - code.size(), m_place, m_roles)
               && FindTextNoCase(code, m_page.substr(m_place, kRepeatReach)) > 0;
    }
    void Add(std::string_view startText, std::size_t count, std::string_view code, int cost)
    {
        m_candidates.push_back({startText, std::int32_t(count), code, cost});
    }

    void AddWholePageMarker();
    void AddCodesFromPageStart();
    bool AddCodeWithoutAttributes(std::size_t length, int cost);
    std::size_t FirstAttributes(std::size_t begin) const;
    std::size_t LabelTextEnd(std::size_t begin, std::size_t end) const;
    std::size_t BehindLastAttributes(std::size_t from) const;
    std::size_t ValueAttributeLength() const;
    void AddLongPlainCode();
    void AddCodesCountedToTheValue();
    void AddCodesBehindStartTexts();
    std::optional<std::string_view> StartTextAt(std::size_t at) const;
    std::size_t RowStartBefore(std::size_t from) const;

    std::string_view m_page;
    std::size_t m_place;
    TByteRoles m_roles;
    bool m_wide;
    std::vector<TCode> m_notUnique; // codes from page start on, shortest first
    std::vector<TCode> m_firstOfKind; // unique codes that repeat behind the value
    std::vector<TMarkerCandidate> m_candidates;
};

std::vector<TMarkerCandidate> TMarkerChoice::Candidates()
{
    if (std::all_of(m_page.begin(), m_page.begin() + m_place, IsBlank)) {
        AddWholePageMarker();
        return m_candidates;
    }
    AddCodesFromPageStart();
    if (m_notUnique.size() == std::min(m_place, kLongestCode))
        AddLongPlainCode();
    // A start text costs at least a directive and two bytes.
    if (m_wide || BestCost() > kStartDirectiveCost + 2)
        AddCodesBehindStartTexts();
    if (m_candidates.empty())
        AddCodesCountedToTheValue();
    std::stable_sort(m_candidates.begin(), m_candidates.end(),
                     [](const TMarkerCandidate& a, const TMarkerCandidate& b) { return a.cost < b.cost; });
    return m_candidates;
}

// The start of the word of which only letters from 0x80 on stand before
// `at`; `at` where there are none, or a letter or digit before them.
std::size_t TMarkerChoice::BeginBehindOtherLetters(std::size_t at) const
{
    std::size_t begin = at;
    while (begin > 0 && at - begin < kLongestOtherLetters && static_cast<unsigned char>(m_page[begin - 1]) >= 0x80
           && IsLetterAt(m_page, begin - 1))
        --begin;
    return begin > 0 && IsWordByteAt(m_page, begin - 1) ? at : begin;
}

// Letters beyond ASCII, as bytes or as entities, are written otherwise by
// the next firmware or by a browser that saved the page as a whole.
int TMarkerChoice::OtherEncodingCost(std::size_t begin, std::size_t end) const
{
    int cost = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (IsForeignByteAt(m_page, i))
            cost += kForeignByteCost;
        else if (static_cast<unsigned char>(m_page[i]) >= 0x80)
            cost += kOtherEncodingCost;
        else if (m_page[i] == '&' && IsLetterEntity(m_page.substr(i, std::min(end, i + kLongestEntity) - i)))
            cost += kOtherEncodingCost;
    }
    return cost;
}

int TMarkerChoice::TextCost(std::size_t begin, std::size_t end) const
{
    const int foreign = OtherEncodingCost(begin, end);
    return LengthCost(end - begin) + kVolatileByteCost * int(m_roles.VolatileIn(begin, end))
           + kDataByteCost * int(m_roles.DataIn(begin, end)) + foreign
           + (HoldsLabel(m_page, begin, end, m_roles) ? 0 : kNoLabelCost);
}

// Codes read best from the start of a tag, a quoted text or a run of text,
// and worst from inside a word or a tag's name.
int TMarkerChoice::StartCost(std::size_t at) const
{
    const char c = m_page[at];
    if (c == '<' || c == '"' || c == '\'' || (c == '>' && StartsText(at + 1)))
        return 0;
    // Behind the letters of a word that only other encodings write alike
    // ("Öffentliche IP" as "&Ouml;ffentliche IP" or in UTF-8), a code
    // starts as well as in front of them.
    if (const std::size_t word = BeginBehindOtherLetters(at); word < at)
        return StartCost(word);
    const bool runStart = (at == 0 || IsDelimiterByte(m_page[at - 1])) && !InsideLabel(at);
    if (!IsWordByteAt(m_page, at))
        return runStart ? kPunctuationStartCost : kMidRunStartCost;
    const char before = at > 0 ? m_page[at - 1] : '\0';
    if (!StartsWord(m_page, at) || before == '<' || before == '/')
        return kMidWordStartCost;
    if (runStart)
        return StartsText(at) || (at > 0 && (before == '"' || before == '\'')) ? kBareLabelStartCost : 0;
    return IsWordByteAt(m_page, at - 1) ? kCamelCaseStartCost : kMidRunStartCost; // "Adresse" of "IPv4-Adresse"
}

// Whether a text between tags starts at `at`, not a script or style sheet.
bool TMarkerChoice::StartsText(std::size_t at) const
{
    if (at == 0 || at >= m_page.size() || m_page[at - 1] != '>' || !StartsWord(m_page, at))
        return false;
    std::size_t open = at - 1;
    for (std::size_t steps = 0; open > 0 && m_page[open] != '<' && steps < kLongestTag; ++steps)
        --open;
    return m_page[open] == '<' && !OpensScriptOrStyle(m_page, open);
}

// Whether `at` follows a word across a non-breaking space or an opening
// bracket, as in "Downstream&nbsp;Rate:" or "Pegel(dBmV)": a code that
// starts there leaves part of a label behind.
bool TMarkerChoice::InsideLabel(std::size_t at) const
{
    constexpr std::string_view kSpace = "&nbsp;";
    std::size_t before = at;
    for (std::size_t steps = 0; steps < 3 && before > 0; ++steps) {
        if (m_page[before - 1] == '(' || m_page[before - 1] == '&')
            --before;
        else if (before >= kSpace.size() && m_page.substr(before - kSpace.size(), kSpace.size()) == kSpace)
            before -= kSpace.size();
        else
            break;
    }
    return before < at && before > 0 && IsWordByteAt(m_page, before - 1);
}

int TMarkerChoice::BestCost() const
{
    int best = INT32_MAX;
    for (const TMarkerCandidate& candidate : m_candidates)
        best = std::min(best, candidate.cost);
    return best;
}

// Nothing but blanks before the value: the count 0 keeps the whole page as
// the rest, for any code that the page holds.
void TMarkerChoice::AddWholePageMarker()
{
    const std::string_view searchable = BeforeNul(m_page);
    std::size_t at = searchable.find('<');
    if (at == std::string_view::npos)
        at = m_place;
    if (at < searchable.size())
        Add({}, 0, m_page.substr(at, 1), 0);
}

// The page's text right before the value, growing byte by byte. Codes that
// are unique up to the value need no directive; the others may take a count.
void TMarkerChoice::AddCodesFromPageStart()
{
    std::size_t uniqueLength = 0;
    std::size_t withoutAttributes = 0;
    for (std::size_t length = 1; length <= std::min(m_place, kLongestCode); ++length) {
        const std::string_view code = CodeOfLength(length);
        const int cost = CodeCost(length);
        // Any code that holds a unique one is unique too.
        const std::size_t count =
            uniqueLength > 0 ? 1 : CountUpTo(m_page, 0, m_place, code, m_wide ? SIZE_MAX : kFirstCountLimit);
        if (count == 1) {
            const bool repeats = Repeats(code);
            Add({}, 1, code, cost + (repeats ? kRepeatingCodeCost : 0));
            if (repeats)
                m_firstOfKind.push_back({code, cost});
            if (withoutAttributes < kCodesWithoutAttributes && AddCodeWithoutAttributes(length, cost))
                ++withoutAttributes;
            uniqueLength = uniqueLength > 0 ? uniqueLength : length;
            continue;
        }
        m_notUnique.push_back({code, cost});
        if (count > 1)
            Add({}, count, code, cost + PageStartCountCost(count));
    }
}

// Attributes are what the next firmware or a browser's save of the page
// changes most readily: a class that alternates from row to row, an
// attribute added, quotes written or left off. A unique code whose tags
// carry attributes serves as a start text up to the first of them, and the
// value is read behind as many ">" as the code holds: "IP</td><td
// class=v>" becomes "{startpos=IP}{2}>"; a field's value behind the first
// "value=" that follows the label.
bool TMarkerChoice::AddCodeWithoutAttributes(std::size_t length, int cost)
{
    const std::size_t begin = m_place - length;
    const std::size_t valueName = ValueAttributeLength();
    if ((m_page[m_place - 1] != '>' && valueName == 0) || StartCost(begin) != 0)
        return false;
    const std::size_t cut = FirstAttributes(begin);
    if (cut <= begin || cut >= m_place || !HoldsLabel(m_page, begin, cut, m_roles))
        return false;
    // The state of a form's control is what such a code finds.
    const std::string_view attributes = m_page.substr(cut, m_place - cut);
    if (FindTextNoCase("selected", attributes) > 0 || FindTextNoCase("checked", attributes) > 0)
        return false;
    std::string_view startText = m_page.substr(begin, cut - begin);
    if (startText.find('}') != std::string_view::npos
        || FindTextNoCase(startText, m_page.substr(0, cut)) != begin + 1)
        return false;
    // The label alone, where it is unique as well, holds on such a page too.
    if (const std::size_t labelEnd = LabelTextEnd(begin, cut);
        labelEnd < cut && HoldsLabel(m_page, begin, labelEnd, m_roles)
        && FindTextNoCase(m_page.substr(begin, labelEnd - begin), m_page.substr(0, labelEnd)) == begin + 1)
        startText = m_page.substr(begin, labelEnd - begin);
    const int withoutAttributesCost = std::min(cost - 1, TextCost(begin, cut) + StartCost(begin));
    // A form's field: its value attribute is found behind the label.
    if (valueName > 0) {
        const std::string_view name = m_page.substr(m_place - valueName, valueName);
        if (m_place - valueName <= cut || CountUpTo(m_page, begin, m_place, name, 1) != 1)
            return false;
        Add(startText, 1, name, withoutAttributesCost);
        return true;
    }
    // The first tag without attributes behind the label that the value
    // follows needs no count, which a tag that the next save adds behind the
    // label would shift.
    for (std::size_t tag = m_place; tag-- > BehindLastAttributes(cut);) {
        const std::string_view tags = m_page.substr(tag, m_place - tag);
        if (m_page[tag] == '<' && CountUpTo(m_page, begin, m_place, tags, 1) == 1) {
            Add(startText, 1, tags, withoutAttributesCost);
            return true;
        }
    }
    const auto tagEnds = std::count(m_page.begin() + std::ptrdiff_t(begin), m_page.begin() + std::ptrdiff_t(m_place), '>');
    Add(startText, std::size_t(tagEnds), m_page.substr(m_place - 1, 1), withoutAttributesCost);
    return true;
}

// The length of the "value=" before the value, with its quote, where the
// value is that attribute's; 0 where it is not.
std::size_t TMarkerChoice::ValueAttributeLength() const
{
    constexpr std::string_view kName = "value=";
    const std::size_t quote = m_page[m_place - 1] == '"' || m_page[m_place - 1] == '\'' ? 1 : 0;
    const std::size_t length = kName.size() + quote;
    if (m_place < length || !m_roles.InTag(m_place - 1))
        return 0;
    return FindTextNoCase(kName, m_page.substr(m_place - length, kName.size())) == 1 ? length : 0;
}

// Where the tags up to the value are free of attributes, from `from` on.
std::size_t TMarkerChoice::BehindLastAttributes(std::size_t from) const
{
    std::size_t behind = from;
    for (std::size_t at = from; at < m_place; ++at) {
        if (m_page[at] != '<' || !m_roles.InTag(at))
            continue;
        const std::size_t close = m_page.find('>', at);
        if (close < m_place && m_page.substr(at, close - at).find('=') != std::string_view::npos)
            behind = close + 1;
    }
    return behind;
}

// Where the text of [begin, end) ends without the closing tags and colons
// behind its words: the next firmware may write "IP address:</td>" as
// "IP address<td>".
std::size_t TMarkerChoice::LabelTextEnd(std::size_t begin, std::size_t end) const
{
    while (end > begin) {
        if (m_page[end - 1] == ':') {
            --end;
            continue;
        }
        const std::size_t open = m_page.rfind("</", end - 1);
        if (m_page[end - 1] != '>' || open == std::string_view::npos || open <= begin
            || m_page.find('>', open) != end - 1)
            break;
        end = open;
    }
    return end;
}

// Where the attributes of the code from `begin` to the value start: behind a
// label inside a tag (an id) that more of the tag follows, or at the first
// tag that holds a "="; the value's place where none does.
std::size_t TMarkerChoice::FirstAttributes(std::size_t begin) const
{
    std::size_t at = begin;
    if (m_roles.InTag(begin) && m_page[begin] != '>') {
        at += LabelLengthAt(m_page, begin, m_place, m_roles);
        if (at == begin || m_page[at] != '>')
            return at;
    }
    for (; at < m_place; ++at) {
        if (m_page[at] != '<' || !m_roles.InTag(at) || (at + 1 < m_place && m_page[at + 1] == '/'))
            continue;
        // The tag may hold the value, in its value attribute.
        const std::size_t close = std::min(m_page.find('>', at), m_place);
        if (m_page.substr(at, close - at).find('=') != std::string_view::npos)
            return at;
    }
    return m_place;
}

// No short code is unique: the shortest longer one, found by halving, since
// a code is unique up to the value once any shorter tail of it is.
void TMarkerChoice::AddLongPlainCode()
{
    auto unique = [&](std::size_t length) { return CountUpTo(m_page, 0, m_place, CodeOfLength(length), 1) == 1; };
    std::size_t low = kLongestCode;
    std::size_t high = std::min(m_place, kLongestPlainCode);
    if (high <= low || !unique(high))
        return;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (unique(middle) ? high : low) = middle;
    }
    std::size_t length = high;
    for (std::size_t longer = high; longer <= std::min(m_place, high + kWordStartReach); ++longer) {
        if (StartCost(m_place - longer) == 0) {
            length = longer;
            break;
        }
    }
    Add({}, 1, CodeOfLength(length), CodeCost(length));
}

// Nothing landed within the first counts: the codes that start a tag or a
// word, counted from the page's start as far as the value, however often
// they occur before it.
void TMarkerChoice::AddCodesCountedToTheValue()
{
    std::vector<TCode> codes = m_notUnique;
    std::stable_partition(codes.begin(), codes.end(), [&](const TCode& code) {
        return StartCost(m_place - code.text.size()) <= kPunctuationStartCost;
    });
    codes.resize(std::min(codes.size(), kCodesCountedToTheValue));
    for (const TCode& code : codes) {
        if (const std::size_t count = CountUpTo(m_page, 0, m_place, code.text, SIZE_MAX);
            count > 0 && count <= std::size_t(INT32_MAX))
            Add({}, count, code.text, code.cost + PageStartCountCost(count));
    }
}

// Labels before the value that are unique in the page narrow the counting
// to the part behind them. The page's headings and names come first, then
// nearer before farther.
void TMarkerChoice::AddCodesBehindStartTexts()
{
    struct TPlace {
        std::size_t at;
        int cost;
    };
    std::vector<TPlace> places;
    const std::size_t windowBegin = m_place - std::min(m_place, kStartTextWindow);
    const std::size_t valueRow = RowStartBefore(windowBegin);
    for (std::size_t at = m_place; at-- > windowBegin;) {
        const bool runStart = at == 0 || !IsWordByteAt(m_page, at - 1);
        if (!runStart || !IsWordByteAt(m_page, at))
            continue;
        if (LabelLengthAt(m_page, at, m_place, m_roles) > 0)
            places.push_back({at, LabelWeakness(m_page, at, m_roles) + DistanceCost(m_place - at)});
        else if (m_wide)
            places.push_back({at, kNoLabelStartCost + DistanceCost(m_place - at)});
    }
    const std::size_t mostTries =
        m_wide ? std::clamp(kWideStartTextBytes / std::max<std::size_t>(m_place, 1), kLeastWideStartTextTries,
                            kMostWideStartTextTries)
               : kMostStartTextTries;
    const std::size_t tried = std::min(places.size(), mostTries);
    std::partial_sort(places.begin(), places.begin() + std::ptrdiff_t(tried), places.end(),
                      [](const TPlace& a, const TPlace& b) { return a.cost < b.cost; });
    places.resize(tried);
    for (const TPlace& place : places) {
        const std::optional<std::string_view> startText = StartTextAt(place.at);
        if (!startText)
            continue;
        // A longer label is no less likely to stay; only what is no label costs.
        const std::size_t end = place.at + startText->size();
        // Rows come and go between a table's heading and the value.
        const bool otherRow = valueRow != std::string_view::npos && valueRow >= end;
        const int startCost = kStartDirectiveCost + TextCost(place.at, end) - LengthCost(end - place.at)
                              + place.cost + (otherRow ? kOtherRowStartCost : 0);
        for (const TCode& code : m_notUnique) {
            if (m_place - code.text.size() < place.at)
                break;
            // The counting stays within the window, so it may go on to the value.
            const std::size_t count = CountUpTo(m_page, place.at, m_place, code.text, SIZE_MAX);
            if (count > 0)
                Add(*startText, count, code.text, code.cost + startCost + (count > 1 ? CountCost(count) : 0));
        }
        for (const TCode& code : m_firstOfKind) {
            if (m_place - code.text.size() >= place.at)
                Add(*startText, 1, code.text, code.cost + startCost);
        }
    }
}

// Where the last row of a table starts before the value, from `from` on;
// npos where none does.
std::size_t TMarkerChoice::RowStartBefore(std::size_t from) const
{
    constexpr std::string_view kRow = "<tr";
    for (std::size_t at = m_place - std::min(m_place, kRow.size()) + 1; at-- > from;) {
        if (FindTextNoCase(kRow, m_page.substr(at, kRow.size())) == 1)
            return at;
    }
    return std::string_view::npos;
}

// The shortest text of whole words from `at` on, optionally ending in ":",
// whose first occurrence in the page is at `at`, so that a start directive
// lands there. Its words stay within the text between two tags.
std::optional<std::string_view> TMarkerChoice::StartTextAt(std::size_t at) const
{
    auto landsHere = [&](std::size_t end) {
        return FindTextNoCase(m_page.substr(at, end - at), m_page.substr(0, end)) == at + 1;
    };
    std::size_t end = at;
    for (std::size_t words = 0; words < kWordsPerStartText; ++words) {
        while (end < m_place && IsWordByteAt(m_page, end))
            ++end;
        if (end - at > kLongestStartText)
            return std::nullopt;
        if (landsHere(end))
            return m_page.substr(at, end - at);
        if (end < m_place && m_page[end] == ':' && landsHere(end + 1))
            return m_page.substr(at, end + 1 - at);
        while (end < m_place && !IsWordByteAt(m_page, end) && !std::strchr("<>}", m_page[end]))
            ++end;
        if (end >= m_place || !IsWordByteAt(m_page, end))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::string ComposeMarker(std::string_view startText, std::int32_t count, std::string_view code)
{
    const bool expressible = !code.empty() && BeforeNul(code).size() == code.size()
                             && BeforeNul(startText).size() == startText.size()
                             && startText.find('}') == std::string_view::npos;
    if (!expressible)
        return {};
    // A code that would read as a start directive gets an empty one first.
    const bool codeLooksLikeStart = FindTextNoCase("{startpos=", code) > 0;
    std::string marker;
    if (!startText.empty() || codeLooksLikeStart)
        marker = "{startpos=" + std::string(startText) + "}";
    if (count != 1 || codeLooksLikeStart || code.find('{') != std::string_view::npos)
        marker += "{" + std::to_string(count) + "}";
    marker += code;
    return marker;
}

std::string ComposeMarker(const TMarkerCandidate& candidate)
{
    return ComposeMarker(candidate.startText, candidate.count, candidate.code);
}

std::vector<TMarkerCandidate> MarkersEndingAt(std::string_view page, std::size_t place, TMarkerSearch search)
{
    if (place > BeforeNul(page).size())
        return {};
    return TMarkerChoice(page, place, search).Candidates();
}

std::optional<std::string_view> AfterTextAt(std::string_view page, std::size_t restBegin,
                                            std::size_t valueEnd)
{
    const std::size_t searchable = BeforeNul(page).size();
    if (restBegin > valueEnd || valueEnd >= searchable)
        return std::nullopt;
    // Any text that holds one ending the value there ends it there too.
    auto endsValue = [&](std::size_t length) {
        const std::string_view text = page.substr(valueEnd, length);
        const std::string_view rest = page.substr(restBegin, valueEnd + length - restBegin);
        return FindTextNoCase(text, rest) == valueEnd - restBegin + 1;
    };
    std::size_t high = std::min(searchable - valueEnd, kLongestPlainCode);
    if (!endsValue(high))
        return std::nullopt;
    std::size_t low = 0;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (endsValue(middle) ? high : low) = middle;
    }
    return page.substr(valueEnd, high);
}
