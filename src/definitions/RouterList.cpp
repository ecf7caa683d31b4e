#include "RouterList.h"

#include "NameCompare.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

TListIndexError::TListIndexError(int index)
    : std::out_of_range("Listenindex überschreitet das Maximum (" + std::to_string(index) + ")")
{
}

void TRouterList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw TListIndexError(index);
}

const std::string& TRouterList::Name(int index) const
{
    CheckIndex(index);
    return m_items[index].name;
}

TRouterEntry& TRouterList::Entry(int index) const
{
    CheckIndex(index);
    TRouterItem& item = m_items[index];
    if (!item.entry)
        item.entry = item.stored.file->read(item.stored);
    return *item.entry;
}

void TRouterList::VisitEntry(int index, const std::function<void(const TRouterEntry&)>& visit) const
{
    CheckIndex(index);
    const TRouterItem& item = m_items[index];
    if (item.entry)
        visit(*item.entry);
    else
        visit(*item.stored.file->read(item.stored));
}

std::string_view TRouterList::CanonicalBytes(int index) const
{
    CheckIndex(index);
    const TRouterItem& item = m_items[index];
    return !item.entry && item.stored.canonical ? item.stored.Bytes() : std::string_view();
}

std::size_t TRouterList::SortedPlace(std::string_view name) const
{
    if (!Sorted())
        return m_items.size();
    const auto place = std::upper_bound(m_items.begin(), m_items.end(), name,
                                        [](std::string_view value, const TRouterItem& item) {
                                            return CompareNamesNoCase(value, item.name) < 0;
                                        });
    return static_cast<std::size_t>(place - m_items.begin());
}

int TRouterList::Add(std::string name, std::unique_ptr<TRouterEntry> entry)
{
    return Insert(TRouterItem{std::move(name), std::move(entry), {}});
}

int TRouterList::Insert(TRouterItem item)
{
    const std::size_t place = SortedPlace(item.name);
    m_items.insert(m_items.begin() + place, std::move(item));
    if (m_selected >= static_cast<int>(place))
        ++m_selected;
    return static_cast<int>(place);
}

namespace {

// Sort keys of many names in one buffer.
class TNameKeys {
public:
    explicit TNameKeys(const std::vector<TRouterItem>& items)
    {
        std::size_t nameBytes = 0;
        for (const TRouterItem& item : items)
            nameBytes += item.name.size();
        // Keys take one to two bytes per letter; a buffer that need not
        // grow keeps the peak of memory low (pages never written cost
        // nothing).
        m_keys.reserve(3 * nameBytes + 4 * items.size());
        m_ends.reserve(items.size());
        for (const TRouterItem& item : items) {
            AppendNameSortKey(item.name, m_keys);
            m_ends.push_back(static_cast<std::uint32_t>(m_keys.size()));
        }
    }

    std::string_view Key(std::uint32_t index) const
    {
        const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
        return std::string_view(m_keys).substr(begin, m_ends[index] - begin);
    }
    // The byte of a key at depth, 0 behind its end, else the byte plus one.
    unsigned Byte(std::uint32_t index, std::size_t depth) const
    {
        const std::string_view key = Key(index);
        return depth < key.size() ? 1u + static_cast<unsigned char>(key[depth]) : 0u;
    }

private:
    std::string m_keys;
    std::vector<std::uint32_t> m_ends;
};

// A part of the order whose keys agree in their first `depth` bytes.
struct TKeyRange {
    std::size_t begin;
    std::size_t end;
    std::size_t depth;
};

// Sorts the range by the keys' bytes from `depth` on, keeping the order of
// equal keys: a radix sort on the first byte where they differ. Adds the
// groups of more than one key that agree in that byte too to `pending`.
void RadixSortRange(std::vector<std::uint32_t>& order, std::vector<std::uint32_t>& scratch, TKeyRange range,
                    const TNameKeys& keys, std::vector<TKeyRange>& pending)
{
    const std::size_t begin = range.begin, end = range.end;
    // Past the bytes that every key has alike (a common beginning such as
    // "Router ") at once.
    const std::string_view first = keys.Key(order[begin]).substr(range.depth);
    std::size_t alike = first.size();
    for (std::size_t i = begin + 1; i < end && alike > 0; ++i)
        alike = CommonPrefixLength(first.substr(0, alike), keys.Key(order[i]).substr(range.depth));
    const std::size_t depth = range.depth + alike;
    if (end - begin < 24) {
        std::stable_sort(order.begin() + std::ptrdiff_t(begin), order.begin() + std::ptrdiff_t(end),
                         [&](std::uint32_t a, std::uint32_t b) {
                             return keys.Key(a).substr(depth) < keys.Key(b).substr(depth);
                         });
        return;
    }
    std::array<std::size_t, 258> start{};
    for (std::size_t i = begin; i < end; ++i)
        ++start[keys.Byte(order[i], depth) + 1];
    // Keys that all end here are equal.
    if (start[1] == end - begin)
        return;
    for (std::size_t bucket = 1; bucket < start.size(); ++bucket)
        start[bucket] += start[bucket - 1];
    std::array<std::size_t, 258> next = start;
    for (std::size_t i = begin; i < end; ++i)
        scratch[begin + next[keys.Byte(order[i], depth)]++] = order[i];
    std::copy(scratch.begin() + std::ptrdiff_t(begin), scratch.begin() + std::ptrdiff_t(end),
              order.begin() + std::ptrdiff_t(begin));
    // Bucket 0 holds the keys that end here: they are equal.
    for (std::size_t bucket = 1; bucket < 257; ++bucket) {
        if (start[bucket + 1] - start[bucket] > 1)
            pending.push_back({begin + start[bucket], begin + start[bucket + 1], depth + 1});
    }
}

// Sorts order by the keys, keeping the order of equal keys. Linear in the
// bytes of the keys, however long their common beginnings are; the groups
// still to sort wait in a list rather than on the stack, which a common
// beginning of thousands of bytes would overflow.
void RadixSort(std::vector<std::uint32_t>& order, const TNameKeys& keys)
{
    std::vector<std::uint32_t> scratch(order.size());
    std::vector<TKeyRange> pending{{0, order.size(), 0}};
    while (!pending.empty()) {
        const TKeyRange range = pending.back();
        pending.pop_back();
        RadixSortRange(order, scratch, range, keys, pending);
    }
}

// The order in which the items stand sorted by name; equal names keep
// their order.
std::vector<std::uint32_t> SortedOrder(const std::vector<TRouterItem>& items)
{
    const TNameKeys keys(items);
    std::vector<std::uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    RadixSort(order, keys);
    // Names with equal keys are ordered by their bytes; such runs are rare.
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin + 1;
        while (end < order.size() && keys.Key(order[end]) == keys.Key(order[begin]))
            ++end;
        if (end - begin > 1) {
            std::stable_sort(order.begin() + std::ptrdiff_t(begin), order.begin() + std::ptrdiff_t(end),
                             [&](std::uint32_t a, std::uint32_t b) {
                                 return CompareNamesNoCase(items[a].name, items[b].name) < 0;
                             });
        }
        begin = end;
    }
    return order;
}

// Puts items[order[i]] at place i, moving each item once.
void Arrange(std::vector<TRouterItem>& items, std::vector<std::uint32_t>& order)
{
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        TRouterItem held = std::move(items[start]);
        std::size_t place = start;
        while (order[place] != start) {
            const std::size_t from = order[place];
            items[place] = std::move(items[from]);
            order[place] = static_cast<std::uint32_t>(place);
            place = from;
        }
        items[place] = std::move(held);
        order[place] = static_cast<std::uint32_t>(place);
    }
}

// Items that a file holds stand mostly sorted already: the editor writes
// them sorted, apart from names changed since. The items out of place are
// taken out and put back where they belong; a run of greater names keeps
// its order before them, since none of them equals a name taken out of
// an earlier place. False, without a change, when more than a few are out
// of place.
bool SortNearlySorted(std::vector<TRouterItem>& items)
{
    constexpr std::size_t kMaxOutOfPlace = 64;
    std::vector<std::size_t> outOfPlace;
    std::size_t last = 0;
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (CompareNamesNoCase(items[last].name, items[i].name) <= 0)
            last = i;
        else if (outOfPlace.push_back(i); outOfPlace.size() > kMaxOutOfPlace)
            return false;
    }
    if (outOfPlace.empty())
        return true;
    std::vector<TRouterItem> taken;
    std::size_t kept = 0;
    for (std::size_t i = 0, next = 0; i < items.size(); ++i) {
        if (next < outOfPlace.size() && outOfPlace[next] == i) {
            taken.push_back(std::move(items[i]));
            ++next;
        } else {
            if (kept != i)
                items[kept] = std::move(items[i]);
            ++kept;
        }
    }
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(kept), items.end());
    for (TRouterItem& item : taken) {
        const auto place = std::upper_bound(
            items.begin(), items.end(), item,
            [](const TRouterItem& a, const TRouterItem& b) { return CompareNamesNoCase(a.name, b.name) < 0; });
        items.insert(place, std::move(item));
    }
    return true;
}

} // namespace

void TRouterList::AddAll(std::vector<TRouterItem> items, std::unique_ptr<TStoredFile> file)
{
    if (file)
        m_files.push_back(std::move(file));
    if (items.empty())
        return;
    // Into the larger vector, which may have room for both.
    if (m_items.size() > items.size()) {
        m_items.insert(m_items.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    } else {
        items.insert(items.begin(), std::make_move_iterator(m_items.begin()), std::make_move_iterator(m_items.end()));
        m_items = std::move(items);
    }
    if (!Sorted() || (m_selected < 0 && SortNearlySorted(m_items)))
        return;
    // Items that compare equal keep their order, so each new one stands
    // behind those it equals, as Add puts it.
    std::vector<std::uint32_t> order = SortedOrder(m_items);
    if (m_selected >= 0)
        m_selected = int(std::find(order.begin(), order.end(), std::uint32_t(m_selected)) - order.begin());
    Arrange(m_items, order);
}

void TRouterList::MoveTo(TRouterList& to, const std::vector<int>& indices)
{
    for (const int index : indices)
        CheckIndex(index);
    std::vector<TRouterItem> items;
    if (std::is_sorted(indices.begin(), indices.end())) {
        // In place: a list of many items is not held twice.
        std::size_t kept = 0;
        for (const int index : indices) {
            if (std::size_t(index) != kept)
                m_items[kept] = std::move(m_items[std::size_t(index)]);
            ++kept;
        }
        m_items.erase(m_items.begin() + std::ptrdiff_t(kept), m_items.end());
        items = std::move(m_items);
    } else {
        for (const int index : indices)
            items.push_back(std::move(m_items[std::size_t(index)]));
    }
    for (std::unique_ptr<TStoredFile>& file : m_files)
        to.m_files.push_back(std::move(file));
    Clear();
    to.AddAll(std::move(items));
}

void TRouterList::Store(int index, TStoredRecord stored)
{
    CheckIndex(index);
    m_items[index].entry.reset();
    m_items[index].stored = stored;
}

void TRouterList::Delete(int index)
{
    CheckIndex(index);
    m_items.erase(m_items.begin() + index);
    m_selected = -1;
}

void TRouterList::Rename(int index, std::string name)
{
    CheckIndex(index);
    m_items[index].name = std::move(name);
}

int TRouterList::FindByName(std::string_view name) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (SameNameNoCase(m_items[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

void TRouterList::Select(int index)
{
    if (index != -1)
        CheckIndex(index);
    m_selected = index;
}

TRouterEntry& TRouterList::SelectedEntry() const
{
    return Entry(m_selected);
}

void TRouterList::Clear()
{
    m_items.clear();
    m_files.clear();
    m_selected = -1;
}

void FreeRouterList(TRouterList& list)
{
    list.Clear();
}
