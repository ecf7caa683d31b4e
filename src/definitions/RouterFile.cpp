#include "RouterFile.h"

#include "AtomicFile.h"
#include "FileMessages.h"
#include "WMsgBox.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------- messages

std::string Shortened(std::string_view text)
{
    constexpr std::size_t kMax = 60;
    return text.size() <= kMax ? std::string(text) : std::string(text.substr(0, kMax)) + "...";
}

// ------------------------------------------------------------------ reader

// Reads the fields of one record in file order. The first field that the
// bytes do not hold in full stops it: that field and all later ones keep
// the values they had, and the offset where that field begins is kept.
class TFieldReader {
public:
    TFieldReader(std::string_view bytes, std::size_t pos) : m_bytes(bytes), m_pos(pos) {}

    std::size_t Pos() const { return m_pos; }
    bool Failed() const { return m_failed; }
    std::size_t FailedAt() const { return m_failedAt; }

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
        if (Text(text))
            field.assign(text);
    }
    // A count, then that many pairs, each entered by setting the value of
    // its name. All or nothing: a list whose pairs are cut stays empty.
    void Properties(TPropertyList& field)
    {
        std::int32_t count = 0;
        Int32(count);
        if (m_failed || count <= 0)
            return;
        const std::size_t start = m_pos - 4;
        TPropertyListBuilder builder;
        // Every pair takes at least 4 bytes, so the loop ends with the bytes
        // whatever the count says.
        for (std::int32_t i = 0; i < count; ++i) {
            std::string_view name, value;
            if (!Text(name) || !Text(value)) {
                m_failedAt = start;
                return;
            }
            builder.SetValue(name, value);
        }
        field = builder.Finish();
    }

private:
    static std::uint32_t U32(const char* p)
    {
        const auto* b = reinterpret_cast<const unsigned char*>(p);
        return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
               (std::uint32_t(b[3]) << 24);
    }

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
        if (m_failed)
            return false;
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

    std::string_view m_bytes;
    std::size_t m_pos;
    bool m_failed = false;
    std::size_t m_failedAt = 0;
};

// ------------------------------------------------------------------ writer

class TByteWriter {
public:
    explicit TByteWriter(std::string& out) : m_out(out) {}

    void U32(std::uint32_t value)
    {
        const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
        m_out.append(bytes, 4);
    }
    void Int32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void Byte(std::uint8_t value) { m_out += char(value); }
    void Double(double value)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        U32(std::uint32_t(bits));
        U32(std::uint32_t(bits >> 32));
    }
    // The length must have been checked.
    void String(std::string_view text)
    {
        const char head[2] = {char(text.size()), char(text.size() >> 8)};
        m_out.append(head, 2);
        m_out.append(text);
    }

private:
    std::string& m_out;
};

// Whether text holds a TAB before its first NUL byte.
bool HasTabBeforeNul(std::string_view text)
{
    const std::string_view head = text.substr(0, text.find('\0'));
    return head.find('\t') != std::string_view::npos;
}

// The text without the TABs that stand before its first NUL byte.
std::string WithoutTabsBeforeNul(std::string_view text)
{
    const std::size_t nul = std::min(text.find('\0'), text.size());
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < nul; ++i) {
        if (text[i] != '\t')
            out += text[i];
    }
    out.append(text.substr(nul));
    return out;
}

// A TAB removal that the writer owes the record once the save goes ahead.
struct TTabFix {
    std::string* field;
    std::string text;
};

struct TPreparedFile {
    std::string bytes;
    std::vector<TTabFix> tabFixes;

    void ApplyTabFixes()
    {
        for (TTabFix& fix : tabFixes)
            *fix.field = std::move(fix.text);
        tabFixes.clear();
    }
};

// Builds the bytes of the file without changing any record; the TAB
// removals that the records owe are collected in tabFixes. Throws
// TTextTooLong.
class TFileBuilder {
public:
    TPreparedFile Build(const TRouterList& list)
    {
        TPreparedFile file;
        TByteWriter out(file.bytes);
        m_out = &out;
        m_fixes = &file.tabFixes;
        out.U32(kRouterFileVersion);
        for (int i = 0; i < list.Count(); ++i) {
            m_index = i;
            m_entry = &list.Entry(i);
            Record(*m_entry);
        }
        return file;
    }

private:
    void Record(TRouterEntry& e)
    {
        m_out->Int32(e.HTTPPort);
        m_out->Byte(e.BrowserAuth);
        Text(e.AuthString, "Anmeldestring");
        m_out->Double(e.SavedAt);
        Text(e.RouterVendor, "Name oder Hersteller des Routers");
        Text(e.RouterVendorURL, "URL des Router-Herstellers");
        Text(e.Comments, "Sonstige Kommentare");
        Text(e.GoOnline, "Aufruf f\xFCr den Aufbau der Verbindung");
        Text(e.GoOffline, "Aufruf f\xFCr das Trennen der Verbindung");
        Text(e.StatusPage, "Statusseite");
        HtmlCode(e.OfflineCode, "HTML-Code bei OFFLINE");
        HtmlCode(e.BeforeIPAddress, "HTML-Code vor der IP-Adresse");
        HtmlCode(e.AfterIPAddress, "HTML-Code nach der IP-Adresse");
        Text(e.Status2Page, "Extra-Seite der Statusabfrage 2");
        Properties(e.Status2Values, "2");
        Text(e.UserDef1, "Benutzerdefinierte Aktion 1");
        Text(e.UserDef2, "Benutzerdefinierte Aktion 2");
        Text(e.UserDef3, "Benutzerdefinierte Aktion 3");
        Text(e.Reserved1, "Reserviert 1");
        Text(e.Reserved2, "Reserviert 2");
        m_out->Byte(e.ReservedFlag);
        Text(e.SignOffURL, "Aufruf f\xFCr die Abmeldung vom Router");
        Text(e.Status3Page, "Extra-Seite der Statusabfrage 3");
        Properties(e.Status3Values, "3");
        Text(e.Status4Page, "Extra-Seite der Statusabfrage 4");
        Properties(e.Status4Values, "4");
    }

    void Check(std::string_view text, const std::string& field) const
    {
        if (text.size() > kMaxTextLength)
            throw TTextTooLong(m_index, m_entry->RouterVendor, field, text.size());
    }

    void Text(std::string_view text, const char* field)
    {
        Check(text, field);
        m_out->String(text);
    }

    void HtmlCode(std::string& text, const char* field)
    {
        if (!HasTabBeforeNul(text)) {
            Text(text, field);
            return;
        }
        std::string stripped = WithoutTabsBeforeNul(text);
        Text(stripped, field);
        m_fixes->push_back({&text, std::move(stripped)});
    }

    // The count of lines, then per line its name and the value that a lookup
    // by that name finds, without TABs before the first NUL.
    void Properties(const TPropertyList& props, const char* query)
    {
        m_out->Int32(props.Count());
        if (props.Empty())
            return;
        const std::vector<int> found = props.LookupIndexOfEachName();
        for (int i = 0; i < props.Count(); ++i) {
            const std::string_view name = props.Name(i);
            Check(name, std::string("Name einer Eigenschaft der Statusabfrage ") + query);
            m_out->String(name);
            const std::string_view value = found[i] < 0 ? std::string_view() : props.ValueAt(found[i]);
            const std::string label = "Eigenschaft \"" + Shortened(name) + "\" der Statusabfrage " + query;
            if (HasTabBeforeNul(value)) {
                const std::string stripped = WithoutTabsBeforeNul(value);
                Check(stripped, label);
                m_out->String(stripped);
            } else {
                Check(value, label);
                m_out->String(value);
            }
        }
    }

    TByteWriter* m_out = nullptr;
    std::vector<TTabFix>* m_fixes = nullptr;
    int m_index = 0;
    TRouterEntry* m_entry = nullptr;
};

// ------------------------------------------------------------------- files

int g_loadFault = 0;

int OpenForReading(const std::string& path)
{
    if (g_loadFault != 0) {
        errno = std::exchange(g_loadFault, 0);
        return -1;
    }
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads the whole open file; false with errno set on a read error.
bool ReadAll(int fd, std::string& bytes)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// The editor's own message when the file cannot be created; every later
// step is told in detail.
std::string SaveFailureMessage(const std::string& path, const TWriteResult& result)
{
    if (result.failedStep == TWriteStep::Lock || result.failedStep == TWriteStep::Create)
        return "Fehler beim Erstellen der Datei " + MessageText(path) + "!";
    return WriteFailureMessage(path, result);
}

} // namespace

// ------------------------------------------------------------------ public

TTextTooLong::TTextTooLong(int index, std::string name, std::string fieldName, std::size_t size)
    : std::runtime_error("Der Text im Feld \"" + fieldName + "\" des Routers \"" + Shortened(name) +
                         "\" ist " + std::to_string(size) +
                         " Bytes lang. Ein Text darf in der Definitionsdatei h\xF6" "chstens 65535 "
                         "Bytes lang sein. Bitte k\xFCrzen Sie den Text."),
      routerIndex(index),
      routerName(std::move(name)),
      field(std::move(fieldName)),
      length(size)
{
}

TLoadResult ParseRouterFile(std::string_view bytes, TRouterList& list)
{
    FreeRouterList(list);
    TLoadResult result;
    if (bytes.empty())
        return result;
    if (bytes.size() < 4) {
        result.complete = false;
        result.damagedOffset = 0;
        return result;
    }
    const auto* v = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint32_t version = std::uint32_t(v[0]) | (std::uint32_t(v[1]) << 8) |
                                  (std::uint32_t(v[2]) << 16) | (std::uint32_t(v[3]) << 24);
    result.version = version;

    std::vector<TRouterItem> items;
    std::size_t pos = 4;
    while (pos < bytes.size()) {
        auto entry = std::make_unique<TRouterEntry>();
        TRouterEntry& e = *entry;
        TFieldReader in(bytes, pos);
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
        std::string name = e.RouterVendor;
        items.push_back(TRouterItem{std::move(name), std::move(entry)});
        if (in.Failed()) {
            result.complete = false;
            result.damagedOffset = in.FailedAt();
            break;
        }
        pos = in.Pos();
    }
    list.AddAll(std::move(items));
    if (!list.Empty())
        list.Select(0);
    return result;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    const bool read = ReadAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    errno = error;
    return read;
}

void SetLoadFaultForTesting(int error)
{
    g_loadFault = error;
}

TLoadResult LoadRouterList(const std::string& path, TRouterList& list, TMissingFile missing)
{
    FreeRouterList(list);
    int fd = OpenForReading(path);
    if (fd < 0 && errno == ENOENT) {
        if (missing == TMissingFile::Fail)
            throw TFileError(CannotOpen(path, ENOENT));
        // O_EXCL: never empty a file that appeared in the meantime.
        do
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno == EEXIST)
            fd = OpenForReading(path);
        else if (fd < 0)
            throw TFileError(CannotCreate(path, errno));
    }
    if (fd < 0)
        throw TFileError(CannotOpen(path, errno));
    std::string bytes;
    const bool read = ReadAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    if (!read)
        throw TFileError(CannotOpen(path, error));
    return ParseRouterFile(bytes, list);
}

std::string SerializeRouterList(TRouterList& list)
{
    TPreparedFile file = TFileBuilder().Build(list);
    file.ApplyTabFixes();
    return std::move(file.bytes);
}

bool SaveRouterList(TRouterList& list, const std::string& path, bool keepOriginal,
                    std::string* backupPath)
{
    if (backupPath)
        backupPath->clear();
    TPreparedFile file;
    try {
        file = TFileBuilder().Build(list);
    } catch (const TTextTooLong& tooLong) {
        ShowMsgBox(std::string(tooLong.what()) + " Es wurde nichts gespeichert; die Datei " + Quoted(path) +
                       " ist unver\xE4ndert geblieben.",
                   "", mkError, btnOK);
        return false;
    }
    TAtomicFile out(path);
    if (!out.Open()) {
        ShowMsgBox(SaveFailureMessage(path, out.Result()), "", mkError, btnOK);
        return false;
    }
    // The file could be created: from here on the records lose their TABs,
    // as they do when the writer goes ahead.
    file.ApplyTabFixes();
    if (!out.Commit(file.bytes, keepOriginal)) {
        ShowMsgBox(SaveFailureMessage(path, out.Result()), "", mkError, btnOK);
        return false;
    }
    if (backupPath)
        *backupPath = out.BackupPath();
    return true;
}

std::string ExeDirectory()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
        path.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos)
            return path.substr(0, slash + 1);
    }
    char* cwd = ::getcwd(nullptr, 0);
    std::string dir = cwd ? cwd : ".";
    std::free(cwd);
    return dir.back() == '/' ? dir : dir + "/";
}

TLoadResult TRoutersFile::Load(TRouterList& list)
{
    // Stays set when the load throws: the file is there but was not read.
    m_keepOriginalOnSave = true;
    const TLoadResult result = LoadRouterList(m_path, list, TMissingFile::Create);
    m_keepOriginalOnSave = !result.complete;
    return result;
}

bool TRoutersFile::Save(TRouterList& list)
{
    if (!SaveRouterList(list, m_path, m_keepOriginalOnSave, &m_lastBackupPath))
        return false;
    m_keepOriginalOnSave = false;
    return true;
}
