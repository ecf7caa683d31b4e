#pragma once

#include <string>
#include <string_view>

// Removes LF, CR and TAB before the first NUL byte.
std::string StripLineBreaks(std::string_view text);
// Gives a leading "<POST>" (any case, optionally followed by "/") its
// canonical form.
std::string NormalizePostPrefix(std::string_view request);
// Drops one leading "/", then NormalizePostPrefix.
std::string NormalizeRequest(std::string_view request);
// RemoveSpaces, then StripLineBreaks.
std::string NormalizeHtmlCode(std::string_view code);
