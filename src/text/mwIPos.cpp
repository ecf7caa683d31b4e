#include "mwIPos.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

// The search runs in two stages. A filter looks for windows whose first and
// last byte match (64 windows at a time, with AVX2 where the processor has
// it) and verifies only those; on HTML this touches each byte about once.
// Texts built to make the filter verify too much, such as long runs of one
// letter, switch the rest of the search to two-way matching, which is linear
// in every case. Neither stage reads past the text or allocates.

namespace {

using Byte = unsigned char;

// Folds A-Z onto a-z; every other byte maps to itself.
constexpr std::array<Byte, 256> MakeLowerCaseTable()
{
    std::array<Byte, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = static_cast<Byte>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    return table;
}

constexpr std::array<Byte, 256> kLowerCase = MakeLowerCaseTable();

constexpr Byte Fold(Byte b)
{
    return kLowerCase[b];
}

bool IsLetter(Byte b)
{
    return Fold(b) != b || (b >= 'a' && b <= 'z');
}

// How many leading bytes of a and b are equal ignoring case, up to length.
std::size_t MatchingPrefix(const Byte* a, const Byte* b, std::size_t length)
{
    std::size_t i = 0;
    while (i < length && Fold(a[i]) == Fold(b[i]))
        ++i;
    return i;
}

// The pattern without what follows its first NUL; never empty here.
struct TPattern {
    const Byte* bytes;
    std::size_t length;
};

// The text and how far it is known to be free of NUL bytes. A window that
// reaches past the first NUL cannot match, and neither can any later one.
class TText {
public:
    TText(const Byte* bytes, std::size_t size) : m_bytes(bytes), m_end(size) {}

    const Byte* Bytes() const { return m_bytes; }
    std::size_t Size() const { return m_end; }

    // True when [0, end) holds no NUL. Checks lazily, a little ahead, so the
    // checking costs no more than the search itself.
    bool NulFreeUpTo(std::size_t end)
    {
        if (end <= m_checked)
            return true;
        if (end > m_end)
            return false;
        const std::size_t upTo = std::min(m_end, std::max(end, m_checked + 256));
        const void* nul = std::memchr(m_bytes + m_checked, 0, upTo - m_checked);
        if (nul) {
            m_end = static_cast<const Byte*>(nul) - m_bytes;
            m_checked = m_end;
            return end <= m_end;
        }
        m_checked = upTo;
        return true;
    }

private:
    const Byte* m_bytes;
    std::size_t m_end;
    std::size_t m_checked = 0;
};

// Critical factorisation of the folded pattern (Crochemore-Perrin): returns
// the split position and stores the period of the pattern's right part.
std::size_t CriticalFactorization(const TPattern& p, std::size_t& period)
{
    const Byte* x = p.bytes;
    const std::size_t m = p.length;
    if (m < 3) {
        period = 1;
        return m - 1;
    }
    auto maximalSuffix = [&](bool reversed, std::size_t& suffixPeriod) {
        std::size_t suffix = SIZE_MAX; // one before the start; wraps on + k
        std::size_t j = 0;
        std::size_t k = 1;
        suffixPeriod = 1;
        while (j + k < m) {
            const Byte a = Fold(x[j + k]);
            const Byte b = Fold(x[suffix + k]);
            if (reversed ? b < a : a < b) {
                j += k;
                k = 1;
                suffixPeriod = j - suffix;
            } else if (a == b) {
                if (k != suffixPeriod) {
                    ++k;
                } else {
                    j += suffixPeriod;
                    k = 1;
                }
            } else {
                suffix = j++;
                k = suffixPeriod = 1;
            }
        }
        return suffix;
    };
    std::size_t forwardPeriod = 1;
    std::size_t reversePeriod = 1;
    const std::size_t forward = maximalSuffix(false, forwardPeriod);
    const std::size_t reverse = maximalSuffix(true, reversePeriod);
    if (reverse + 1 < forward + 1) {
        period = forwardPeriod;
        return forward + 1;
    }
    period = reversePeriod;
    return reverse + 1;
}

// Two-way matching from window `from` on; 0-based index of the first
// occurrence, or SIZE_MAX.
std::size_t TwoWaySearch(const TPattern& p, TText& text, std::size_t from)
{
    const Byte* x = p.bytes;
    const Byte* t = text.Bytes();
    const std::size_t m = p.length;
    std::size_t period = 1;
    const std::size_t split = CriticalFactorization(p, period);
    std::size_t j = from;

    if (MatchingPrefix(x, x + period, split) == split) {
        // Periodic pattern: remember how much of the right part matched.
        std::size_t memory = 0;
        while (text.NulFreeUpTo(j + m)) {
            std::size_t i = std::max(split, memory);
            while (i < m && Fold(x[i]) == Fold(t[i + j]))
                ++i;
            if (i < m) {
                j += i - split + 1;
                memory = 0;
                continue;
            }
            i = split;
            while (i > memory && Fold(x[i - 1]) == Fold(t[i - 1 + j]))
                --i;
            if (i <= memory)
                return j;
            j += period;
            memory = m - period;
        }
        return SIZE_MAX;
    }

    const std::size_t shift = std::max(split, m - split) + 1;
    while (text.NulFreeUpTo(j + m)) {
        std::size_t i = split;
        while (i < m && Fold(x[i]) == Fold(t[i + j]))
            ++i;
        if (i < m) {
            j += i - split + 1;
            continue;
        }
        i = split;
        while (i > 0 && Fold(x[i - 1]) == Fold(t[i - 1 + j]))
            --i;
        if (i == 0)
            return j;
        j += shift;
    }
    return SIZE_MAX;
}

// Matches one byte in either letter case, as a filter on the text.
struct TByteFilter {
    explicit TByteFilter(Byte b) : target(Fold(b)), foldCase(IsLetter(b) ? 0x20 : 0) {}

    bool Matches(Byte b) const { return Byte(b | foldCase) == target; }

    Byte target;
    Byte foldCase; // OR-ing 0x20 lower-cases exactly the letters
};

// Each step looks at the 64 windows that start in one block of the text.
constexpr std::size_t kBlock = 64;

class TFilterSearch {
public:
    TFilterSearch(const TPattern& p, TText& text)
        : m_p(p), m_text(text), m_first(p.bytes[0]), m_last(p.bytes[p.length - 1])
    {}

    // 0-based index of the n-th occurrence (n >= 1), counted without
    // overlap, or SIZE_MAX. `seen`, if set, gets each occurrence on the way.
    std::size_t Run(std::size_t n, const std::function<void(std::size_t)>* seen = nullptr);

private:
    enum class TStep { Continue, Found, NulReached, GiveUp };

    // The first occurrence from window `at` on; switches to two-way for
    // good when the filter gives up.
    std::size_t Next(std::size_t at);

    // The masks have bit i set for the window at `at` + i whose first and
    // last byte match, and for a NUL at `at` + i.
    TStep Block(std::size_t at, std::uint64_t candidates, std::uint64_t nuls, std::size_t& found);

    // Each scan moves `at` over the windows it handled; the scalar one stops
    // before window `end`.
    TStep ScanScalar(std::size_t& at, std::size_t end, std::size_t& found);
#if defined(__x86_64__) && defined(__GNUC__)
    __attribute__((target("avx2"))) TStep ScanAvx2(std::size_t& at, std::size_t& found);
#endif

    // Checks the window at `at` whose first and last byte already match.
    bool Verify(std::size_t at)
    {
        const std::size_t rest = m_p.length - 1;
        const std::size_t matched = MatchingPrefix(m_p.bytes + 1, m_text.Bytes() + at + 1, rest);
        m_verified += 1 + matched;
        return matched == rest;
    }

    bool MatchesAt(std::size_t at)
    {
        const Byte* t = m_text.Bytes();
        return m_first.Matches(t[at]) && m_last.Matches(t[at + m_p.length - 1]) && Verify(at);
    }

    // Verification costs too much against the text covered: time for two-way.
    bool OverBudget(std::size_t at) const { return m_verified > 2 * at + 64 * m_p.length + 1024; }

    const TPattern& m_p;
    TText& m_text;
    TByteFilter m_first;
    TByteFilter m_last;
    std::size_t m_verified = 0;
    bool m_twoWay = false;
};

TFilterSearch::TStep TFilterSearch::Block(std::size_t at, std::uint64_t candidates, std::uint64_t nuls,
                                          std::size_t& found)
{
    if (nuls != 0) // windows from the first NUL on cannot count
        candidates &= (nuls & -nuls) - 1;
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t candidate = at + unsigned(__builtin_ctzll(candidates));
        if (Verify(candidate)) {
            found = candidate;
            return TStep::Found;
        }
    }
    if (nuls != 0)
        return TStep::NulReached;
    return OverBudget(at) ? TStep::GiveUp : TStep::Continue;
}

TFilterSearch::TStep TFilterSearch::ScanScalar(std::size_t& at, std::size_t end, std::size_t& found)
{
    const Byte* t = m_text.Bytes();
    while (at < end) {
        const std::size_t count = std::min(kBlock, end - at);
        std::uint64_t candidates = 0;
        std::uint64_t nuls = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint64_t bit = std::uint64_t(1) << i;
            if (m_first.Matches(t[at + i]) && m_last.Matches(t[at + i + m_p.length - 1]))
                candidates |= bit;
            if (t[at + i] == 0)
                nuls |= bit;
        }
        const TStep step = Block(at, candidates, nuls, found);
        at += count;
        if (step != TStep::Continue)
            return step;
    }
    return TStep::Continue;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) TFilterSearch::TStep TFilterSearch::ScanAvx2(std::size_t& at, std::size_t& found)
{
    const Byte* t = m_text.Bytes();
    const std::size_t tail = m_p.length - 1;
    const __m256i firstCase = _mm256_set1_epi8(char(m_first.foldCase));
    const __m256i firstTarget = _mm256_set1_epi8(char(m_first.target));
    const __m256i lastCase = _mm256_set1_epi8(char(m_last.foldCase));
    const __m256i lastTarget = _mm256_set1_epi8(char(m_last.target));
    const __m256i zero = _mm256_setzero_si256();
    for (; at + kBlock + tail <= m_text.Size(); at += kBlock) {
        std::uint64_t candidates = 0;
        std::uint64_t nuls = 0;
        for (int lane = 0; lane < 2; ++lane) {
            const Byte* heads = t + at + 32 * lane;
            const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(heads));
            const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(heads + tail));
            const __m256i match =
                _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(head, firstCase), firstTarget),
                                 _mm256_cmpeq_epi8(_mm256_or_si256(last, lastCase), lastTarget));
            candidates |= std::uint64_t(unsigned(_mm256_movemask_epi8(match))) << (32 * lane);
            nuls |= std::uint64_t(unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(head, zero)))) << (32 * lane);
        }
        if ((candidates | nuls) == 0)
            continue;
        _mm256_zeroupper(); // Block is plain code: spare it the switch penalty
        const TStep step = Block(at, candidates, nuls, found);
        if (step != TStep::Continue) {
            at += kBlock;
            return step;
        }
    }
    return TStep::Continue;
}
#endif

std::size_t TFilterSearch::Next(std::size_t at)
{
    if (m_twoWay)
        return TwoWaySearch(m_p, m_text, at);
    const std::size_t windows = m_text.Size() - m_p.length + 1;
    if (at < windows && MatchesAt(at)) // when counting, the next often follows at once
        return at;
    std::size_t found = SIZE_MAX;
    TStep step = TStep::Continue;
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    if (hasAvx2)
        step = ScanAvx2(at, found);
#endif
    if (step == TStep::Continue)
        step = ScanScalar(at, windows, found);
    switch (step) {
    case TStep::Found: return found;
    case TStep::GiveUp: m_twoWay = true; return TwoWaySearch(m_p, m_text, at);
    default: return SIZE_MAX;
    }
}

std::size_t TFilterSearch::Run(std::size_t n, const std::function<void(std::size_t)>* seen)
{
    std::size_t found = Next(0);
    while (found != SIZE_MAX) {
        if (seen)
            (*seen)(found);
        if (--n == 0)
            break;
        found = Next(found + m_p.length);
    }
    return found;
}

} // namespace

std::string_view BeforeNul(std::string_view text)
{
    if (text.empty()) // memchr must not see the null data of an empty view
        return text;
    const void* nul = std::memchr(text.data(), 0, text.size());
    return nul ? text.substr(0, static_cast<const char*>(nul) - text.data()) : text;
}

std::size_t FindTextNoCase(std::string_view pattern, std::string_view text)
{
    return FindNthTextNoCase(pattern, text, 1);
}

namespace {

std::size_t FindNth(std::string_view pattern, std::string_view text, std::size_t n,
                    const std::function<void(std::size_t)>* seen)
{
    const std::size_t length = BeforeNul(pattern).size();
    if (length == 0 || length > text.size())
        return 0;
    const TPattern p{reinterpret_cast<const Byte*>(pattern.data()), length};
    TText t(reinterpret_cast<const Byte*>(text.data()), text.size());
    const std::function<void(std::size_t)> seenOneBased = [seen](std::size_t at) { (*seen)(at + 1); };
    const std::size_t found =
        TFilterSearch(p, t).Run(std::max<std::size_t>(n, 1), seen ? &seenOneBased : nullptr);
    return found == SIZE_MAX ? 0 : found + 1;
}

} // namespace

std::size_t FindNthTextNoCase(std::string_view pattern, std::string_view text, std::size_t n)
{
    return FindNth(pattern, text, n, nullptr);
}

std::size_t FindNthTextNoCase(std::string_view pattern, std::string_view text, std::size_t n,
                              const std::function<void(std::size_t)>& seen)
{
    return FindNth(pattern, text, n, &seen);
}
