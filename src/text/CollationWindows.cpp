#include "Collation.h"

#include "Cp1252.h"

#include <windows.h>

#include <vector>

namespace {

// Letters and accents count, case does not.
constexpr DWORD kFlags = NORM_IGNORECASE;

// "de_DE.UTF-8" or "de-DE" -> L"de-DE"; the C locale -> L"" (invariant).
std::wstring WindowsLocaleName(std::string_view name)
{
    const std::string_view language = name.substr(0, name.find_first_of(".@"));
    if (language.empty() || language == "C" || language == "POSIX")
        return {};
    std::wstring out;
    for (const char c : language)
        out += c == '_' ? L'-' : wchar_t(static_cast<unsigned char>(c));
    return IsValidLocaleName(out.c_str()) ? out : std::wstring();
}

// A Windows-1252 text as UTF-16.
std::wstring Wide(std::string_view text)
{
    std::wstring out(text.size(), L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = wchar_t(Cp1252ToUnicode(static_cast<unsigned char>(text[i])));
    return out;
}

} // namespace

struct TCollator::TData {
    std::wstring locale;
};

TCollator::TCollator(std::string_view localeName) : m_data(std::make_unique<TData>())
{
    m_data->locale = WindowsLocaleName(localeName);
}

TCollator::~TCollator() = default;

// By the keys, so that comparing and sorting by keys always agree (Wine's
// CompareStringEx, for one, finds a soft hyphen equal to nothing, its keys
// do not).
int TCollator::Compare(std::string_view a, std::string_view b) const
{
    std::string x, y;
    AppendSortKey(a, x);
    AppendSortKey(b, y);
    const int result = x.compare(y);
    return (result > 0) - (result < 0);
}

void TCollator::AppendSortKey(std::string_view text, std::string& key) const
{
    const std::wstring wide = Wide(text);
    const auto map = [&](BYTE* out, int size) {
        return LCMapStringEx(m_data->locale.c_str(), LCMAP_SORTKEY | kFlags, wide.c_str(),
                             int(wide.size()), reinterpret_cast<LPWSTR>(out), size, nullptr, nullptr, 0);
    };
    const int size = map(nullptr, 0);
    if (size <= 0)
        return;
    std::vector<BYTE> bytes(static_cast<std::size_t>(size));
    map(bytes.data(), size);
    // The key ends in a zero byte, which is left out.
    key.append(reinterpret_cast<const char*>(bytes.data()), bytes.size() - 1);
}

std::string TCollator::LocaleId() const
{
    if (m_data->locale.empty())
        return "root";
    std::string id;
    for (const wchar_t c : m_data->locale)
        id += char(c);
    return id;
}

std::string SystemCollationLocale()
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    std::string id;
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) {
        for (const wchar_t* c = name; *c; ++c)
            id += char(*c);
    }
    return id;
}
