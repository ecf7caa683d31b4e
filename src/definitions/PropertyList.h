#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An ordered list of lines "name=value": property name to HTML code. The name
// of a line is the text before its first "=", the value everything after it;
// a line without "=" has an empty name. Names are compared ignoring case.
class TPropertyList {
public:
    int Count() const { return static_cast<int>(m_lines.size()); }
    bool Empty() const { return m_lines.empty(); }
    const std::vector<std::string>& Lines() const { return m_lines; }
    const std::string& Line(int index) const;
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

    void Add(std::string line) { m_lines.push_back(std::move(line)); }
    void Insert(int index, std::string line);
    void Put(int index, std::string line);
    void Delete(int index);
    void Exchange(int a, int b);
    void Clear() { m_lines.clear(); }
    // Appends every line of `other` in order; merges nothing.
    void AddLines(const TPropertyList& other);

    bool operator==(const TPropertyList&) const = default;

    // Up to this many lines, lookups compare every line instead of keeping
    // an index of names.
    static constexpr std::size_t kShortList = 16;

private:
    friend class TPropertyListBuilder;
    std::vector<std::string> m_lines;
};

// Applies a run of SetValue calls to an initially empty list in linear time,
// with the same result as calling TPropertyList::SetValue for each.
class TPropertyListBuilder {
public:
    void SetValue(std::string_view name, std::string_view value);
    TPropertyList Finish();

private:
    static constexpr std::size_t kNotFound = std::size_t(-1);
    // The first live line of that name.
    std::size_t Find(std::string_view name) const;
    void Remove(std::size_t index);
    void Append(std::string line);

    std::vector<std::string> m_lines;
    std::vector<bool> m_deleted;
    std::size_t m_live = 0;
    // Folded line name -> indices of the live lines of that name, ascending;
    // kept once the list is no longer short.
    std::unordered_map<std::string, std::deque<std::size_t>> m_byName;
};
