#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The rules of property lists live here: the line a property is stored as,
// setting a value by name, and what the definitions file makes of a list
// (the lookup by name on writing, the TABs it drops, the pairs that do not
// come back as they stand). The reader, the writer, `pack` and the window
// all follow them from here.

// The line that holds a property: name "=" value.
std::string PropertyLine(std::string_view name, std::string_view value);

// An ordered list of lines "name=value": property name to HTML code. The name
// of a line is the text before its first "=", the value everything after it;
// a line without "=" has an empty name. Names are compared ignoring case.
class TPropertyList {
public:
    int Count() const { return static_cast<int>(m_ends.size()); }
    bool Empty() const { return m_ends.empty(); }
    // Copies of every line.
    std::vector<std::string> Lines() const;
    std::string_view Line(int index) const;
    std::string_view Name(int index) const;
    // The text after the first "=" of the line at index (empty without "=").
    std::string_view ValueAt(int index) const;

    // Index of the first line that holds "=" and whose name equals `name`
    // ignoring case; -1 when there is none.
    int IndexOfName(std::string_view name) const;
    // The value of the line that IndexOfName finds, or empty.
    std::string Value(std::string_view name) const;
    // A non-empty value replaces the line found by name with name=value, or
    // appends it; an empty value deletes the line found, if any.
    void SetValue(std::string_view name, std::string_view value);

    // For each line, the index of the line that a lookup by its name finds
    // (-1 when none). Linear in the number of lines.
    std::vector<int> LookupIndexOfEachName() const;

    void Add(std::string_view line);
    void Put(int index, std::string_view line);
    void Delete(int index);
    void Exchange(int a, int b);
    void Clear();

    bool operator==(const TPropertyList&) const = default;

    // Up to this many lines, lookups compare every line instead of keeping
    // an index of names.
    static constexpr std::size_t kShortList = 16;

private:
    friend class TPropertyListBuilder;
    std::size_t Start(std::size_t index) const { return index == 0 ? 0 : m_ends[index - 1]; }
    // Replaces the text of lines [first, last) by `text`, which holds the
    // lines that end at `ends` (relative to its start).
    void Splice(std::size_t first, std::size_t last, std::string_view text,
                const std::vector<std::uint32_t>& ends);

    // The lines back to back and where each ends: a list of many short
    // lines takes hardly more memory than their text.
    std::string m_text;
    std::vector<std::uint32_t> m_ends;
};

// Applies a run of SetValue calls to an initially empty list in linear time,
// with the same result as calling TPropertyList::SetValue for each.
class TPropertyListBuilder {
public:
    // Room for that many SetValue calls, so that many lines are not copied
    // while they come in.
    void Reserve(std::size_t calls) { m_lines.reserve(calls); }
    void SetValue(std::string_view name, std::string_view value);
    TPropertyList Finish();

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    static constexpr std::uint32_t kDeleted = UINT32_MAX - 1;
    // A line made, at its place in the list; a replaced line gets new text.
    struct TLine {
        std::uint32_t start;
        std::uint32_t length;
        // The next live line of the same name, kNone, or kDeleted.
        std::uint32_t next = kNone;
    };
    // The live lines of one name, once the list is no longer short. When
    // none is left, `last` is the one removed last, for the name.
    struct TNameChain {
        std::uint32_t hash = 0;
        std::uint32_t first = kNone;
        std::uint32_t last = kNone;
        std::uint32_t NameLine() const { return first != kNone ? first : last; }
    };

    std::string_view LineName(std::uint32_t line) const;
    // The first live line of that name.
    std::uint32_t Find(std::string_view name);
    void Remove(std::uint32_t line);
    void Append(std::string_view name, std::string_view value);
    void Chain(std::uint32_t line);
    TNameChain& ChainOf(std::string_view name);

    // The text of every line made, in the order made.
    std::string m_text;
    std::vector<TLine> m_lines;
    std::size_t m_live = 0;
    // Open addressing, by folded name; empty while the list is short.
    std::vector<TNameChain> m_chains;
    std::size_t m_names = 0;
};

// HTML code, in a property value as in the three HTML fields of a record,
// loses the TABs before its first NUL byte when the definitions file is
// written.
// The length of the text as written.
std::size_t WrittenLength(std::string_view text);
// How many bytes of text make a prefix of that written length.
std::size_t PrefixWrittenAs(std::string_view text, std::size_t writtenLength);
// Removes those TABs from the text itself.
void RemoveWrittenTabs(std::string& text);

// The pairs that the file stores for a list: per line, its name and the
// value that a lookup by that name finds (empty when none does), which the
// file gets without its TABs (WrittenLength).
class TWrittenPairs {
public:
    explicit TWrittenPairs(const TPropertyList& list);

    int Count() const { return m_list.Count(); }
    std::string_view Name(int index) const { return m_list.Name(index); }
    std::string_view Value(int index) const;
    // Whether the lookup finds the line itself, so that it keeps its value.
    bool OwnValue(int index) const { return m_found[std::size_t(index)] == index; }

private:
    const TPropertyList& m_list;
    std::vector<int> m_found;
};

// What becomes of one pair written to the file and read back, leaving aside
// other pairs of the same name: it comes back as it stands, loses the TABs
// of its value, is dropped for want of a value, or turns into another line
// because its name holds "=".
enum class TPairOnReadBack { Same, LosesTabs, Dropped, Renamed };
TPairOnReadBack PairOnReadBack(std::string_view name, std::string_view value);
