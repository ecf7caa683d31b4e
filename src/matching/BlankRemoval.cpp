#include "BlankRemoval.h"

#include <array>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

template <bool kLineBreaksToo>
constexpr bool IsBlank(unsigned char c)
{
    return c == ' ' || (kLineBreaksToo && (c == '\n' || c == '\r' || c == '\t'));
}

template <bool kLineBreaksToo>
char* CopyKeptBytes(const char* in, const char* end, char* out)
{
    for (; in != end; ++in) {
        *out = *in; // written always, kept only when out moves on
        out += !IsBlank<kLineBreaksToo>(static_cast<unsigned char>(*in));
    }
    return out;
}

#if defined(__x86_64__) && defined(__GNUC__)
// For each 8-bit mask of bytes to keep, the shuffle that packs them to the front.
constexpr std::array<std::uint64_t, 256> MakePackShuffles()
{
    std::array<std::uint64_t, 256> shuffles{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::uint64_t shuffle = 0;
        unsigned packed = 0;
        for (unsigned i = 0; i < 8; ++i) {
            if (mask >> i & 1)
                shuffle |= std::uint64_t(i) << (8 * packed++);
        }
        shuffles[mask] = shuffle;
    }
    return shuffles;
}

constexpr std::array<std::uint64_t, 256> kPackShuffles = MakePackShuffles();

// 16 bytes at a time: a mask of the blanks, then each half packed with one
// shuffle. Stores may run ahead of out, never beyond the bytes already read.
template <bool kLineBreaksToo>
__attribute__((target("ssse3,popcnt"))) char* CopyKeptBytesSsse3(const char* in, const char* end, char* out)
{
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; end - in >= 16; in += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        __m128i blanks = _mm_cmpeq_epi8(bytes, space);
        if constexpr (kLineBreaksToo) {
            blanks = _mm_or_si128(blanks, _mm_or_si128(_mm_cmpeq_epi8(bytes, lf),
                                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, cr),
                                                                    _mm_cmpeq_epi8(bytes, tab))));
        }
        const unsigned keep = ~unsigned(_mm_movemask_epi8(blanks)) & 0xFFFF;
        if (keep == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
            out += 16;
            continue;
        }
        const unsigned low = keep & 0xFF;
        const unsigned high = keep >> 8;
        const __m128i lowShuffle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&kPackShuffles[low]));
        const __m128i highShuffle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&kPackShuffles[high]));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(bytes, lowShuffle));
        out += __builtin_popcount(low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(_mm_srli_si128(bytes, 8), highShuffle));
        out += __builtin_popcount(high);
    }
    return CopyKeptBytes<kLineBreaksToo>(in, end, out);
}
#endif

template <bool kLineBreaksToo>
char* CopyKept(const char* in, const char* end, char* out)
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool hasSsse3 = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
    if (hasSsse3)
        return CopyKeptBytesSsse3<kLineBreaksToo>(in, end, out);
#endif
    return CopyKeptBytes<kLineBreaksToo>(in, end, out);
}

} // namespace

char* CopyWithoutBlanks(const char* in, const char* end, char* out, bool lineBreaksToo)
{
    return lineBreaksToo ? CopyKept<true>(in, end, out) : CopyKept<false>(in, end, out);
}
