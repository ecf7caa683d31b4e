#include "RouterList.h"

#include "NameCompare.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

TListIndexError::TListIndexError(int index)
    : std::out_of_range("Listenindex \xFC" "berschreitet das Maximum (" + std::to_string(index) + ")")
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
        item.entry = ReadStoredRecord(item.stored);
    return *item.entry;
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

// The order in which the items stand sorted by name; equal names keep
// their order. One key per name, all in one buffer.
std::vector<std::uint32_t> SortedOrder(const std::vector<TRouterItem>& items)
{
    std::size_t nameBytes = 0;
    for (const TRouterItem& item : items)
        nameBytes += item.name.size();
    std::string keys;
    // Keys take one to two bytes per letter; one buffer that need not grow
    // keeps the peak of memory low (pages never written cost nothing).
    keys.reserve(3 * nameBytes + 4 * items.size());
    std::vector<std::uint32_t> ends;
    ends.reserve(items.size());
    for (const TRouterItem& item : items) {
        AppendNameSortKey(item.name, keys);
        ends.push_back(static_cast<std::uint32_t>(keys.size()));
    }
    const auto key = [&](std::uint32_t index) {
        const std::size_t begin = index == 0 ? 0 : ends[index - 1];
        return std::string_view(keys).substr(begin, ends[index] - begin);
    };
    std::vector<std::uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int byKey = key(a).compare(key(b));
        return byKey != 0 ? byKey < 0 : CompareNamesNoCase(items[a].name, items[b].name) < 0;
    });
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

} // namespace

void TRouterList::AddAll(std::vector<TRouterItem> items, std::unique_ptr<TStoredFile> file)
{
    if (file)
        m_files.push_back(std::move(file));
    if (!Sorted() && m_items.empty()) {
        m_items = std::move(items);
        return;
    }
    if (!Sorted() || !m_items.empty()) {
        for (TRouterItem& item : items)
            Insert(std::move(item));
        return;
    }
    std::vector<std::uint32_t> order = SortedOrder(items);
    Arrange(items, order);
    m_items = std::move(items);
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
