#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

struct TValueSpan;

// Where a prepared page writes a value otherwise than a user types it after
// reading the page in a browser: letters beyond ASCII in UTF-8 or as
// character references ("&uuml;", "&#252;"), "&", "<", ">" and quotes as
// references, and a blank as a non-breaking space ("&nbsp;") or not at all.
// The value is Windows-1252 text as typed, blanks included; letters A-Z
// match in either case. At most `most` places, without overlap.
std::vector<TValueSpan> FindValueAsPageWritesIt(std::string_view page, std::string_view typed, std::size_t most);
