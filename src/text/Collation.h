#pragma once

// The alphabetical order of a language, behind a small interface:
// CollationIcu.cpp implements it with ICU, CollationWindows.cpp with the
// system's functions.

#include <memory>
#include <string>
#include <string_view>

// Orders Windows-1252 texts as the alphabet of a locale does, ignoring
// letter case: letters and accents count, case does not.
class TCollator {
public:
    // The collation of a POSIX locale name such as "de_DE.UTF-8". An empty
    // name, "C", "POSIX" and "C.<codeset>" give the language-neutral root
    // collation, so that machines without a language set sort alike.
    explicit TCollator(std::string_view localeName);
    ~TCollator();
    TCollator(const TCollator&) = delete;
    TCollator& operator=(const TCollator&) = delete;

    // Negative, zero or positive as a sorts before, like or after b.
    int Compare(std::string_view a, std::string_view b) const;
    // Appends a key whose byte order is that of Compare.
    void AppendSortKey(std::string_view text, std::string& key) const;
    // The locale whose rules are in use ("root" for the neutral order).
    std::string LocaleId() const;

private:
    struct TData;
    std::unique_ptr<TData> m_data;
};

// The user's locale for sorting: LC_ALL, LC_COLLATE or LANG, whichever is
// set first, else the system's.
std::string UserCollationLocale();
// The locale for sorting where the environment names none: none on POSIX
// systems (the C locale), the user's own on Windows.
std::string SystemCollationLocale();
// The collator of the user's locale, made at its first use.
const TCollator& UserCollator();
