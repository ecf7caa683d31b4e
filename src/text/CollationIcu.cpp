#include "Collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

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

const UChar* IcuText(std::u16string_view text)
{
    return reinterpret_cast<const UChar*>(text.data());
}

} // namespace

struct TCollator::TData {
    UCollator* collator = nullptr;
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

int TCollator::Compare(std::u16string_view a, std::u16string_view b) const
{
    if (!m_data->collator)
        return a.compare(b);
    return ucol_strcoll(m_data->collator, IcuText(a), int32_t(a.size()), IcuText(b), int32_t(b.size()));
}

void TCollator::AppendSortKey(std::u16string_view text, std::string& key) const
{
    if (!m_data->collator) {
        // Code units as big-endian pairs with 1 added, so that no byte is 0.
        for (const char16_t unit : text) {
            const unsigned value = unsigned(unit) + 1;
            key += char(0x80 | (value >> 10));
            key += char(0x80 | ((value >> 5) & 0x1F));
            key += char(0x80 | (value & 0x1F));
        }
        return;
    }
    std::uint8_t buffer[256];
    int32_t length = ucol_getSortKey(m_data->collator, IcuText(text), int32_t(text.size()), buffer,
                                     int32_t(sizeof buffer));
    if (length <= int32_t(sizeof buffer)) {
        key.append(reinterpret_cast<const char*>(buffer), std::size_t(length - 1));
        return;
    }
    std::vector<std::uint8_t> large(static_cast<std::size_t>(length));
    length = ucol_getSortKey(m_data->collator, IcuText(text), int32_t(text.size()), large.data(), length);
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
