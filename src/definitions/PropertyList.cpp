#include "PropertyList.h"

#include "NameCompare.h"

#include <stdexcept>

namespace {

std::string_view NameOfLine(std::string_view line)
{
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

std::string Folded(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = char(FoldCp1252(static_cast<unsigned char>(c)));
    return out;
}

std::string MakeLine(std::string_view name, std::string_view value)
{
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append(1, '=').append(value);
    return line;
}

} // namespace

const std::string& TPropertyList::Line(int index) const
{
    return m_lines.at(static_cast<std::size_t>(index));
}

std::string_view TPropertyList::Name(int index) const
{
    return NameOfLine(Line(index));
}

std::string_view TPropertyList::ValueAt(int index) const
{
    const std::string& line = Line(index);
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string_view() : std::string_view(line).substr(eq + 1);
}

int TPropertyList::IndexOfName(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string_view line = m_lines[i];
        const std::size_t eq = line.find('=');
        if (eq == name.size() && SameNameNoCase(line.substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TPropertyList::Value(std::string_view name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : std::string(ValueAt(index));
}

void TPropertyList::SetValue(std::string_view name, std::string_view value)
{
    const int index = IndexOfName(name);
    if (!value.empty()) {
        if (index < 0)
            m_lines.push_back(MakeLine(name, value));
        else
            m_lines[index] = MakeLine(name, value);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::vector<int> TPropertyList::LookupIndexOfEachName() const
{
    std::vector<int> result;
    result.reserve(m_lines.size());
    if (m_lines.size() <= kShortList) {
        // Comparing every pair costs less than folding names for a map.
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            result.push_back(IndexOfName(NameOfLine(m_lines[i])));
        return result;
    }
    std::unordered_map<std::string, int> firstOfName;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].find('=') != std::string::npos)
            firstOfName.try_emplace(Folded(NameOfLine(m_lines[i])), static_cast<int>(i));
    }
    for (const std::string& line : m_lines) {
        const auto found = firstOfName.find(Folded(NameOfLine(line)));
        result.push_back(found == firstOfName.end() ? -1 : found->second);
    }
    return result;
}

void TPropertyList::Insert(int index, std::string line)
{
    if (index < 0 || index > Count())
        throw std::out_of_range("property list index");
    m_lines.insert(m_lines.begin() + index, std::move(line));
}

void TPropertyList::Put(int index, std::string line)
{
    m_lines.at(static_cast<std::size_t>(index)) = std::move(line);
}

void TPropertyList::Delete(int index)
{
    Line(index); // range check
    m_lines.erase(m_lines.begin() + index);
}

void TPropertyList::Exchange(int a, int b)
{
    std::swap(m_lines.at(static_cast<std::size_t>(a)), m_lines.at(static_cast<std::size_t>(b)));
}

void TPropertyList::AddLines(const TPropertyList& other)
{
    m_lines.insert(m_lines.end(), other.m_lines.begin(), other.m_lines.end());
}

void TPropertyListBuilder::SetValue(std::string_view name, std::string_view value)
{
    // Lines hold no "=" in their names, so a name with "=" is never found.
    const std::size_t found = name.find('=') == std::string_view::npos ? Find(name) : kNotFound;
    if (value.empty()) {
        if (found != kNotFound)
            Remove(found);
    } else if (found != kNotFound) {
        m_lines[found] = MakeLine(name, value);
    } else {
        Append(MakeLine(name, value));
    }
}

std::size_t TPropertyListBuilder::Find(std::string_view name) const
{
    if (m_byName.empty()) {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (!m_deleted[i] && SameNameNoCase(NameOfLine(m_lines[i]), name))
                return i;
        }
        return kNotFound;
    }
    const auto found = m_byName.find(Folded(name));
    return found == m_byName.end() || found->second.empty() ? kNotFound : found->second.front();
}

void TPropertyListBuilder::Remove(std::size_t index)
{
    m_deleted[index] = true;
    --m_live;
    if (!m_byName.empty())
        m_byName[Folded(NameOfLine(m_lines[index]))].pop_front();
}

void TPropertyListBuilder::Append(std::string line)
{
    m_lines.push_back(std::move(line));
    m_deleted.push_back(false);
    ++m_live;
    if (!m_byName.empty()) {
        m_byName[Folded(NameOfLine(m_lines.back()))].push_back(m_lines.size() - 1);
    } else if (m_live > TPropertyList::kShortList) {
        // From here on a search through every line would make the build
        // quadratic.
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (!m_deleted[i])
                m_byName[Folded(NameOfLine(m_lines[i]))].push_back(i);
        }
    }
}

TPropertyList TPropertyListBuilder::Finish()
{
    TPropertyList list;
    list.m_lines.reserve(m_live);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_deleted[i])
            list.Add(std::move(m_lines[i]));
    }
    m_lines.clear();
    m_deleted.clear();
    m_byName.clear();
    m_live = 0;
    return list;
}
