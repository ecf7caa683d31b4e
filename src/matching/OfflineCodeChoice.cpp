#include "OfflineCodeChoice.h"

#include "PageByteClasses.h"
#include "mwIPos.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr std::size_t kLongestWindow = 64;
constexpr std::size_t kLongestSeparator = 4;
constexpr std::size_t kLongestDifferenceText = 4096;
// The offline page is judged in blocks, so that its roles take little memory.
constexpr std::size_t kBlock = std::size_t(1) << 16;
// Candidates kept before the final ranking, as a multiple of those asked for.
constexpr std::size_t kKeptPerCandidate = 4;

// Costs, in letters: each letter makes a text more distinctive.
constexpr int kMostLettersCounted = 24;
constexpr int kPairCost = 8; // a word alone reads better
constexpr int kVolatileByteCost = 40;
constexpr int kForeignByteCost = 4;
constexpr int kShortWordCost = 24; // fewer than four letters: too common
constexpr std::size_t kLettersOfAName = 4;
constexpr int kInTagCost = 16;     // state words are mostly visible text
constexpr int kStateWordGain = 32;
constexpr int kCommonWordCost = 200;
constexpr std::size_t kBytesPerDistanceCost = 64;
constexpr int kHighestDistanceCost = 32;

// Parts of texts that tell that a connection is down.
constexpr std::string_view kStateWords[] = {
    "offline", "getrennt", "nichtverbunden", "notconnected", "disconnected", "nosignal", "keinsignal",
    "keineverbindung", "unterbrochen", "notsynchron", "unsynchron", "nichtsynchron", "failed", "fehlgeschlagen",
    "nocarrier", "linkdown", "notregistered", "noservice"};
// Words that any page may hold; a text made of nothing else tells nothing.
constexpr std::string_view kCommonWords[] = {
    "hier", "here", "click", "klicken", "klick", "sie", "you", "your", "ihr", "ihre", "bitte", "please", "the",
    "and", "und", "to", "try", "again", "erneut", "home", "start", "back", "weiter", "next",
    "help", "hilfe", "login", "logout", "anmelden", "abmelden", "more", "mehr", "info", "details", "status",
    "ok", "cancel", "abbrechen", "refresh", "aktualisieren", "update", "save", "speichern", "apply", "menu",
    "search", "suche", "page", "seite", "link", "der", "die", "das", "of", "in", "is", "ist", "for",
    "mit", "with", "a", "an", "ein", "eine", "zu", "auf", "on", "at", "or", "oder", "close", "show", "zeigen",
    "view", "ansicht", "overview", "settings", "einstellungen"};

struct TWindow {
    std::uint64_t hash;
    std::size_t begin;
    std::size_t end;
    int cost;
};

char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

std::uint64_t FoldedHash(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(Fold(c))) * 1099511628211ull;
    return hash;
}

// Calls visit(begin, end, pair) for every word of the text and for every
// pair of neighbouring words with a short separator outside tags, as long as
// it is not too long.
template <typename Visit>
void ForEachWordWindow(std::string_view text, Visit&& visit)
{
    std::size_t previousBegin = std::string_view::npos;
    std::size_t previousEnd = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsWordByteAt(text, i)) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsWordByteAt(text, end))
            ++end;
        if (end - i <= kLongestWindow)
            visit(i, end, false);
        const std::string_view separator = text.substr(previousEnd, i - previousEnd);
        if (previousBegin != std::string_view::npos && separator.size() <= kLongestSeparator
            && separator.find_first_of("<>") == std::string_view::npos && end - previousBegin <= kLongestWindow)
            visit(previousBegin, end, true);
        previousBegin = i;
        previousEnd = end;
        i = end;
    }
}

// Which folded word texts the online pages hold: a bit field with two bits
// per text, about one byte per byte of the pages. A text it has not seen
// may now and then read as seen; the candidate is then passed over, never
// wrongly proposed.
class TSeenTexts {
public:
    explicit TSeenTexts(const std::vector<std::string_view>& pages)
    {
        std::size_t bytes = 0;
        for (const std::string_view page : pages)
            bytes += page.size();
        m_bits.assign(std::max<std::size_t>(bytes / 8, 1024), 0);
        for (const std::string_view page : pages) {
            ForEachWordWindow(page, [&](std::size_t begin, std::size_t end, bool) {
                const std::uint64_t hash = FoldedHash(page.substr(begin, end - begin));
                for (const std::size_t bit : Bits(hash))
                    m_bits[bit / 64] |= std::uint64_t(1) << (bit % 64);
            });
        }
    }

    bool MayHold(std::uint64_t hash) const
    {
        const auto bits = Bits(hash);
        return std::all_of(bits.begin(), bits.end(),
                           [&](std::size_t bit) { return m_bits[bit / 64] >> (bit % 64) & 1; });
    }

private:
    std::array<std::size_t, 2> Bits(std::uint64_t hash) const
    {
        const std::size_t count = m_bits.size() * 64;
        return {std::size_t(hash % count), std::size_t((hash >> 32 ^ hash * 0x9E3779B97F4A7C15ull) % count)};
    }

    std::vector<std::uint64_t> m_bits;
};

// Whether the letters of the text, folded, are made of words of the list
// alone (`wholly`), or hold one of its words. A letter beyond ASCII makes a
// text no common one.
template <std::size_t N>
bool MadeOf(std::string_view text, const std::string_view (&words)[N], bool wholly)
{
    std::string letters;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 && wholly)
            return false;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            letters += Fold(c);
    }
    if (!wholly) {
        return std::any_of(std::begin(words), std::end(words),
                           [&](std::string_view word) { return letters.find(word) != std::string::npos; });
    }
    // Whether each prefix of the letters splits into words of the list.
    std::vector<bool> splits(letters.size() + 1, false);
    splits[0] = true;
    for (std::size_t end = 1; end <= letters.size(); ++end) {
        for (const std::string_view word : words) {
            if (word.size() <= end && splits[end - word.size()]
                && std::string_view(letters).substr(end - word.size(), word.size()) == word) {
                splits[end] = true;
                break;
            }
        }
    }
    return !letters.empty() && splits[letters.size()];
}

class TWindowCost {
public:
    TWindowCost(std::string_view page, std::optional<std::size_t> near) : m_page(page), m_near(near) {}

    // The cost without the words of the text; windows must come block by block.
    int operator()(std::size_t begin, std::size_t end)
    {
        if (!m_roles || begin >= m_blockEnd) {
            const std::size_t blockBegin = begin - begin % kBlock;
            m_blockEnd = blockBegin + kBlock;
            m_roles.emplace(m_page, blockBegin, std::min(m_page.size(), m_blockEnd + kLongestWindow));
        }
        int letters = 0;
        int foreign = 0;
        for (std::size_t i = begin; i < end; ++i) {
            letters += IsLetterAt(m_page, i);
            foreign += IsForeignByteAt(m_page, i);
        }
        int cost = kMostLettersCounted - std::min(letters, kMostLettersCounted)
                   + kVolatileByteCost * int(m_roles->VolatileIn(begin, end)) + kForeignByteCost * foreign
                   + (letters < 4 ? kShortWordCost : 0) + (m_roles->InTag(begin) ? kInTagCost : 0);
        if (m_near) {
            const std::size_t distance = begin > *m_near ? begin - *m_near : *m_near - begin;
            cost += int(std::min<std::size_t>(distance / kBytesPerDistanceCost, kHighestDistanceCost));
        }
        return cost;
    }

private:
    std::string_view m_page;
    std::optional<std::size_t> m_near;
    std::optional<TByteRoles> m_roles;
    std::size_t m_blockEnd = 0;
};

// The best windows seen, each text once, at most a few times `most`.
class TBestWindows {
public:
    explicit TBestWindows(std::size_t most) : m_most(most) {}

    void Add(const TWindow& window)
    {
        m_windows.push_back(window);
        if (m_windows.size() >= 2 * m_most)
            Shrink();
    }

    std::vector<TWindow> Take()
    {
        Shrink();
        std::sort(m_windows.begin(), m_windows.end(), ByCost);
        return std::move(m_windows);
    }

private:
    static bool ByCost(const TWindow& a, const TWindow& b)
    {
        return a.cost != b.cost ? a.cost < b.cost : a.begin < b.begin;
    }

    void Shrink()
    {
        std::sort(m_windows.begin(), m_windows.end(), [](const TWindow& a, const TWindow& b) {
            return a.hash != b.hash ? a.hash < b.hash : ByCost(a, b);
        });
        m_windows.erase(std::unique(m_windows.begin(), m_windows.end(),
                                    [](const TWindow& a, const TWindow& b) { return a.hash == b.hash; }),
                        m_windows.end());
        if (m_windows.size() > m_most) {
            std::nth_element(m_windows.begin(), m_windows.begin() + std::ptrdiff_t(m_most), m_windows.end(),
                             ByCost);
            m_windows.resize(m_most);
        }
    }

    std::size_t m_most;
    std::vector<TWindow> m_windows;
};

// Words and word pairs of the offline page whose folded text the online
// pages' words do not hold, each text once, best first.
std::vector<TWindow> NewWordWindows(const std::vector<std::string_view>& online, std::string_view offline,
                                    std::size_t most, std::optional<std::size_t> near)
{
    const TSeenTexts seen(online);
    TWindowCost cost(offline, near);
    TBestWindows best(kKeptPerCandidate * most);
    ForEachWordWindow(offline, [&](std::size_t begin, std::size_t end, bool pair) {
        const std::uint64_t hash = FoldedHash(offline.substr(begin, end - begin));
        if (!seen.MayHold(hash))
            best.Add({hash, begin, end, cost(begin, end) + (pair ? kPairCost : 0)});
    });
    std::vector<TWindow> windows = best.Take();
    for (TWindow& window : windows) {
        const std::string_view text = offline.substr(window.begin, window.end - window.begin);
        window.cost += (MadeOf(text, kCommonWords, true) ? kCommonWordCost : 0)
                       - (MadeOf(text, kStateWords, false) ? kStateWordGain : 0);
    }
    std::stable_sort(windows.begin(), windows.end(),
                     [](const TWindow& a, const TWindow& b) { return a.cost < b.cost; });
    return windows;
}

// The letters of the text outside tags; a text may start inside one.
std::size_t LetterCount(std::string_view text)
{
    const std::size_t firstClose = text.find('>');
    bool inTag = firstClose != std::string_view::npos && text.substr(0, firstClose).find('<') == std::string_view::npos;
    std::size_t letters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        inTag = text[i] == '<' || (inTag && text[i] != '>');
        letters += !inTag && IsLetterAt(text, i);
    }
    return letters;
}

bool Absent(std::string_view text, const std::vector<std::string_view>& pages)
{
    return std::all_of(pages.begin(), pages.end(),
                       [&](std::string_view page) { return FindTextNoCase(text, page) == 0; });
}

// The shortest text of the offline page from `begin` on that the online
// pages lack; texts that end by `mustReach` are known to be in them.
std::optional<std::string_view> ShortestNewTextFrom(const std::vector<std::string_view>& online,
                                                    std::string_view offline, std::size_t begin,
                                                    std::size_t mustReach)
{
    std::size_t low = mustReach - begin;
    std::size_t high = std::min(offline.size() - begin, kLongestDifferenceText);
    if (high <= low || !Absent(offline.substr(begin, high), online))
        return std::nullopt;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (Absent(offline.substr(begin, middle), online) ? high : low) = middle;
    }
    // To the end of the word it stops in, which reads better and tells more.
    for (std::size_t longer = 0; longer < kLongestWindow && begin + high < offline.size()
                                 && IsWordByteAt(offline, begin + high) && IsWordByteAt(offline, begin + high - 1);
         ++longer)
        ++high;
    return offline.substr(begin, high);
}

// The same, ending at `end`; texts that start from `mustReach` on are
// known to be in the online pages.
std::optional<std::string_view> ShortestNewTextTo(const std::vector<std::string_view>& online,
                                                  std::string_view offline, std::size_t end, std::size_t mustReach)
{
    std::size_t low = end - mustReach;
    std::size_t high = std::min(end, kLongestDifferenceText);
    if (high <= low || !Absent(offline.substr(end - high, high), online))
        return std::nullopt;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (Absent(offline.substr(end - middle, middle), online) ? high : low) = middle;
    }
    return offline.substr(end - high, high);
}

// Texts around the first and the last byte in which the offline page
// differs from the first online page, for pages whose words are all the same.
std::vector<std::string_view> DifferenceTexts(const std::vector<std::string_view>& online,
                                              std::string_view offline)
{
    auto same = [](char a, char b) { return Fold(a) == Fold(b); };
    const std::string_view first = online.front();
    const std::size_t common =
        std::mismatch(offline.begin(), offline.end(), first.begin(), first.end(), same).first - offline.begin();
    const std::size_t commonTail =
        std::mismatch(offline.rbegin(), offline.rend(), first.rbegin(), first.rend(), same).first
        - offline.rbegin();
    std::vector<std::string_view> texts;
    if (common == offline.size() || commonTail == offline.size())
        return texts; // the offline page is part of the online one
    // From a little before the difference first, from the start of the
    // text it stands in or behind: the label names what differs.
    for (const std::size_t reach : {32, 8, 0}) {
        std::size_t begin = common - std::min(common, reach);
        while (begin < common && !(begin > 0 && offline[begin - 1] == '>' && IsWordByteAt(offline, begin)))
            ++begin;
        if (const auto text = ShortestNewTextFrom(online, offline, begin, common))
            texts.push_back(*text);
        const std::size_t lastDifferent = offline.size() - commonTail - 1;
        const std::size_t end = std::min(offline.size(), lastDifferent + 1 + reach);
        if (const auto text = ShortestNewTextTo(online, offline, end, lastDifferent + 1))
            texts.push_back(*text);
    }
    return texts;
}

} // namespace

std::vector<std::string_view> OfflineCodeCandidates(const std::vector<std::string_view>& onlinePages,
                                                    std::string_view offlinePage, std::size_t most,
                                                    std::optional<std::size_t> near)
{
    std::vector<std::string_view> online;
    for (const std::string_view page : onlinePages)
        online.push_back(BeforeNul(page));
    const std::string_view offline = BeforeNul(offlinePage);
    std::vector<std::string_view> texts;
    if (online.empty())
        return texts;
    // Numbers alone (a time "00" where the online page counted on) tell
    // less than the text around the first difference, which names them.
    std::vector<std::string_view> numbers;
    for (const TWindow& window : NewWordWindows(online, offline, most, near)) {
        if (texts.size() + numbers.size() + 6 >= most)
            break;
        const std::string_view text = offline.substr(window.begin, window.end - window.begin);
        (LetterCount(text) > 0 ? texts : numbers).push_back(text);
    }
    std::vector<std::string_view> differences = DifferenceTexts(online, offline);
    std::stable_partition(differences.begin(), differences.end(),
                          [](std::string_view text) { return LetterCount(text) >= kLettersOfAName; });
    texts.insert(texts.end(), differences.begin(), differences.end());
    texts.insert(texts.end(), numbers.begin(), numbers.end());
    return texts;
}
