#pragma once

#include <string>
#include <string_view>

// Router names and property names are compared ignoring case. Every letter of
// Windows-1252 folds to its lower-case partner (A and a, Ä and ä, Š and š,
// Ÿ and ÿ); accents still count. Sorting follows the alphabet of the user's
// locale (ICU collation; the neutral root collation under the C locale), so
// that "Ärger" stands between "Apfel" and "Zeta"; names that the alphabet
// cannot tell apart but that are not equal ignoring case ("ß" and "ss") are
// ordered by their bytes.

// True when both names are equal ignoring case.
bool SameNameNoCase(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, equal to (ignoring case) or
// after b. Zero exactly when SameNameNoCase(a, b).
int CompareNamesNoCase(std::string_view a, std::string_view b);

// Appends the alphabetical key of a name, for sorting many names: names
// whose keys differ compare as their keys do; names with equal keys compare
// as CompareNamesNoCase says (by their folded bytes, which rarely decides).
void AppendNameSortKey(std::string_view name, std::string& key);

// Negative, zero or positive as the folded bytes of a order before, equal
// to or after those of b: zero exactly when SameNameNoCase(a, b). Quicker
// than the alphabet, for finding equal names among many.
int CompareFolded(std::string_view a, std::string_view b);

// How many bytes a and b have in common from their beginning.
std::size_t CommonPrefixLength(std::string_view a, std::string_view b);

// The lower-case partner of a Windows-1252 byte, or the byte itself.
unsigned char FoldCp1252(unsigned char byte);
