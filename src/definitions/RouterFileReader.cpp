// Reading definitions files. Loading only finds where each record lies and
// what it is called; a record is read in full when it is first needed, and
// one that would be written back unchanged never needs to be.

#include "RouterFile.h"
#include "RouterFileText.h"

#include "FileMessages.h"
#include "NameCompare.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

std::uint32_t U32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
           (std::uint32_t(b[3]) << 24);
}

// Walks the fields of a record. The first field that the bytes do not hold
// in full stops it, and the offset where that field begins is kept.
class TFieldCursor {
public:
    TFieldCursor(std::string_view bytes, std::size_t pos) : m_bytes(bytes), m_pos(pos) {}

    std::size_t Pos() const { return m_pos; }
    std::size_t BytesLeft() const { return m_bytes.size() - m_pos; }
    bool Failed() const { return m_failed; }
    std::size_t FailedAt() const { return m_failedAt; }

protected:
    // The next n bytes, or null (and failed) when the bytes end before.
    const char* Take(std::size_t n)
    {
        if (m_failed)
            return nullptr;
        if (m_bytes.size() - m_pos < n) {
            m_failed = true;
            m_failedAt = m_pos;
            return nullptr;
        }
        const char* p = m_bytes.data() + m_pos;
        m_pos += n;
        return p;
    }

    bool Text(std::string_view& text)
    {
        const std::size_t start = m_pos;
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

    // The count of a property list; 0 or less means no pairs.
    std::int32_t Count()
    {
        const char* p = Take(4);
        return p ? static_cast<std::int32_t>(U32(p)) : 0;
    }

    // Marks a property list that begins at start as the failed field.
    void FailList(std::size_t start)
    {
        if (m_failed)
            m_failedAt = start;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos;
    bool m_failed = false;
    std::size_t m_failedAt = 0;
};

// Reads the fields into a record.
class TFieldReader : public TFieldCursor {
public:
    using TFieldCursor::TFieldCursor;

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
    void Name(std::string& field) { String(field); }
    void HtmlCode(std::string& field) { String(field); }
    // A count, then that many pairs, each entered by setting the value of
    // its name. All or nothing: a list whose pairs are cut stays empty.
    void Properties(TPropertyList& field)
    {
        if (Failed())
            return;
        const std::size_t start = Pos();
        const std::int32_t count = Count();
        // Every pair takes at least 4 bytes, so the loop ends with the bytes
        // whatever the count says.
        TPropertyListBuilder builder;
        builder.Reserve(std::min<std::size_t>(std::size_t(std::max(count, 0)), BytesLeft() / 4));
        std::string_view name, value;
        for (std::int32_t i = 0; i < count && Text(name) && Text(value); ++i)
            builder.SetValue(name, value);
        FailList(start);
        if (!Failed() && count > 0)
            field = builder.Finish();
    }
};

// Walks the fields without keeping anything but the name, and tells
// whether the writer would write the record back byte for byte and whether
// reading it would have to cut a text.
class TFieldScanner : public TFieldCursor {
public:
    TFieldScanner(std::string_view bytes, std::size_t pos, std::uint32_t version)
        : TFieldCursor(bytes, pos), m_canonical(version >= kRouterFileVersion)
    {
    }

    bool Canonical() const { return m_canonical; }
    bool MustCut() const { return m_mustCut; }

    void Int32(std::int32_t&) { Take(4); }
    void Byte(std::uint8_t&) { Take(1); }
    void Double(double&) { Take(8); }
    void String(std::string&)
    {
        std::string_view text;
        Text(text);
    }
    void Name(std::string& field)
    {
        std::string_view text;
        if (Text(text))
            field = std::string(text);
    }
    // The writer drops the TABs of HTML code.
    void HtmlCode(std::string&)
    {
        std::string_view text;
        if (Text(text) && WrittenLength(text) != text.size())
            m_canonical = false;
    }
    // The writer writes a list as reading it made it: no negative count and
    // every pair coming back as it stands, with no two names alike.
    void Properties(TPropertyList&)
    {
        if (Failed())
            return;
        const std::size_t start = Pos();
        const std::int32_t count = Count();
        m_canonical = m_canonical && count >= 0 && std::size_t(count) <= TPropertyList::kShortList;
        m_names.clear();
        std::string_view name, value;
        for (std::int32_t i = 0; i < count && Text(name) && Text(value); ++i)
            Pair(name, value);
        FailList(start);
    }

private:
    void Pair(std::string_view name, std::string_view value)
    {
        const TPairOnReadBack readBack = PairOnReadBack(name, value);
        if (readBack == TPairOnReadBack::Renamed) {
            // The line's value becomes the rest of the name, "=" and the value.
            const std::size_t equals = name.find('=');
            m_mustCut = m_mustCut || name.size() - equals + value.size() > kMaxTextLength;
        }
        m_canonical = m_canonical && readBack == TPairOnReadBack::Same;
        for (const std::string_view earlier : m_names)
            m_canonical = m_canonical && !SameNameNoCase(earlier, name);
        if (m_canonical)
            m_names.push_back(name);
    }

    bool m_canonical;
    bool m_mustCut = false;
    std::vector<std::string_view> m_names;
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
        std::string line(props.Line(i));
        line.resize(nameLength + 1 +
                    PrefixWrittenAs(std::string_view(line).substr(nameLength + 1), kMaxTextLength));
        cut.push_back({TCp1252Text(router), PropertyValueLabel(TCp1252Text(props.Name(i)), query), length});
        props.Put(i, std::move(line));
    }
}

// Visits the fields of one record in file order; false when the bytes end
// before its name is complete, so that nothing of it can be shown.
template <typename Fields>
bool VisitRecord(Fields& in, std::uint32_t version, TRouterEntry& e)
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
    in.Name(e.RouterVendor);
    if (in.Failed())
        return false;
    in.String(e.RouterVendorURL);
    in.String(e.Comments);
    in.String(e.GoOnline);
    in.String(e.GoOffline);
    in.String(e.StatusPage);
    in.HtmlCode(e.OfflineCode);
    in.HtmlCode(e.BeforeIPAddress);
    in.HtmlCode(e.AfterIPAddress);
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
    return true;
}

// Reads one record in full; false as for VisitRecord.
bool ReadRecord(TFieldReader& in, std::uint32_t version, TRouterEntry& e, std::vector<TCutText>& cut)
{
    if (!VisitRecord(in, version, e))
        return false;
    FitValues(e.Status2Values, 2, e.RouterVendor, cut);
    FitValues(e.Status3Values, 3, e.RouterVendor, cut);
    FitValues(e.Status4Values, 4, e.RouterVendor, cut);
    return true;
}

} // namespace

std::unique_ptr<TRouterEntry> ReadStoredRecord(const TStoredRecord& record)
{
    auto entry = std::make_unique<TRouterEntry>();
    TFieldReader in(record.Bytes(), 0);
    std::vector<TCutText> none; // a stored record has no text to cut
    ReadRecord(in, record.file->version, *entry, none);
    return entry;
}

namespace {

// Room for all records once the first ones tell how long a record is, so
// that the list is not copied while it grows.
void ReserveForAll(std::vector<TRouterItem>& items, std::size_t bytesRead, std::size_t fileSize)
{
    if (bytesRead > 0 && fileSize > bytesRead)
        items.reserve(fileSize / bytesRead * items.size() * 17 / 16 + items.size());
}

// Finds every record of the file and fills the list with them. A record is
// read at once only when it is cut off by the end or has a text to cut.
TLoadResult ParseRecords(std::unique_ptr<TStoredFile> file, TRouterList& list)
{
    FreeRouterList(list);
    TLoadResult result;
    const std::string_view bytes = file->bytes;
    if (bytes.empty())
        return result;
    if (bytes.size() < 4) {
        result.complete = false;
        return result;
    }
    file->version = U32(bytes.data());
    file->read = ReadStoredRecord;
    result.version = file->version;

    std::vector<TRouterItem> items;
    TRouterEntry scanned;
    for (std::size_t pos = 4; pos < bytes.size();) {
        TFieldScanner scan(bytes, pos, file->version);
        VisitRecord(scan, file->version, scanned);
        if (!scan.Failed() && !scan.MustCut()) {
            const TStoredRecord stored{file.get(), static_cast<std::uint32_t>(pos),
                                       static_cast<std::uint32_t>(scan.Pos() - pos), scan.Canonical()};
            items.push_back({std::move(scanned.RouterVendor), nullptr, stored});
            pos = scan.Pos();
        } else {
            auto entry = std::make_unique<TRouterEntry>();
            TFieldReader in(bytes, pos);
            if (ReadRecord(in, file->version, *entry, result.cutTexts)) {
                std::string name = entry->RouterVendor;
                items.push_back({std::move(name), std::move(entry), {}});
            }
            if (in.Failed()) {
                result.complete = false;
                result.damagedOffset = in.FailedAt();
                break;
            }
            pos = in.Pos();
        }
        if (items.size() == 256)
            ReserveForAll(items, pos, bytes.size());
    }
    list.AddAll(std::move(items), std::move(file));
    if (!list.Empty())
        list.Select(0);
    return result;
}

} // namespace

TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list)
{
    return LoadRouterBytes(std::string(bytes), list);
}

TLoadResult LoadRouterBytes(std::string bytes, TRouterList& list)
{
    auto file = std::make_unique<TStoredFile>();
    file->bytes = std::move(bytes);
    return ParseRecords(std::move(file), list);
}

std::uint64_t MaxDefinitionsFileSize()
{
    // Records are found by 32-bit offsets.
    return std::min<std::uint64_t>(UsableMemory() / 20, UINT32_MAX);
}

TLoadResult LoadRouterList(const std::string& path, TRouterList& list, TMissingFile missing, TQuickHash* read)
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
    try {
        const TFileHandle opened = OpenUserFile(path, MaxDefinitionsFileSize(), info);
        // Never half of what a save in place is writing.
        LockWhenFree(opened, false);
        std::string bytes = ReadOpenUserFile(opened, info, path, MaxDefinitionsFileSize());
        if (read)
            *read = QuickHashOf(bytes);
        TLoadResult result = LoadRouterBytes(std::move(bytes), list);
        result.interruptedCopy = FindInterruptedSave(opened, path);
        return result;
    } catch (const std::bad_alloc&) {
        FreeRouterList(list);
        throw TFileError(CannotRead(path, ENOMEM));
    }
}
