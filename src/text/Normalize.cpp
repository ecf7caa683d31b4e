#include "Normalize.h"

#include "Tools.h"
#include "mwIPos.h"

namespace {

constexpr std::string_view kPost = "<POST>";

bool IsLineBreakOrTab(char c)
{
    return c == '\n' || c == '\r' || c == '\t';
}

// The request begins with prefix, A-Z compared ignoring case.
bool StartsWithNoCase(std::string_view request, std::string_view prefix)
{
    return FindTextNoCase(prefix, request.substr(0, prefix.size())) == 1;
}

} // namespace

std::string StripLineBreaks(std::string_view text)
{
    const std::size_t end = BeforeNul(text).size();
    std::string result;
    result.reserve(text.size());
    for (char c : text.substr(0, end)) {
        if (!IsLineBreakOrTab(c))
            result += c;
    }
    result.append(text.substr(end));
    return result;
}

std::string NormalizePostPrefix(std::string_view request)
{
    std::string result(request);
    if (StartsWithNoCase(result, "<POST>/"))
        result.replace(0, kPost.size() + 1, kPost);
    if (StartsWithNoCase(result, kPost) && result.find(kPost) == std::string::npos)
        result.replace(0, kPost.size(), kPost);
    return result;
}

std::string NormalizeRequest(std::string_view request)
{
    if (!request.empty() && request.front() == '/')
        request.remove_prefix(1);
    return NormalizePostPrefix(request);
}

std::string NormalizeHtmlCode(std::string_view code)
{
    return StripLineBreaks(Tools().RemoveSpaces(code));
}
