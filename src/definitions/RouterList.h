#pragma once

#include "RouterEntry.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Thrown for an index outside the list, with the text the user sees.
class TListIndexError : public std::out_of_range {
public:
    explicit TListIndexError(int index);
};

struct TRouterItem {
    std::string name; // display text: RouterVendor when added or last saved
    std::unique_ptr<TRouterEntry> entry;
};

// Items of a display name and an owned record. A sorted list keeps its items
// ordered by name ignoring case (an added item goes behind those that compare
// equal to it); an unsorted list keeps them in the order they were added.
// At most one item is selected.
class TRouterList {
public:
    enum class TOrder { Sorted, Unsorted };

    explicit TRouterList(TOrder order = TOrder::Sorted) : m_order(order) {}

    bool Sorted() const { return m_order == TOrder::Sorted; }
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }

    // Both throw TListIndexError for an index outside the list.
    const std::string& Name(int index) const;
    TRouterEntry& Entry(int index) const;

    // Inserts at the sorted place (or appends) and returns the new index.
    // Selection keeps pointing at the same item.
    int Add(std::string name, std::unique_ptr<TRouterEntry> entry);
    // Adds many items at once, as Add would one by one, in n log n.
    void AddAll(std::vector<TRouterItem> items);
    // Removes and frees the item; afterwards nothing is selected.
    void Delete(int index);
    // Changes the display text in place, without sorting again.
    void Rename(int index, std::string name);
    // The first item whose name equals `name` ignoring case, or -1.
    int FindByName(std::string_view name) const;

    int Selected() const { return m_selected; }
    bool HasSelection() const { return m_selected >= 0; }
    // -1 selects nothing; anything else must be a valid index.
    void Select(int index);
    // The selected record; throws TListIndexError(-1) when none is selected.
    TRouterEntry& SelectedEntry() const;

    // Frees every record and empties the list.
    void Clear();

private:
    void CheckIndex(int index) const;
    std::size_t SortedPlace(std::string_view name) const;

    TOrder m_order;
    std::vector<TRouterItem> m_items;
    int m_selected = -1;
};

// Frees every record of the list with its property lists and empties it.
void FreeRouterList(TRouterList& list);
