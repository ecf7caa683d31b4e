#include "RouterMerge.h"

#include "NameCompare.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr std::int32_t kLowestPort = 1;
constexpr std::int32_t kHighestPort = 65535;

// Up to this many copies are added one by one, each moving the list behind
// it; more are sorted in with the whole list at once.
constexpr std::size_t kOneByOneLimit = 16;

// The name as SameNameNoCase sees it: every letter folded.
std::string FoldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = char(FoldCp1252(static_cast<unsigned char>(c)));
    return folded;
}

std::unique_ptr<TRouterEntry> CopyOf(const TRouterEntry& source)
{
    // A record's copy holds copies of its property lists.
    return std::make_unique<TRouterEntry>(source);
}

} // namespace

int AddRouterCopy(TRouterList& list, const TRouterEntry& source)
{
    const int added = list.Add(source.RouterVendor, CopyOf(source));
    list.Select(added);
    list.Select(list.FindByName(source.RouterVendor));
    return added;
}

std::string CrLfLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        out += "\r\n";
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

void ApplyUnchangedSave(TRouterEntry& record, double savedAt)
{
    record.SavedAt = savedAt;
    record.HTTPPort = std::clamp(record.HTTPPort, kLowestPort, kHighestPort);
    record.BrowserAuth = record.BrowserAuth != 0 ? 1 : 0;
    if (record.BrowserAuth)
        record.AuthString.clear();
    record.Comments = CrLfLineBreaks(record.Comments);
    record.BeforeIPAddress = CrLfLineBreaks(record.BeforeIPAddress);
    record.AfterIPAddress = CrLfLineBreaks(record.AfterIPAddress);
    record.Reserved1.clear();
    record.Reserved2.clear();
    record.ReservedFlag = 1;
}

TMergeResult MergeRouters(TRouterList& list, const std::vector<const TRouterEntry*>& sources,
                          const TMergeOptions& options)
{
    TMergeResult result;
    std::unordered_set<std::string> names;
    if (options.skipExisting) {
        for (int i = 0; i < list.Count(); ++i)
            names.insert(FoldedName(list.Name(i)));
    }
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const bool present =
            options.skipExisting && !names.insert(FoldedName(sources[k]->RouterVendor)).second;
        (present ? result.skipped : result.merged).push_back(static_cast<int>(k));
    }
    if (result.merged.size() <= kOneByOneLimit) {
        for (const int k : result.merged) {
            AddRouterCopy(list, *sources[static_cast<std::size_t>(k)]);
            ApplyUnchangedSave(list.SelectedEntry(), options.savedAt);
        }
        return result;
    }

    // One by one, each copy would go behind the entries of its name, so the
    // list in the end is the old one and the copies, in their order, sorted
    // stably. Rebuilding it that way saves moving the whole list per copy.
    std::vector<TRouterItem> items;
    items.reserve(static_cast<std::size_t>(list.Count()) + result.merged.size());
    for (int i = 0; i < list.Count(); ++i)
        items.push_back({list.Name(i), std::make_unique<TRouterEntry>(std::move(list.Entry(i)))});
    std::unordered_set<const TRouterEntry*> copies;
    for (const int k : result.merged) {
        auto copy = CopyOf(*sources[static_cast<std::size_t>(k)]);
        copies.insert(copy.get());
        items.push_back({copy->RouterVendor, std::move(copy)});
    }
    const TRouterEntry* lastCopy = items.back().entry.get();
    list.Clear();
    list.AddAll(std::move(items));

    // Each merge saves the first entry of its copy's name; equal names stand
    // together in a sorted list. The last merge leaves its entry selected.
    int firstOfName = 0;
    for (int i = 0; i < list.Count(); ++i) {
        if (i > 0 && !SameNameNoCase(list.Name(i - 1), list.Name(i)))
            firstOfName = i;
        const TRouterEntry* entry = &list.Entry(i);
        if (copies.contains(entry))
            ApplyUnchangedSave(list.Entry(firstOfName), options.savedAt);
        if (entry == lastCopy)
            list.Select(firstOfName);
    }
    return result;
}
