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
        if (line.find('=') != std::string_view::npos && SameNameNoCase(NameOfLine(line), name))
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
    std::unordered_map<std::string, int> firstOfName;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].find('=') != std::string::npos)
            firstOfName.try_emplace(Folded(NameOfLine(m_lines[i])), static_cast<int>(i));
    }
    std::vector<int> result;
    result.reserve(m_lines.size());
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
    const bool findable = name.find('=') == std::string_view::npos;
    auto found = findable ? m_byName.find(Folded(name)) : m_byName.end();
    const bool exists = found != m_byName.end() && !found->second.empty();
    if (value.empty()) {
        if (exists) {
            m_deleted[found->second.front()] = true;
            found->second.pop_front();
        }
        return;
    }
    if (exists) {
        m_lines[found->second.front()] = MakeLine(name, value);
        return;
    }
    m_lines.push_back(MakeLine(name, value));
    m_deleted.push_back(false);
    m_byName[Folded(NameOfLine(m_lines.back()))].push_back(m_lines.size() - 1);
}

TPropertyList TPropertyListBuilder::Finish()
{
    TPropertyList list;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_deleted[i])
            list.Add(std::move(m_lines[i]));
    }
    m_lines.clear();
    m_deleted.clear();
    m_byName.clear();
    return list;
}
