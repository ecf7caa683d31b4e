// Reading definitions files: from bytes in memory, or from a file in pieces,
// so that memory holds little more than the records.

#include "RouterFile.h"
#include "RouterFileText.h"

#include "FileMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// The bytes of a definitions file: all in memory, or read from an open file
// as the parser needs them.
class TByteSource {
public:
    explicit TByteSource(std::string_view bytes) : m_view(bytes) {}
    TByteSource(const TFileHandle& file, const std::string& path) : m_file(&file), m_path(&path) {}

    // The next n bytes, valid until the next call; null when fewer remain.
    const char* Take(std::size_t n)
    {
        if (m_view.size() - m_pos < n && !Fill(n))
            return nullptr;
        const char* bytes = m_view.data() + m_pos;
        m_pos += n;
        return bytes;
    }
    bool AtEnd() { return m_pos == m_view.size() && !Fill(1); }
    // The offset in the file of the next byte.
    std::uint64_t Offset() const { return m_base + m_pos; }

private:
    // Reads on until n bytes lie ahead or the file ends; only the bytes
    // ahead are kept. Throws TFileError when reading fails.
    bool Fill(std::size_t n)
    {
        if (!m_file)
            return false;
        constexpr std::size_t kPiece = std::size_t(1) << 18;
        m_buffer.erase(0, m_pos);
        m_base += m_pos;
        m_pos = 0;
        while (m_buffer.size() < n) {
            const std::size_t held = m_buffer.size();
            const std::size_t wanted = std::max(n - held, kPiece);
            m_buffer.resize(held + wanted);
            std::size_t got = 0;
            const int error = ReadSome(*m_file, m_buffer.data() + held, wanted, got);
            m_buffer.resize(held + got);
            if (error)
                throw TFileError(CannotRead(*m_path, error));
            if (got == 0)
                break;
        }
        m_view = m_buffer;
        return m_buffer.size() >= n;
    }

    std::string_view m_view;
    std::size_t m_pos = 0;
    std::uint64_t m_base = 0;
    const TFileHandle* m_file = nullptr;
    const std::string* m_path = nullptr;
    std::string m_buffer;
};

std::uint32_t U32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
           (std::uint32_t(b[3]) << 24);
}

// Reads the fields of records in file order. The first field that the
// bytes do not hold in full stops it: that field and all later ones keep
// the values they had, and the offset where that field begins is kept.
class TFieldReader {
public:
    explicit TFieldReader(TByteSource& source) : m_source(source) {}

    bool Failed() const { return m_failed; }
    std::uint64_t FailedAt() const { return m_failedAt; }

    void Int32(std::int32_t& field)
    {
        if (const char* p = Take(4))
            field = static_cast<std::int32_t>(U32(p));
    }
    void Byte(std::uint8_t& field)
    {
        if (const char* p = Take(1))
            field = static_cast<std::uint8_t>(*p);
    }
    void Double(double& field)
    {
        if (const char* p = Take(8)) {
            const std::uint64_t bits = U32(p) | (std::uint64_t(U32(p + 4)) << 32);
            std::memcpy(&field, &bits, sizeof field);
        }
    }
    void String(std::string& field)
    {
        std::string_view text;
        // A new string takes no more memory than the text needs; assigning
        // would round the capacity up to twice the short-string buffer.
        if (Text(text))
            field = std::string(text);
    }
    // A count, then that many pairs, each entered by setting the value of
    // its name. All or nothing: a list whose pairs are cut stays empty.
    void Properties(TPropertyList& field)
    {
        const std::uint64_t start = m_source.Offset();
        std::int32_t count = 0;
        Int32(count);
        if (m_failed || count <= 0)
            return;
        TPropertyListBuilder builder;
        // Every pair takes at least 4 bytes, so the loop ends with the bytes
        // whatever the count says.
        for (std::int32_t i = 0; i < count; ++i) {
            std::string_view name, value;
            if (!Text(name))
                break;
            m_name.assign(name); // the next read may move the bytes
            if (!Text(value))
                break;
            builder.SetValue(m_name, value);
        }
        if (m_failed)
            m_failedAt = start;
        else
            field = builder.Finish();
    }

private:
    // The next n bytes, or null (and failed) when the bytes end before.
    const char* Take(std::size_t n)
    {
        if (m_failed)
            return nullptr;
        const std::uint64_t offset = m_source.Offset();
        const char* bytes = m_source.Take(n);
        if (!bytes) {
            m_failed = true;
            m_failedAt = offset;
        }
        return bytes;
    }

    bool Text(std::string_view& text)
    {
        const std::uint64_t start = m_source.Offset();
        const char* head = Take(2);
        if (!head)
            return false;
        const std::size_t length = static_cast<unsigned char>(head[0]) |
                                   (std::size_t(static_cast<unsigned char>(head[1])) << 8);
        const char* body = Take(length);
        if (!body) {
            m_failedAt = start;
            return false;
        }
        text = std::string_view(body, length);
        return true;
    }

    TByteSource& m_source;
    bool m_failed = false;
    std::uint64_t m_failedAt = 0;
    std::string m_name;
};

// Cuts a value that the writer could not store (a line "a=b=c" joined from
// a name that held "=") to the longest text that fits, and reports it.
void FitValues(TPropertyList& props, int query, const std::string& router, std::vector<TCutText>& cut)
{
    for (int i = 0; i < props.Count(); ++i) {
        const std::size_t length = WrittenLength(props.ValueAt(i));
        if (length <= kMaxTextLength)
            continue;
        const std::size_t nameLength = props.Name(i).size();
        std::string line = props.Line(i);
        line.resize(nameLength + 1 + PrefixWrittenAs(std::string_view(line).substr(nameLength + 1), kMaxTextLength));
        cut.push_back({router, PropertyValueLabel(props.Name(i), query), length});
        props.Put(i, std::move(line));
    }
}

// Reads one record; false when the bytes end before its name is complete,
// so that nothing of it can be shown.
bool ReadRecord(TFieldReader& in, std::uint32_t version, TRouterEntry& e, std::vector<TCutText>& cut)
{
    if (version >= 258)
        in.Int32(e.HTTPPort);
    else
        e.HTTPPort = 80;
    if (version >= 257) {
        in.Byte(e.BrowserAuth);
        in.String(e.AuthString);
    } else {
        e.BrowserAuth = 1;
    }
    in.Double(e.SavedAt);
    in.String(e.RouterVendor);
    if (in.Failed())
        return false;
    in.String(e.RouterVendorURL);
    in.String(e.Comments);
    in.String(e.GoOnline);
    in.String(e.GoOffline);
    in.String(e.StatusPage);
    in.String(e.OfflineCode);
    in.String(e.BeforeIPAddress);
    in.String(e.AfterIPAddress);
    in.String(e.Status2Page);
    in.Properties(e.Status2Values);
    in.String(e.UserDef1);
    in.String(e.UserDef2);
    in.String(e.UserDef3);
    in.String(e.Reserved1);
    in.String(e.Reserved2);
    in.Byte(e.ReservedFlag);
    if (version >= 259) {
        in.String(e.SignOffURL);
        in.String(e.Status3Page);
        in.Properties(e.Status3Values);
        in.String(e.Status4Page);
        in.Properties(e.Status4Values);
    }
    FitValues(e.Status2Values, 2, e.RouterVendor, cut);
    FitValues(e.Status3Values, 3, e.RouterVendor, cut);
    FitValues(e.Status4Values, 4, e.RouterVendor, cut);
    return true;
}

// Room for all records once the first ones tell how long a record is, so
// that the list is not copied while it grows.
void ReserveForAll(std::vector<TRouterItem>& items, std::uint64_t bytesRead, std::uint64_t fileSize)
{
    if (bytesRead > 0 && fileSize > bytesRead)
        items.reserve(static_cast<std::size_t>(fileSize * items.size() / bytesRead * 17 / 16 + items.size()));
}

// Reads every record into items, in file order.
TLoadResult ParseRecords(TByteSource& source, std::uint64_t fileSize, std::vector<TRouterItem>& items)
{
    TLoadResult result;
    if (source.AtEnd())
        return result;
    const char* head = source.Take(4);
    if (!head) {
        result.complete = false;
        return result;
    }
    const std::uint32_t version = U32(head);
    result.version = version;

    TFieldReader in(source);
    while (!source.AtEnd()) {
        auto entry = std::make_unique<TRouterEntry>();
        const bool named = ReadRecord(in, version, *entry, result.cutTexts);
        if (named) {
            std::string name = entry->RouterVendor;
            items.push_back(TRouterItem{std::move(name), std::move(entry)});
            if (items.size() == 256)
                ReserveForAll(items, source.Offset(), fileSize);
        }
        if (in.Failed()) {
            result.complete = false;
            result.damagedOffset = in.FailedAt();
            break;
        }
    }
    return result;
}

void Fill(TRouterList& list, std::vector<TRouterItem> items)
{
    list.AddAll(std::move(items));
    if (!list.Empty())
        list.Select(0);
}

} // namespace

TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list)
{
    FreeRouterList(list);
    TByteSource source(bytes);
    std::vector<TRouterItem> items;
    const TLoadResult result = ParseRecords(source, bytes.size(), items);
    Fill(list, std::move(items));
    return result;
}

std::uint64_t MaxDefinitionsFileSize()
{
    return UsableMemory() / 20;
}

TLoadResult LoadRouterList(const std::string& path, TRouterList& list, TMissingFile missing)
{
    FreeRouterList(list);
    TFileInfo info;
    if (missing == TMissingFile::Create && GetInfo(path, info) == 0 && info.kind == TFileKind::Missing) {
        // Exclusive: never empty a file that appeared in the meantime.
        TFileHandle created;
        const int error = CreateNewFile(path, created);
        if (error && error != EEXIST)
            throw TFileError(CannotCreate(path, error));
    }
    const std::uint64_t limit = MaxDefinitionsFileSize();
    try {
        std::vector<TRouterItem> items;
        TLoadResult result;
        {
            const TFileHandle file = OpenUserFile(path, limit, info);
            TByteSource source(file, path);
            result = ParseRecords(source, info.size, items);
        }
        Fill(list, std::move(items));
        return result;
    } catch (const std::bad_alloc&) {
        FreeRouterList(list);
        throw TFileError(CannotRead(path, ENOMEM));
    }
}
