#include "Collation.h"

#include "Cp1252.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstdint>
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
