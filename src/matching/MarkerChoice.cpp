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
// Start texts are looked for this far before the value, nearest first.
constexpr std::size_t kStartTextWindow = 8192;
constexpr std::size_t kMostStartTexts = 16;
constexpr std::size_t kMostStartTextTries = 48; // each try searches the page
constexpr std::size_t kLongestStartText = 48;
constexpr std::size_t kWordsPerStartText = 3;
// A higher count is too fragile to propose.
constexpr std::size_t kHighestCount = 200;

// Costs, in units of one byte of marker text. A volatile byte will likely
// be different on the next visit; a label keeps a marker in place when rows
// come and go; a directive is only worth it where no plain code will do,
// and the more of the page it counts over, the more can shift it.
constexpr std::size_t kCheapLength = 48; // each byte beyond costs three
constexpr int kVolatileByteCost = 160;
constexpr int kNoLabelCost = 60;
constexpr int kStartDirectiveCost = 48;
constexpr int kCountDirectiveCost = 56;
constexpr int kCountDoublingCost = 16;
constexpr int kMidWordStartCost = 60;
constexpr int kCamelCaseStartCost = 6;
constexpr int kPunctuationStartCost = 8;
constexpr int kStartTextInTagCost = 8; // visible text is the better landmark
constexpr std::size_t kBytesPerDistanceCost = 64;
constexpr int kHighestDistanceCost = 64;

int CountCost(std::size_t count)
{
    int doublings = 0;
    while (count > 1) {
        count /= 2;
        ++doublings;
    }
    return kCountDirectiveCost + kCountDoublingCost * doublings;
}

int LengthCost(std::size_t length)
{
    return int(length + 2 * (length - std::min(length, kCheapLength)));
}

int DistanceCost(std::size_t distance)
{
    return int(std::min<std::size_t>(distance / kBytesPerDistanceCost, kHighestDistanceCost));
}

struct TCounting {
    std::size_t count = 0; // 0: the counting misses the place
    std::size_t first = 0; // where the first counted occurrence starts
};

// Counts the occurrences of code in text[from, to) without overlap, from
// `from` on, up to the one that ends at `to`. Misses when the counting
// passes over that place or needs more than `most` occurrences.
TCounting CountUpTo(std::string_view text, std::size_t from, std::size_t to, std::string_view code,
                    std::size_t most)
{
    TCounting counting;
    for (std::size_t pos = from; counting.count < most;) {
        const std::size_t found = FindTextNoCase(code, text.substr(pos, to - pos));
        if (found == 0)
            break;
        if (counting.count++ == 0)
            counting.first = pos + found - 1;
        pos += found - 1 + code.size();
        if (pos == to)
            return counting;
    }
    return {};
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

class TMarkerChoice {
public:
    TMarkerChoice(std::string_view page, std::size_t place)
        : m_page(page), m_place(place),
          m_volatile(page, place - std::min(place, kStartTextWindow), place)
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
    int TextCost(std::size_t begin, std::size_t end) const
    {
        return LengthCost(end - begin) + kVolatileByteCost * int(m_volatile.CountIn(begin, end))
               + (HoldsLabel(m_page, begin, end, m_volatile) ? 0 : kNoLabelCost);
    }
    int CodeCost(std::size_t length) const
    {
        return TextCost(m_place - length, m_place) + StartCost(m_place - length);
    }
    int BestCost() const;
    void Add(std::string_view startText, std::size_t count, std::string_view code, int cost)
    {
        m_candidates.push_back({startText, std::int32_t(count), code, cost});
    }

    void AddWholePageMarker();
    void AddCodesFromPageStart();
    void AddLongPlainCode();
    void AddCodesBehindStartTexts();
    std::optional<std::string_view> StartTextAt(std::size_t at) const;

    std::string_view m_page;
    std::size_t m_place;
    TVolatileBytes m_volatile;
    std::vector<TCode> m_notUnique; // codes from page start on, shortest first
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
    if (BestCost() > kStartDirectiveCost + 2)
        AddCodesBehindStartTexts();
    std::stable_sort(m_candidates.begin(), m_candidates.end(),
                     [](const TMarkerCandidate& a, const TMarkerCandidate& b) {
                         return a.cost < b.cost;
                     });
    return m_candidates;
}

// Codes read best from the start of a tag, a quoted text or a word, and
// worst from inside a word or a tag's name.
int TMarkerChoice::StartCost(std::size_t at) const
{
    const char c = m_page[at];
    if (c == '<' || c == '"' || c == '\'')
        return 0;
    if (!IsWordByte(c))
        return kPunctuationStartCost;
    const char before = at > 0 ? m_page[at - 1] : '\0';
    if (!StartsWord(m_page, at) || before == '<' || before == '/')
        return kMidWordStartCost;
    return IsWordByte(before) ? kCamelCaseStartCost : 0;
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
    for (std::size_t length = 1; length <= std::min(m_place, kLongestCode); ++length) {
        const std::string_view code = CodeOfLength(length);
        const int cost = CodeCost(length);
        // Any code that holds a unique one is unique too.
        const TCounting counting =
            uniqueLength > 0 ? TCounting{1, 0} : CountUpTo(m_page, 0, m_place, code, kHighestCount);
        if (counting.count == 1) {
            Add({}, 1, code, cost);
            uniqueLength = uniqueLength > 0 ? uniqueLength : length;
            continue;
        }
        m_notUnique.push_back({code, cost});
        if (counting.count > 1)
            Add({}, counting.count, code,
                cost + CountCost(counting.count) + DistanceCost(m_place - counting.first));
    }
}

// No short code is unique: the shortest longer one, found by halving, since
// a code is unique up to the value once any shorter tail of it is.
void TMarkerChoice::AddLongPlainCode()
{
    auto unique = [&](std::size_t length) {
        return CountUpTo(m_page, 0, m_place, CodeOfLength(length), 1).count == 1;
    };
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

// Labels before the value that are unique in the page narrow the counting
// to the part behind them.
void TMarkerChoice::AddCodesBehindStartTexts()
{
    const std::size_t windowBegin = m_place - std::min(m_place, kStartTextWindow);
    std::size_t found = 0;
    std::size_t tries = 0;
    for (std::size_t at = m_place; at-- > windowBegin;) {
        if (found == kMostStartTexts || tries == kMostStartTextTries)
            break;
        const bool wordStart = at == 0 || !IsWordByte(m_page[at - 1]);
        if (!wordStart || LabelLengthAt(m_page, at, m_place, m_volatile) == 0)
            continue;
        ++tries;
        const std::optional<std::string_view> startText = StartTextAt(at);
        if (!startText)
            continue;
        ++found;
        const int startCost = kStartDirectiveCost + TextCost(at, at + startText->size())
                              + DistanceCost(m_place - at)
                              + (IsInsideTag(m_page, at) ? kStartTextInTagCost : 0);
        for (const TCode& code : m_notUnique) {
            if (m_place - code.text.size() < at)
                break;
            const std::size_t count = CountUpTo(m_page, at, m_place, code.text, kHighestCount).count;
            if (count > 0)
                Add(*startText, count, code.text,
                    code.cost + startCost + (count > 1 ? CountCost(count) : 0));
        }
    }
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
        while (end < m_place && IsWordByte(m_page[end]))
            ++end;
        if (end - at > kLongestStartText)
            return std::nullopt;
        if (landsHere(end))
            return m_page.substr(at, end - at);
        if (end < m_place && m_page[end] == ':' && landsHere(end + 1))
            return m_page.substr(at, end + 1 - at);
        while (end < m_place && !IsWordByte(m_page[end]) && !std::strchr("<>}", m_page[end]))
            ++end;
        if (end >= m_place || !IsWordByte(m_page[end]))
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

std::vector<TMarkerCandidate> MarkersEndingAt(std::string_view page, std::size_t place)
{
    if (place > BeforeNul(page).size())
        return {};
    return TMarkerChoice(page, place).Candidates();
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
