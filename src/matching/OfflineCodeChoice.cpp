#include "OfflineCodeChoice.h"

#include "PageByteClasses.h"
#include "mwIPos.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

constexpr std::size_t kLongestWindow = 48;
constexpr std::size_t kLongestSeparator = 4;
constexpr std::size_t kLongestDifferenceText = 4096;

// Costs, in bytes of text; each byte of length costs a half.
constexpr int kVolatileByteCost = 40;
constexpr int kShortWordCost = 12; // fewer than four letters: too common
constexpr int kInTagCost = 8;      // state words are mostly visible text
constexpr std::size_t kBytesPerDistanceCost = 16;
constexpr int kHighestDistanceCost = 200;

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

// Calls visit(begin, end) for every word of the text and for every pair of
// neighbouring words with a short separator, as long as it is not too long.
template <typename Visit>
void ForEachWordWindow(std::string_view text, Visit&& visit)
{
    std::size_t previousBegin = std::string_view::npos;
    std::size_t previousEnd = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsWordByte(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && IsWordByte(text[end]))
            ++end;
        if (end - i <= kLongestWindow)
            visit(i, end);
        if (previousBegin != std::string_view::npos && i - previousEnd <= kLongestSeparator
            && end - previousBegin <= kLongestWindow)
            visit(previousBegin, end);
        previousBegin = i;
        previousEnd = end;
        i = end;
    }
}

std::vector<std::uint64_t> WindowHashes(std::string_view page)
{
    std::vector<std::uint64_t> hashes;
    ForEachWordWindow(page, [&](std::size_t begin, std::size_t end) {
        hashes.push_back(FoldedHash(page.substr(begin, end - begin)));
    });
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    return hashes;
}

// For each byte: whether it stands inside a tag. A tag ends behind its
// ">", and the next one may open right there.
std::vector<bool> InsideTags(std::string_view page)
{
    std::vector<bool> inside(page.size());
    bool open = false;
    for (std::size_t i = 0; i < page.size(); ++i) {
        open = OpensTag(page, i) || (open && !(i > 0 && page[i - 1] == '>'));
        inside[i] = open;
    }
    return inside;
}

class TWindowCost {
public:
    TWindowCost(std::string_view page, std::optional<std::size_t> near)
        : m_page(page), m_near(near), m_volatile(page, 0, page.size()), m_insideTags(InsideTags(page))
    {}

    int operator()(std::size_t begin, std::size_t end) const
    {
        const auto letters = std::count_if(m_page.begin() + begin, m_page.begin() + end, [](char c) {
            return IsWordByte(c) && !(c >= '0' && c <= '9') && c != '_';
        });
        int cost = int(end - begin) / 2 + kVolatileByteCost * int(m_volatile.CountIn(begin, end))
                   + (letters < 4 ? kShortWordCost : 0) + (m_insideTags[begin] ? kInTagCost : 0);
        if (m_near) {
            const std::size_t distance = begin > *m_near ? begin - *m_near : *m_near - begin;
            cost += int(std::min<std::size_t>(distance / kBytesPerDistanceCost, kHighestDistanceCost));
        }
        return cost;
    }

private:
    std::string_view m_page;
    std::optional<std::size_t> m_near;
    TVolatileBytes m_volatile;
    std::vector<bool> m_insideTags;
};

// Words and word pairs of the offline page whose folded text the online
// page's words do not hold, each text once, best first.
std::vector<TWindow> NewWordWindows(std::string_view online, std::string_view offline,
                                    std::optional<std::size_t> near)
{
    const std::vector<std::uint64_t> onlineHashes = WindowHashes(online);
    const TWindowCost cost(offline, near);
    std::vector<TWindow> windows;
    ForEachWordWindow(offline, [&](std::size_t begin, std::size_t end) {
        const std::uint64_t hash = FoldedHash(offline.substr(begin, end - begin));
        if (!std::binary_search(onlineHashes.begin(), onlineHashes.end(), hash))
            windows.push_back({hash, begin, end, cost(begin, end)});
    });
    const auto byCost = [](const TWindow& a, const TWindow& b) {
        return a.cost != b.cost ? a.cost < b.cost : a.begin < b.begin;
    };
    std::sort(windows.begin(), windows.end(), [&](const TWindow& a, const TWindow& b) {
        return a.hash != b.hash ? a.hash < b.hash : byCost(a, b);
    });
    windows.erase(std::unique(windows.begin(), windows.end(),
                              [](const TWindow& a, const TWindow& b) { return a.hash == b.hash; }),
                  windows.end());
    std::sort(windows.begin(), windows.end(), byCost);
    return windows;
}

bool Absent(std::string_view text, std::string_view page)
{
    return FindTextNoCase(text, page) == 0;
}

// The shortest text of the offline page from `begin` on that the online
// page lacks; texts that end by `mustReach` are known to be in it.
std::optional<std::string_view> ShortestNewTextFrom(std::string_view online, std::string_view offline,
                                                    std::size_t begin, std::size_t mustReach)
{
    std::size_t low = mustReach - begin;
    std::size_t high = std::min(offline.size() - begin, kLongestDifferenceText);
    if (high <= low || !Absent(offline.substr(begin, high), online))
        return std::nullopt;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        (Absent(offline.substr(begin, middle), online) ? high : low) = middle;
    }
    return offline.substr(begin, high);
}

// The same, ending at `end`; texts that start from `mustReach` on are
// known to be in the online page.
std::optional<std::string_view> ShortestNewTextTo(std::string_view online, std::string_view offline,
                                                  std::size_t end, std::size_t mustReach)
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

// Texts around the first and the last byte in which the pages differ, for
// pages whose words are all the same.
std::vector<std::string_view> DifferenceTexts(std::string_view online, std::string_view offline)
{
    auto same = [](char a, char b) { return Fold(a) == Fold(b); };
    const std::size_t common =
        std::mismatch(offline.begin(), offline.end(), online.begin(), online.end(), same).first
        - offline.begin();
    const std::size_t commonTail =
        std::mismatch(offline.rbegin(), offline.rend(), online.rbegin(), online.rend(), same).first
        - offline.rbegin();
    std::vector<std::string_view> texts;
    if (common == offline.size() || commonTail == offline.size())
        return texts; // the offline page is part of the online one
    for (const std::size_t reach : {0, 8, 32}) {
        const std::size_t begin = common - std::min(common, reach);
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

std::vector<std::string_view> OfflineCodeCandidates(std::string_view onlinePage,
                                                    std::string_view offlinePage, std::size_t most,
                                                    std::optional<std::size_t> near)
{
    const std::string_view online = BeforeNul(onlinePage);
    const std::string_view offline = BeforeNul(offlinePage);
    std::vector<std::string_view> texts;
    for (const TWindow& window : NewWordWindows(online, offline, near)) {
        if (texts.size() + 6 >= most)
            break;
        texts.push_back(offline.substr(window.begin, window.end - window.begin));
    }
    for (const std::string_view text : DifferenceTexts(online, offline))
        texts.push_back(text);
    return texts;
}
