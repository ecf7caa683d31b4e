#pragma once

#include "RouterEntry.h"

#include <cstdint>
#include <functional>
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

struct TStoredRecord;

// The bytes of a definitions file whose records are read when first needed,
// and the reader that reads them.
struct TStoredFile {
    std::string bytes;
    std::uint32_t version = 0;
    std::unique_ptr<TRouterEntry> (*read)(const TStoredRecord& record) = nullptr;
};

// A record that is still only in the bytes of its file.
struct TStoredRecord {
    const TStoredFile* file = nullptr;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    // Written again, the record gives exactly these bytes.
    bool canonical = false;

    std::string_view Bytes() const { return std::string_view(file->bytes).substr(offset, size); }
};

struct TRouterItem {
    TRouterItem(std::string name, std::unique_ptr<TRouterEntry> entry, TStoredRecord stored = {})
        : name(std::move(name)), entry(std::move(entry)), stored(stored)
    {
    }

    std::string name; // display text: RouterVendor when added or last saved
    std::unique_ptr<TRouterEntry> entry; // null while the record is only stored
    TStoredRecord stored;
};

// Items of a display name and an owned record. A record read from a file
// stays in the file's bytes until it is first needed, so that a list of
// many routers loads quickly and takes little more memory than its file.
// A sorted list keeps its items
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

    // Both throw TListIndexError for an index outside the list. Entry reads
    // a stored record first.
    const std::string& Name(int index) const;
    TRouterEntry& Entry(int index) const;
    // Calls `visit` with the record at index. A record that is still only
    // stored is read for the call alone and not kept, so that a walk over
    // every record of a large file needs the memory of one.
    void VisitEntry(int index, const std::function<void(const TRouterEntry&)>& visit) const;
    // The bytes of a stored record that was never read and that the writer
    // would write as they are; empty otherwise.
    std::string_view CanonicalBytes(int index) const;

    // Where Add would put an item of that name.
    int PlaceFor(std::string_view name) const { return static_cast<int>(SortedPlace(name)); }
    // Inserts at the sorted place (or appends) and returns the new index.
    // Selection keeps pointing at the same item.
    int Add(std::string name, std::unique_ptr<TRouterEntry> entry);
    // Adds many items at once, as Add would one by one, in n log n. The list
    // keeps the file whose bytes stored items refer to. Room in `items` for
    // the list's own items saves a copy of the larger list.
    void AddAll(std::vector<TRouterItem> items, std::unique_ptr<TStoredFile> file = {});
    // Frees the record at index, which is read from `stored` from now on (a
    // record of a file that the list keeps, which gives the record back
    // exactly).
    void Store(int index, TStoredRecord stored);
    // Adds the items at these positions (each at most once), in that order,
    // to `to` as AddAll does, with the files they are read from, and empties
    // this list. Nothing is copied.
    void MoveTo(TRouterList& to, const std::vector<int>& indices);
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
    int Insert(TRouterItem item);
    std::size_t SortedPlace(std::string_view name) const;

    TOrder m_order;
    // Entry reads stored records into their items.
    mutable std::vector<TRouterItem> m_items;
    std::vector<std::unique_ptr<TStoredFile>> m_files;
    int m_selected = -1;
};

// Frees every record of the list with its property lists and empties it.
void FreeRouterList(TRouterList& list);
