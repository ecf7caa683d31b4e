#include "PageEvaluation.h"

#include "BlankRemoval.h"
#include "MarkerSearch.h"
#include "Normalize.h"

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

void EvaluateStatus1(const TRouterEntry& entry, std::string_view page, TStaticTestResult& result)
{
    result.offline = !entry.OfflineCode.empty()
                     && FindMarker(StripLineBreaks(entry.OfflineCode), page).found;
    if (!result.offline)
        result.ipAddress = ExtractIPAddress(entry.BeforeIPAddress, entry.AfterIPAddress, page);
}

// One line per name whose value is not empty, at the place of the first line
// of that name; every line of a name uses the HTML code of the first.
TPropertyList EvaluateProperties(const TPropertyList& properties, std::string_view page)
{
    const std::vector<int> codeLine = properties.LookupIndexOfEachName();
    std::vector<std::string> valueOfLine(codeLine.size());
    TPropertyListBuilder result;
    for (int i = 0; i < properties.Count(); ++i) {
        const int source = codeLine[i];
        if (source >= 0 && source < i)
            valueOfLine[i] = valueOfLine[source];
        else if (source >= 0)
            valueOfLine[i] = ExtractPropertyValue(properties.ValueAt(source), page);
        result.SetValue(properties.Name(i), valueOfLine[i]);
    }
    return result.Finish();
}

const TPropertyList& PropertiesOf(const TRouterEntry& entry, int statusQuery)
{
    switch (statusQuery) {
    case 2: return entry.Status2Values;
    case 3: return entry.Status3Values;
    case 4: return entry.Status4Values;
    }
    throw std::invalid_argument("status query must be 1 to 4");
}

} // namespace

void FixLeadingNuls(std::string& loadedData)
{
    if (loadedData.size() < 2)
        return;
    for (std::size_t i = 0; i < 2; ++i) {
        if (loadedData[i] == '\0')
            loadedData[i] = ' ';
    }
}

std::string PreparePage(std::string loadedData)
{
    FixLeadingNuls(loadedData);
    char* begin = loadedData.data();
    char* end = begin + loadedData.size();
    char* firstNul = static_cast<char*>(std::memchr(begin, 0, loadedData.size()));
    if (!firstNul)
        firstNul = end;
    char* out = CopyWithoutBlanks(begin, firstNul, begin, true);
    out = CopyWithoutBlanks(firstNul, end, out, false);
    loadedData.resize(out - begin);
    return loadedData;
}

TStaticTestResult TestPreparedPage(const TRouterEntry& entry, std::string_view page, int statusQuery)
{
    TStaticTestResult result;
    if (statusQuery == 1)
        EvaluateStatus1(entry, page, result);
    else
        result.values = EvaluateProperties(PropertiesOf(entry, statusQuery), page);
    return result;
}

TStaticTestResult RunPageTest(const TRouterEntry& entry, std::string pageBytes, int statusQuery)
{
    return TestPreparedPage(entry, PreparePage(std::move(pageBytes)), statusQuery);
}
