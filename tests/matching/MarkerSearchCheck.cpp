#include "MarkerSearchCheck.h"
#include "../text/NaiveSearch.h"

#include "MarkerSearch.h"
#include "PageEvaluation.h"
#include "mwIPos.h"

#include <vector>

namespace {

std::vector<std::string_view> Pieces(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t cut;
    while ((cut = text.find('\xFF')) != std::string_view::npos) {
        pieces.push_back(text.substr(0, cut));
        text.remove_prefix(cut + 1);
    }
    pieces.push_back(text);
    return pieces;
}

bool IsSuffixOf(std::string_view rest, std::string_view page)
{
    return rest.data() >= page.data() && rest.data() + rest.size() == page.data() + page.size();
}

bool IsTrimmed(std::string_view value)
{
    return value.empty()
           || (static_cast<unsigned char>(value.front()) > 0x20 && static_cast<unsigned char>(value.back()) > 0x20);
}

bool IsPrepared(std::string_view page)
{
    return page.find(' ') == std::string_view::npos
           && BeforeNul(page).find_first_of("\r\n\t") == std::string_view::npos;
}

} // namespace

std::string CheckMarkerSearchInput(std::string_view input)
{
    if (input.empty())
        return {};
    const int statusQuery = static_cast<unsigned char>(input[0]) % 4 + 1;
    const std::vector<std::string_view> pieces = Pieces(input.substr(1));
    auto piece = [&](std::size_t i) { return i + 1 < pieces.size() ? pieces[i] : std::string_view(); };
    const std::string_view marker = piece(0);
    const std::string_view page = pieces.back();

    if (FindTextNoCase(marker, page) != NaiveFind(marker, page, 1))
        return "FindTextNoCase differs from the reference";
    const std::size_t n = static_cast<unsigned char>(input[0]) / 4 % 8 + 1;
    if (FindNthTextNoCase(marker, page, n) != NaiveFind(marker, page, n))
        return "FindNthTextNoCase differs from the reference";
    const TMarkerMatch match = FindMarker(marker, page);
    if (match.found ? !IsSuffixOf(match.rest, page) : !match.rest.empty())
        return "FindMarker rest is no suffix of the page";
    const std::size_t terminator = FirstTerminator("<", ";", "')", page);
    if (terminator > page.size())
        return "FirstTerminator beyond the page";
    // A value is trimmed before it is cut at a quote, so only the front is sure.
    const std::string value = ExtractPropertyValue(marker, page);
    if (!IsTrimmed(value.substr(0, 1)))
        return "property value with a blank front";
    if (!IsTrimmed(ExtractIPAddress(marker, piece(3), page)))
        return "IP address not trimmed";

    TRouterEntry entry = NewRouterEntry();
    entry.OfflineCode = piece(1);
    entry.BeforeIPAddress = piece(2);
    entry.AfterIPAddress = piece(3);
    for (std::size_t i = 4; i + 1 < pieces.size(); ++i)
        entry.Status2Values.Add(std::string(pieces[i]));
    entry.Status3Values = entry.Status4Values = entry.Status2Values;

    const std::string prepared = PreparePage(std::string(page));
    if (!IsPrepared(prepared))
        return "prepared page keeps spaces or line breaks";
    const TStaticTestResult result = TestPreparedPage(entry, prepared, statusQuery);
    if (result.offline && !result.ipAddress.empty())
        return "offline page with an IP address";
    if (result.values.Count() > entry.Status2Values.Count())
        return "more values than properties";
    return {};
}
