#pragma once

#include <string>
#include <string_view>

// Router names and property names are compared ignoring case. Every letter of
// Windows-1252 folds to its lower-case partner (A and a, Ä and ä, Š and š,
// Ÿ and ÿ); accents still count. Sorting follows the collation of the user's
// locale (LC_COLLATE) and is plain code point order under the C locale.

// True when both names are equal ignoring case.
bool SameNameNoCase(std::string_view a, std::string_view b);

// Negative, zero or positive as a sorts before, equal to (ignoring case) or
// after b. Zero exactly when SameNameNoCase(a, b).
int CompareNamesNoCase(std::string_view a, std::string_view b);

// A key whose order is that of CompareNamesNoCase, for sorting many names.
std::wstring NameSortKey(std::string_view name);

// The lower-case partner of a Windows-1252 byte, or the byte itself.
unsigned char FoldCp1252(unsigned char byte);
