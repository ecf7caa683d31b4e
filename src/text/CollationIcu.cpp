#include "Collation.h"

#include "Cp1252.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uloc.h>
#include <unicode/uset.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace {

// "de_DE.UTF-8@euro" -> "de_DE"; the C locale -> "" (ICU's root).
std::string IcuLocaleId(std::string_view posixName)
{
    const std::string_view language = posixName.substr(0, posixName.find_first_of(".@"));
    if (language.empty() || language == "C" || language == "POSIX")
        return {};
    return std::string(language);
}

// A Windows-1252 text as UTF-16 for ICU; short texts stay on the stack.
class TIcuText {
public:
    explicit TIcuText(std::string_view text)
    {
        UChar* out = m_short;
        if (text.size() > sizeof m_short / sizeof m_short[0]) {
            m_long.resize(text.size());
            out = m_long.data();
        }
        for (std::size_t i = 0; i < text.size(); ++i)
            out[i] = Cp1252ToUnicode(static_cast<unsigned char>(text[i]));
        m_text = out;
        m_size = static_cast<int32_t>(text.size());
    }
    const UChar* Data() const { return m_text; }
    int32_t Size() const { return m_size; }

private:
    UChar m_short[64];
    std::vector<UChar> m_long;
    const UChar* m_text = nullptr;
    int32_t m_size = 0;
};

// The weights of a character (or of a contraction) at the first two levels,
// as key bytes: each weight without its trailing zero bytes, as in ICU's own
// keys.
struct TWeights {
    std::string primary;
    std::string secondary;
};

// The bytes of a weight that many bytes wide, from the highest, without its
// trailing zero bytes.
void AppendWeightBytes(std::uint32_t weight, int bytes, std::string& out)
{
    for (std::uint32_t rest = weight << (8 * (4 - bytes)); rest != 0; rest <<= 8)
        out += char(rest >> 24);
}

// The collation elements ICU gives for the text, as weights. The iterator
// hands out each element in halves: the second, marked by its two lowest
// bits set, holds the low halves of the primary and secondary weights.
TWeights WeightsOf(UCollator* collator, const UChar* text, int32_t size)
{
    std::vector<std::pair<std::uint32_t, std::uint16_t>> elements;
    UErrorCode status = U_ZERO_ERROR;
    UCollationElements* iterator = ucol_openElements(collator, text, size, &status);
    for (int32_t half; U_SUCCESS(status) && (half = ucol_next(iterator, &status)) != UCOL_NULLORDER;) {
        const auto bits = static_cast<std::uint32_t>(half);
        if ((bits & 0xC0) == 0xC0 && !elements.empty()) {
            elements.back().first |= bits >> 16;
            elements.back().second |= (bits >> 8) & 0xFF;
        } else {
            elements.emplace_back(bits & 0xFFFF0000u, std::uint16_t(((bits >> 8) & 0xFF) << 8));
        }
    }
    ucol_closeElements(iterator);
    TWeights weights;
    for (const auto& [primary, secondary] : elements) {
        AppendWeightBytes(primary, 4, weights.primary);
        AppendWeightBytes(secondary, 2, weights.secondary);
    }
    return weights;
}

// ICU's keys, made without ICU for the 256 characters of Windows-1252:
// their weights, taken from ICU once, are put together as ICU puts them
// together, which is several times faster. The two levels are compared one
// after the other, as ICU compares them; only the compression of ICU's own
// keys is left out, which does not change their order.
class TLatinKeys {
public:
    // Null where the collator's rules need more than these tables can hold:
    // contractions of Windows-1252 characters other than pairs that cannot
    // overlap, settings other than the defaults, or weights with bytes
    // below 2, which could not stand next to the level separator 01.
    static std::unique_ptr<TLatinKeys> For(UCollator* collator);

    void Append(std::string_view text, std::string& key) const
    {
        for (std::size_t i = 0; i < text.size();)
            key += Next(text, i).primary;
        key += '\x01';
        for (std::size_t i = 0; i < text.size();)
            key += Next(text, i).secondary;
    }

private:
    static unsigned Byte(char c) { return static_cast<unsigned char>(c); }

    // The weights of the character or pair at i; moves i behind it.
    const TWeights& Next(std::string_view text, std::size_t& i) const
    {
        const unsigned first = Byte(text[i++]);
        if (m_startsPair[first] && i < text.size()) {
            const auto pair = m_pairs.find(first << 8 | Byte(text[i]));
            if (pair != m_pairs.end()) {
                ++i;
                return pair->second;
            }
        }
        return m_single[first];
    }

    bool AddPairs(UCollator* collator);
    bool Usable() const;

    std::array<TWeights, 256> m_single;
    std::bitset<256> m_startsPair;
    std::map<unsigned, TWeights> m_pairs; // first byte << 8 | second byte
};

std::unique_ptr<TLatinKeys> TLatinKeys::For(UCollator* collator)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto isDefault = [&](UColAttribute attribute) {
        return ucol_getAttribute(collator, attribute, &status) ==
               (attribute == UCOL_ALTERNATE_HANDLING ? UCOL_NON_IGNORABLE : UCOL_OFF);
    };
    if (!isDefault(UCOL_ALTERNATE_HANDLING) || !isDefault(UCOL_FRENCH_COLLATION) ||
        !isDefault(UCOL_NORMALIZATION_MODE) || !isDefault(UCOL_NUMERIC_COLLATION) ||
        !isDefault(UCOL_CASE_LEVEL) || U_FAILURE(status))
        return nullptr;
    auto keys = std::make_unique<TLatinKeys>();
    for (unsigned byte = 0; byte < 256; ++byte) {
        const UChar character = Cp1252ToUnicode(static_cast<unsigned char>(byte));
        keys->m_single[byte] = WeightsOf(collator, &character, 1);
    }
    if (!keys->AddPairs(collator) || !keys->Usable())
        return nullptr;
    return keys;
}

// Takes the contractions that consist of Windows-1252 characters, such as
// "l·" of the root collation.
bool TLatinKeys::AddPairs(UCollator* collator)
{
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(collator, contractions, nullptr, true, &status);
    std::bitset<256> endsPair;
    bool usable = U_SUCCESS(status);
    for (int32_t item = 0; usable && item < uset_getItemCount(contractions); ++item) {
        UChar32 start = 0, end = 0;
        UChar text[8];
        const int32_t size = uset_getItem(contractions, item, &start, &end, text, 8, &status);
        if (size <= 0)
            continue; // a range of single characters: no contraction
        std::string bytes;
        for (int32_t i = 0; i < size && bytes.size() == std::size_t(i); ++i) {
            if (const int byte = UnicodeToCp1252(text[i]); byte >= 0)
                bytes += char(byte);
        }
        if (bytes.size() != std::size_t(size))
            continue; // holds a character that names never hold
        usable = size == 2;
        if (usable) {
            m_startsPair.set(Byte(bytes[0]));
            endsPair.set(Byte(bytes[1]));
            m_pairs[Byte(bytes[0]) << 8 | Byte(bytes[1])] = WeightsOf(collator, text, 2);
        }
    }
    uset_close(contractions);
    return usable && (m_startsPair & endsPair).none();
}

bool TLatinKeys::Usable() const
{
    const auto fits = [](const TWeights& weights) {
        return std::all_of(weights.primary.begin(), weights.primary.end(), [](char c) { return Byte(c) >= 2; }) &&
               std::all_of(weights.secondary.begin(), weights.secondary.end(),
                           [](char c) { return Byte(c) >= 2; });
    };
    return std::all_of(m_single.begin(), m_single.end(), fits) &&
           std::all_of(m_pairs.begin(), m_pairs.end(), [&](const auto& pair) { return fits(pair.second); });
}

} // namespace

struct TCollator::TData {
    UCollator* collator = nullptr;
    bool latinKeysTried = false;
    std::unique_ptr<TLatinKeys> latinKeys;
    ~TData()
    {
        if (collator)
            ucol_close(collator);
    }
};

TCollator::TCollator(std::string_view localeName) : m_data(std::make_unique<TData>())
{
    UErrorCode status = U_ZERO_ERROR;
    m_data->collator = ucol_open(IcuLocaleId(localeName).c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        m_data->collator = ucol_open("", &status);
    }
    if (U_FAILURE(status)) {
        m_data->collator = nullptr;
        return;
    }
    // Secondary strength: base letters and accents count, case does not.
    ucol_setStrength(m_data->collator, UCOL_SECONDARY);
}

TCollator::~TCollator() = default;

int TCollator::Compare(std::string_view a, std::string_view b) const
{
    if (!m_data->collator)
        return a.compare(b);
    const TIcuText x(a), y(b);
    return ucol_strcoll(m_data->collator, x.Data(), x.Size(), y.Data(), y.Size());
}

void TCollator::AppendSortKey(std::string_view text, std::string& key) const
{
    if (!m_data->collator) {
        key.append(text); // in byte order, as Compare
        return;
    }
    // The tables are made for the first key: comparing needs none.
    if (!std::exchange(m_data->latinKeysTried, true))
        m_data->latinKeys = TLatinKeys::For(m_data->collator);
    if (m_data->latinKeys) {
        m_data->latinKeys->Append(text, key);
        return;
    }
    const TIcuText icu(text);
    std::uint8_t buffer[256];
    int32_t length = ucol_getSortKey(m_data->collator, icu.Data(), icu.Size(), buffer, int32_t(sizeof buffer));
    if (length <= int32_t(sizeof buffer)) {
        key.append(reinterpret_cast<const char*>(buffer), std::size_t(length - 1));
        return;
    }
    std::vector<std::uint8_t> large(static_cast<std::size_t>(length));
    length = ucol_getSortKey(m_data->collator, icu.Data(), icu.Size(), large.data(), length);
    key.append(reinterpret_cast<const char*>(large.data()), std::size_t(length - 1));
}

std::string TCollator::LocaleId() const
{
    if (!m_data->collator)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const char* id = ucol_getLocaleByType(m_data->collator, ULOC_ACTUAL_LOCALE, &status);
    return U_SUCCESS(status) && id ? id : "";
}

std::string SystemCollationLocale()
{
    return {};
}
