#include "PropertyList.h"

#include "NameCompare.h"

#include <algorithm>
#include <new>
#include <random>
#include <stdexcept>

namespace {

constexpr std::uint32_t kNoLine = UINT32_MAX;

std::string_view NameOfLine(std::string_view line)
{
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

// Places in a list's text are 32-bit numbers, which no definitions file can
// exceed.
std::uint32_t Position(std::size_t size)
{
    if (size > UINT32_MAX)
        throw std::bad_alloc();
    return static_cast<std::uint32_t>(size);
}

// Seeded per run, so that no file can be made whose names all fall on one
// place of the tables below.
std::uint32_t FoldedHash(std::string_view name)
{
    static const std::uint64_t seed = std::random_device()();
    std::uint64_t hash = 14695981039346656037ull ^ seed;
    for (const char c : name) {
        hash ^= FoldCp1252(static_cast<unsigned char>(c));
        hash *= 1099511628211ull;
    }
    hash ^= hash >> 32;
    hash *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::uint32_t>(hash >> 32);
}

void Prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Tables of slots found by a name ignoring case, with open addressing: a
// slot keeps the index of a line of its name (NameLine(), kNoLine while the
// slot is empty) and the name's hash, and nameOf gives that line's name, so
// that no name is copied and names are looked at only where hashes agree.
template <typename TSlots, typename TNameOf>
auto& Probe(TSlots& slots, std::string_view name, std::uint32_t hash, const TNameOf& nameOf)
{
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        if (slots[i].NameLine() == kNoLine ||
            (slots[i].hash == hash && SameNameNoCase(nameOf(slots[i].NameLine()), name)))
            return slots[i];
    }
}

template <typename TSlot, typename TNameOf>
const TSlot* FindSlot(const std::vector<TSlot>& slots, std::string_view name, const TNameOf& nameOf)
{
    if (slots.empty())
        return nullptr;
    const TSlot& slot = Probe(slots, name, FoldedHash(name), nameOf);
    return slot.NameLine() == kNoLine ? nullptr : &slot;
}

// The slot of that name, whose hash is given; a new one has no line yet,
// which the caller then gives it. The table stays at most 3/4 full and
// doubles when it would not.
template <typename TSlot, typename TNameOf>
TSlot& SlotOf(std::vector<TSlot>& slots, std::size_t& used, std::string_view name, std::uint32_t hash,
              const TNameOf& nameOf)
{
    if ((used + 1) * 4 > slots.size() * 3) {
        std::vector<TSlot> old(std::max<std::size_t>(16, slots.size() * 2));
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (const TSlot& slot : old) {
            if (slot.NameLine() == kNoLine)
                continue;
            std::size_t i = slot.hash & mask;
            while (slots[i].NameLine() != kNoLine)
                i = (i + 1) & mask;
            slots[i] = slot;
        }
    }
    TSlot& slot = Probe(slots, name, hash, nameOf);
    if (slot.NameLine() == kNoLine) {
        ++used;
        slot.hash = hash;
    }
    return slot;
}

} // namespace

std::string PropertyLine(std::string_view name, std::string_view value)
{
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append(1, '=').append(value);
    return line;
}

std::vector<std::string> TPropertyList::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(m_ends.size());
    for (int i = 0; i < Count(); ++i)
        lines.emplace_back(Line(i));
    return lines;
}

std::string_view TPropertyList::Line(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("property list index");
    const std::size_t start = Start(static_cast<std::size_t>(index));
    return std::string_view(m_text).substr(start, m_ends[static_cast<std::size_t>(index)] - start);
}

std::string_view TPropertyList::Name(int index) const
{
    return NameOfLine(Line(index));
}

std::string_view TPropertyList::ValueAt(int index) const
{
    const std::string_view line = Line(index);
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

int TPropertyList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string_view line = Line(i);
        const std::size_t eq = line.find('=');
        if (eq == name.size() && SameNameNoCase(line.substr(0, eq), name))
            return i;
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
            Add(PropertyLine(name, value));
        else
            Put(index, PropertyLine(name, value));
    } else if (index >= 0) {
        Delete(index);
    }
}

std::vector<int> TPropertyList::LookupIndexOfEachName() const
{
    std::vector<int> result;
    result.reserve(m_ends.size());
    if (m_ends.size() <= kShortList) {
        // Comparing every pair costs less than a table of names.
        for (int i = 0; i < Count(); ++i)
            result.push_back(IndexOfName(Name(i)));
        return result;
    }
    struct TFirstLine {
        std::uint32_t nameLine = kNoLine;
        std::uint32_t hash = 0;
        std::uint32_t NameLine() const { return nameLine; }
    };
    std::vector<TFirstLine> firstOfName;
    std::size_t names = 0;
    const auto nameOf = [this](std::uint32_t line) { return Name(static_cast<int>(line)); };
    // The hashes first: the table of a long list is far larger than the
    // caches, and the slot of a line further on is fetched while this one
    // is looked up.
    for (int i = 0; i < Count(); ++i)
        result.push_back(static_cast<int>(FoldedHash(Name(i))));
    constexpr int kAhead = 16;
    for (int i = 0; i < Count(); ++i) {
        if (i + kAhead < Count() && !firstOfName.empty())
            Prefetch(&firstOfName[std::uint32_t(result[std::size_t(i + kAhead)]) & (firstOfName.size() - 1)]);
        if (Line(i).find('=') == std::string_view::npos) {
            result[std::size_t(i)] = -1; // found below, once every name is known
            continue;
        }
        TFirstLine& first = SlotOf(firstOfName, names, Name(i), std::uint32_t(result[std::size_t(i)]), nameOf);
        if (first.nameLine == kNoLine)
            first.nameLine = static_cast<std::uint32_t>(i);
        result[std::size_t(i)] = static_cast<int>(first.nameLine);
    }
    // A line without "=" has the empty name.
    const TFirstLine* empty = FindSlot(firstOfName, {}, nameOf);
    for (int i = 0; i < Count(); ++i) {
        if (result[std::size_t(i)] < 0 && empty)
            result[std::size_t(i)] = static_cast<int>(empty->nameLine);
    }
    return result;
}

void TPropertyList::Splice(std::size_t first, std::size_t last, std::string_view text,
                           const std::vector<std::uint32_t>& ends)
{
    const std::size_t begin = Start(first);
    const std::size_t end = Start(last);
    Position(m_text.size() - (end - begin) + text.size());
    m_text.replace(begin, end - begin, text);
    m_ends.erase(m_ends.begin() + std::ptrdiff_t(first), m_ends.begin() + std::ptrdiff_t(last));
    m_ends.insert(m_ends.begin() + std::ptrdiff_t(first), ends.size(), 0);
    for (std::size_t i = 0; i < ends.size(); ++i)
        m_ends[first + i] = static_cast<std::uint32_t>(begin + ends[i]);
    for (std::size_t i = first + ends.size(); i < m_ends.size(); ++i)
        m_ends[i] = static_cast<std::uint32_t>(m_ends[i] + text.size() - (end - begin));
}

void TPropertyList::Add(std::string_view line)
{
    m_ends.push_back(Position(m_text.size() + line.size()));
    try {
        m_text.append(line);
    } catch (...) {
        m_ends.pop_back();
        throw;
    }
}

void TPropertyList::Put(int index, std::string_view line)
{
    Line(index); // range check
    Splice(std::size_t(index), std::size_t(index) + 1, line, {Position(line.size())});
}

void TPropertyList::Delete(int index)
{
    Line(index); // range check
    Splice(std::size_t(index), std::size_t(index) + 1, {}, {});
}

void TPropertyList::Exchange(int a, int b)
{
    const std::string lineA(Line(a));
    const std::string lineB(Line(b));
    Put(a, lineB);
    Put(b, lineA);
}

void TPropertyList::Clear()
{
    m_text.clear();
    m_ends.clear();
}

std::string_view TPropertyListBuilder::LineName(std::uint32_t line) const
{
    return NameOfLine(std::string_view(m_text).substr(m_lines[line].start, m_lines[line].length));
}

void TPropertyListBuilder::SetValue(std::string_view name, std::string_view value)
{
    // Lines hold no "=" in their names, so a name with "=" is never found.
    const std::uint32_t found = name.find('=') == std::string_view::npos ? Find(name) : kNone;
    if (value.empty()) {
        if (found != kNone)
            Remove(found);
    } else if (found != kNone) {
        // The new text has the same name ignoring case, so the line keeps
        // its place among the lines of that name.
        const std::uint32_t start = Position(m_text.size());
        m_text += PropertyLine(name, value);
        m_lines[found].start = start;
        m_lines[found].length = Position(m_text.size() - start);
    } else {
        Append(name, value);
    }
}

std::uint32_t TPropertyListBuilder::Find(std::string_view name)
{
    if (m_chains.empty()) {
        for (std::uint32_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].next != kDeleted && SameNameNoCase(LineName(i), name))
                return i;
        }
        return kNone;
    }
    const TNameChain* chain =
        FindSlot(m_chains, name, [this](std::uint32_t line) { return LineName(line); });
    return chain ? chain->first : kNone;
}

void TPropertyListBuilder::Remove(std::uint32_t line)
{
    if (!m_chains.empty()) {
        // Only the first live line of a name is ever found, and so removed.
        TNameChain& chain = ChainOf(LineName(line));
        chain.first = m_lines[line].next;
        if (chain.first == kNone)
            chain.last = line; // dead now, it still tells the chain's name
    }
    m_lines[line].next = kDeleted;
    --m_live;
}

void TPropertyListBuilder::Append(std::string_view name, std::string_view value)
{
    const std::uint32_t start = Position(m_text.size());
    m_text += PropertyLine(name, value);
    m_lines.push_back({start, Position(m_text.size() - start)});
    ++m_live;
    if (!m_chains.empty()) {
        Chain(Position(m_lines.size() - 1));
    } else if (m_lines.size() > TPropertyList::kShortList) {
        // From here on a search through every line made would make the
        // build quadratic.
        for (std::uint32_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].next != kDeleted)
                Chain(i);
        }
    }
}

TPropertyListBuilder::TNameChain& TPropertyListBuilder::ChainOf(std::string_view name)
{
    return SlotOf(m_chains, m_names, name, FoldedHash(name), [this](std::uint32_t line) { return LineName(line); });
}

// Appends a line, the last made, to the live lines of its name.
void TPropertyListBuilder::Chain(std::uint32_t line)
{
    TNameChain& chain = ChainOf(LineName(line));
    if (chain.first == kNone)
        chain.first = line;
    else
        m_lines[chain.last].next = line;
    chain.last = line;
}

TPropertyList TPropertyListBuilder::Finish()
{
    TPropertyList list;
    std::size_t length = 0;
    for (const TLine& line : m_lines)
        length += line.next == kDeleted ? 0 : line.length;
    list.m_text.reserve(length);
    list.m_ends.reserve(m_live);
    for (const TLine& line : m_lines) {
        if (line.next != kDeleted)
            list.Add(std::string_view(m_text).substr(line.start, line.length));
    }
    *this = TPropertyListBuilder();
    return list;
}

std::size_t WrittenLength(std::string_view text)
{
    if (text.find('\t') == std::string_view::npos)
        return text.size();
    const std::string_view head = text.substr(0, text.find('\0'));
    return text.size() - static_cast<std::size_t>(std::count(head.begin(), head.end(), '\t'));
}

std::size_t PrefixWrittenAs(std::string_view text, std::size_t writtenLength)
{
    std::size_t written = 0;
    bool beforeNul = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (written == writtenLength)
            return i;
        beforeNul = beforeNul && text[i] != '\0';
        if (!beforeNul || text[i] != '\t')
            ++written;
    }
    return text.size();
}

void RemoveWrittenTabs(std::string& text)
{
    const auto nul = std::find(text.begin(), text.end(), '\0');
    text.erase(std::remove(text.begin(), nul, '\t'), nul);
}

TWrittenPairs::TWrittenPairs(const TPropertyList& list) : m_list(list), m_found(list.LookupIndexOfEachName()) {}

std::string_view TWrittenPairs::Value(int index) const
{
    const int found = m_found[std::size_t(index)];
    return found < 0 ? std::string_view() : m_list.ValueAt(found);
}

TPairOnReadBack PairOnReadBack(std::string_view name, std::string_view value)
{
    if (name.find('=') != std::string_view::npos)
        return TPairOnReadBack::Renamed;
    const std::size_t written = WrittenLength(value);
    if (written == 0)
        return TPairOnReadBack::Dropped;
    return written == value.size() ? TPairOnReadBack::Same : TPairOnReadBack::LosesTabs;
}
