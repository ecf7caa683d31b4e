#include "RouterMerge.h"

#include "NameCompare.h"
#include "RouterFile.h"

#include <algorithm>
#include <functional>
#include <numeric>

namespace {

constexpr std::int32_t kLowestPort = 1;
constexpr std::int32_t kHighestPort = 65535;

// Up to this many copies are added one by one, each moving the list behind
// it; more are sorted in with the whole list at once.
constexpr std::size_t kOneByOneLimit = 16;

using TNameOf = std::function<const std::string&(std::uint32_t)>;

// Positions 0 to count - 1 in the order of their names' folded bytes, where
// equal names stand together in the order of their positions.
std::vector<std::uint32_t> FoldedOrder(std::size_t count, const TNameOf& name)
{
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return CompareFolded(name(a), name(b)) < 0; });
    return order;
}

// For each chosen router, whether none before it in `chosen` has its name,
// and for those that are, the first entry of the list with the name (or -1).
struct TNames {
    std::vector<bool> firstOfName;
    std::vector<int> inList;
};

TNames KnownNames(const TRouterList& list, const TRouterList& source, const std::vector<int>& chosen)
{
    const TNameOf chosenName = [&](std::uint32_t k) -> const std::string& { return source.Name(chosen[k]); };
    const TNameOf listName = [&](std::uint32_t i) -> const std::string& { return list.Name(int(i)); };
    const std::vector<std::uint32_t> chosenOrder = FoldedOrder(chosen.size(), chosenName);
    // Equal names stand together in the list, so the first of them in this
    // order is the first in the list.
    const std::vector<std::uint32_t> listOrder = FoldedOrder(std::size_t(list.Count()), listName);
    TNames names{std::vector<bool>(chosen.size()), std::vector<int>(chosen.size(), -1)};
    std::size_t at = 0;
    for (std::size_t i = 0; i < chosenOrder.size(); ++i) {
        const std::uint32_t k = chosenOrder[i];
        if (i > 0 && SameNameNoCase(chosenName(chosenOrder[i - 1]), chosenName(k)))
            continue;
        names.firstOfName[k] = true;
        while (at < listOrder.size() && CompareFolded(listName(listOrder[at]), chosenName(k)) < 0)
            ++at;
        if (at < listOrder.size() && SameNameNoCase(listName(listOrder[at]), chosenName(k)))
            names.inList[k] = int(listOrder[at]);
    }
    return names;
}

} // namespace

int AddRouterCopy(TRouterList& list, const TRouterEntry& source)
{
    // A record's copy holds copies of its property lists.
    const int added = list.Add(source.RouterVendor, std::make_unique<TRouterEntry>(source));
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

TMergeResult MergeRouters(TRouterList& list, TRouterList& source, const std::vector<int>& chosen,
                          const TMergeOptions& options)
{
    const TNames names = KnownNames(list, source, chosen);
    TMergeResult result;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        if (options.skipExisting && (!names.firstOfName[k] || names.inList[k] >= 0)) {
            result.skipped.push_back(int(k));
            result.skippedNames.push_back(source.Name(chosen[k]));
        } else {
            result.merged.push_back(int(k));
        }
    }
    if (result.merged.size() <= kOneByOneLimit) {
        for (const int k : result.merged) {
            source.VisitEntry(chosen[std::size_t(k)], [&](const TRouterEntry& e) { AddRouterCopy(list, e); });
            ApplyUnchangedSave(list.SelectedEntry(), options.savedAt);
        }
        return result;
    }

    // One by one, each copy would go behind the entries of its name, so the
    // list in the end is the old one and the routers, in their order, sorted
    // stably. Each merge saves the first entry of its router's name: the one
    // the list held, else the first router of the name.
    TRecordStore store;
    list.AddAll({}, store.File());
    const std::size_t saves = std::size_t(std::count_if(result.merged.begin(), result.merged.end(),
                                                        [&](int k) { return names.firstOfName[std::size_t(k)]; }));
    std::vector<int> moved;
    for (std::size_t saved = 0; const int k : result.merged) {
        const int index = chosen[std::size_t(k)];
        moved.push_back(index);
        if (!names.firstOfName[std::size_t(k)])
            continue;
        const int inList = names.inList[std::size_t(k)];
        TRouterList& owner = inList < 0 ? source : list;
        ApplyUnchangedSave(owner.Entry(inList < 0 ? index : inList), options.savedAt);
        store.Store(owner, inList < 0 ? index : inList);
        // Room for all once the first ones tell how long a record is.
        if (++saved == 256)
            store.Reserve(store.Size() / saved * saves * 17 / 16);
    }
    const std::string lastName = source.Name(moved.back());
    list.Select(-1);
    source.MoveTo(list, moved);
    // The last merge leaves its entry selected.
    list.Select(list.FindByName(lastName));
    return result;
}
