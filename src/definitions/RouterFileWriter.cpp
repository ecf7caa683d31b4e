// Writing definitions files: every length is checked before the first byte
// is written, then the bytes go to the file in pieces as they are made.

#include "RouterFile.h"
#include "RouterFileText.h"

#include "AtomicFile.h"
#include "FileMessages.h"
#include "WMsgBox.h"

#include <cstring>
#include <functional>

namespace {

// Every text field with its German name, in file order, and whether it is
// HTML code (which loses its TABs when written).
template <typename Visitor>
void VisitTexts(const TRouterEntry& e, Visitor&& visit)
{
    visit(e.AuthString, "Anmeldestring", false);
    visit(e.RouterVendor, "Name oder Hersteller des Routers", false);
    visit(e.RouterVendorURL, "URL des Router-Herstellers", false);
    visit(e.Comments, "Sonstige Kommentare", false);
    visit(e.GoOnline, "Aufruf für den Aufbau der Verbindung", false);
    visit(e.GoOffline, "Aufruf für das Trennen der Verbindung", false);
    visit(e.StatusPage, "Statusseite", false);
    visit(e.OfflineCode, "HTML-Code bei OFFLINE", true);
    visit(e.BeforeIPAddress, "HTML-Code vor der IP-Adresse", true);
    visit(e.AfterIPAddress, "HTML-Code nach der IP-Adresse", true);
    visit(e.Status2Page, "Extra-Seite der Statusabfrage 2", false);
    visit(e.UserDef1, "Benutzerdefinierte Aktion 1", false);
    visit(e.UserDef2, "Benutzerdefinierte Aktion 2", false);
    visit(e.UserDef3, "Benutzerdefinierte Aktion 3", false);
    visit(e.Reserved1, "Reserviert 1", false);
    visit(e.Reserved2, "Reserviert 2", false);
    visit(e.SignOffURL, "Aufruf für die Abmeldung vom Router", false);
    visit(e.Status3Page, "Extra-Seite der Statusabfrage 3", false);
    visit(e.Status4Page, "Extra-Seite der Statusabfrage 4", false);
}

void CheckProperties(const TRouterEntry& e, const TPropertyList& props, int query, int routerIndex)
{
    const auto tooLong = [&](const std::string& field, std::size_t length) {
        return TTextTooLong(routerIndex, e.RouterVendor, field, length);
    };
    bool valueTooLong = false;
    for (int i = 0; i < props.Count(); ++i) {
        if (props.Line(i).size() <= kMaxTextLength)
            continue; // name and value fit
        if (props.Name(i).size() > kMaxTextLength) {
            throw tooLong("Name einer Eigenschaft der Statusabfrage " + std::to_string(query),
                          props.Name(i).size());
        }
        valueTooLong = valueTooLong || props.ValueAt(i).size() > kMaxTextLength;
    }
    if (!valueTooLong)
        return;
    const TWrittenPairs written(props);
    for (int i = 0; i < written.Count(); ++i) {
        const std::size_t length = WrittenLength(written.Value(i));
        if (length > kMaxTextLength)
            throw tooLong(PropertyValueLabel(TCp1252Text(written.Name(i)), query), length);
    }
}

// Collects the bytes of the file and hands them to the sink in pieces.
class TByteWriter {
public:
    using TSink = std::function<bool(std::string_view)>;

    // Without a sink every byte stays in Bytes().
    explicit TByteWriter(TSink sink = {}) : m_sink(std::move(sink)) {}

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
    // The text without the TABs before its first NUL byte.
    void StringWithoutTabs(std::string_view text)
    {
        if (WrittenLength(text) == text.size())
            return String(text);
        std::string written(text);
        RemoveWrittenTabs(written);
        String(written);
    }

    // Hands the bytes on once a piece is full; false once the sink failed.
    bool Pass()
    {
        constexpr std::size_t kPiece = std::size_t(1) << 18;
        return !m_sink || (m_out.size() < kPiece ? m_ok : Flush());
    }
    bool Flush()
    {
        if (!m_sink)
            return true;
        m_ok = m_ok && m_sink(m_out);
        m_out.clear();
        return m_ok;
    }
    std::string& Bytes() { return m_out; }

private:
    TSink m_sink;
    std::string m_out;
    bool m_ok = true;
};

// The count of lines, then per line its name and the value that a lookup
// by that name finds, without TABs before the first NUL.
void WriteProperties(TByteWriter& out, const TPropertyList& props)
{
    out.Int32(props.Count());
    if (props.Empty())
        return;
    const TWrittenPairs written(props);
    for (int i = 0; i < written.Count(); ++i) {
        out.String(written.Name(i));
        out.StringWithoutTabs(written.Value(i));
        // Lines of one name all get the first one's value, so a list can
        // write far more than it holds: it goes on in pieces.
        out.Pass();
    }
}

bool HasHtmlTabs(const TRouterEntry& e)
{
    for (const std::string* html : {&e.OfflineCode, &e.BeforeIPAddress, &e.AfterIPAddress}) {
        if (html->find('\t') != std::string::npos)
            return true;
    }
    return false;
}

void WriteRecord(TByteWriter& out, const TRouterEntry& e)
{
    out.Int32(e.HTTPPort);
    out.Byte(e.BrowserAuth);
    out.String(e.AuthString);
    out.Double(e.SavedAt);
    for (const std::string* text :
         {&e.RouterVendor, &e.RouterVendorURL, &e.Comments, &e.GoOnline, &e.GoOffline, &e.StatusPage})
        out.String(*text);
    for (const std::string* html : {&e.OfflineCode, &e.BeforeIPAddress, &e.AfterIPAddress})
        out.StringWithoutTabs(*html);
    out.String(e.Status2Page);
    WriteProperties(out, e.Status2Values);
    for (const std::string* text : {&e.UserDef1, &e.UserDef2, &e.UserDef3, &e.Reserved1, &e.Reserved2})
        out.String(*text);
    out.Byte(e.ReservedFlag);
    out.String(e.SignOffURL);
    out.String(e.Status3Page);
    WriteProperties(out, e.Status3Values);
    out.String(e.Status4Page);
    WriteProperties(out, e.Status4Values);
}

// Writes records, each checked just before, while its memory is at hand;
// records still stored as they would be written are copied, other stored
// ones are read for their write alone.
// The three HTML fields are written without their TABs; the records lose
// them only when RemoveHtmlTabs is called, so that a text too long leaves
// every record as it was.
class TRecordWriter {
public:
    explicit TRecordWriter(TByteWriter& out) : m_out(out) {}

    // Throws TTextTooLong; false when the sink failed.
    bool WriteList(TRouterList& list)
    {
        m_out.U32(kRouterFileVersion);
        for (int i = 0; i < list.Count(); ++i) {
            // A record never read needs no reading to be written.
            if (const std::string_view stored = list.CanonicalBytes(i); !stored.empty()) {
                m_out.Bytes().append(stored);
            } else {
                bool htmlTabs = false;
                list.VisitEntry(i, [&](const TRouterEntry& e) {
                    CheckTextLengths(e, i);
                    htmlTabs = HasHtmlTabs(e);
                    if (!htmlTabs)
                        WriteRecord(m_out, e);
                });
                if (htmlTabs)
                    WriteLosingTabs(list.Entry(i));
            }
            if (!m_out.Pass())
                return false;
        }
        return m_out.Flush();
    }

    void RemoveHtmlTabs()
    {
        for (std::string* text : m_htmlWithTabs)
            RemoveWrittenTabs(*text);
        m_htmlWithTabs.clear();
    }

private:
    // A record that is to lose its TABs is kept in the list.
    void WriteLosingTabs(TRouterEntry& e)
    {
        for (std::string* html : {&e.OfflineCode, &e.BeforeIPAddress, &e.AfterIPAddress}) {
            if (html->find('\t') != std::string::npos)
                m_htmlWithTabs.push_back(html);
        }
        WriteRecord(m_out, e);
    }

    TByteWriter& m_out;
    std::vector<std::string*> m_htmlWithTabs;
};

} // namespace

// The editor's own message when the file cannot be created or replaced at
// all; every later step is told in detail.
std::string SaveFailureMessage(const std::string& path, const TWriteResult& result)
{
    switch (result.failedStep) {
    case TWriteStep::Target:
    case TWriteStep::Lock:
    case TWriteStep::Create:
        return "Fehler beim Erstellen der Datei " + MessageText(path) + "! " + WriteFailureReason(result);
    default:
        return WriteFailureMessage(path, result);
    }
}

TTextTooLong::TTextTooLong(int index, std::string name, std::string fieldName, std::size_t size)
    : std::runtime_error("Der Text im Feld \"" + fieldName + "\" des Routers \"" + Shortened(TCp1252Text(name)) +
                         "\" ist " + std::to_string(size) +
                         " Bytes lang. Ein Text darf in der Definitionsdatei höchstens 65535 "
                         "Bytes lang sein. Bitte kürzen Sie den Text."),
      routerIndex(index),
      routerName(std::move(name)),
      field(std::move(fieldName)),
      length(size)
{
}

void CheckTextLengths(const TRouterEntry& entry, int routerIndex)
{
    VisitTexts(entry, [&](const std::string& text, const char* field, bool htmlCode) {
        // The writer only ever makes HTML code shorter.
        const std::size_t length =
            htmlCode && text.size() > kMaxTextLength ? WrittenLength(text) : text.size();
        if (length > kMaxTextLength)
            throw TTextTooLong(routerIndex, entry.RouterVendor, field, length);
    });
    CheckProperties(entry, entry.Status2Values, 2, routerIndex);
    CheckProperties(entry, entry.Status3Values, 3, routerIndex);
    CheckProperties(entry, entry.Status4Values, 4, routerIndex);
}

std::string SerializeRouterList(TRouterList& list)
{
    TByteWriter out;
    TRecordWriter records(out);
    records.WriteList(list);
    records.RemoveHtmlTabs();
    return std::move(out.Bytes());
}

TRecordStore::TRecordStore() : m_owned(std::make_unique<TStoredFile>()), m_file(m_owned.get())
{
    m_file->version = kRouterFileVersion;
    m_file->read = ReadStoredRecord;
}

std::optional<TStoredRecord> TRecordStore::Add(const TRouterEntry& entry)
{
    try {
        CheckTextLengths(entry);
    } catch (const TTextTooLong&) {
        return std::nullopt; // the writer refuses it when it gets there
    }
    std::string& bytes = m_file->bytes;
    const std::size_t offset = bytes.size();
    TByteWriter out;
    WriteRecord(out, entry);
    if (out.Bytes().size() > UINT32_MAX - offset)
        return std::nullopt;
    bytes += out.Bytes();
    const TStoredRecord stored{m_file, std::uint32_t(offset), std::uint32_t(out.Bytes().size()), true};
    if (*ReadStoredRecord(stored) == entry)
        return stored;
    bytes.resize(offset);
    return std::nullopt;
}

void TRecordStore::Store(TRouterList& list, int index)
{
    if (const auto stored = Add(list.Entry(index)))
        list.Store(index, *stored);
}

std::unique_ptr<TStoredFile> TRecordStore::File()
{
    return std::move(m_owned);
}

bool WriteRouterList(TRouterList& list, TAtomicFile& file, bool keepOriginal)
{
    TByteWriter out([&file](std::string_view bytes) { return file.Write(bytes); });
    TRecordWriter records(out);
    // Throwing here discards what was written and leaves the file as it was.
    const bool written = records.WriteList(list);
    // The file could be written: the records lose their TABs, as they do
    // when the writer goes ahead.
    records.RemoveHtmlTabs();
    return written && file.Commit(keepOriginal);
}

bool SaveRouterListTo(TRouterList& list, TAtomicFile& file, const std::string& path, bool keepOriginal)
{
    try {
        if (WriteRouterList(list, file, keepOriginal))
            return true;
    } catch (const TTextTooLong& tooLong) {
        ShowMsgBox(ToCp1252Text(std::string(tooLong.what()) + " Es wurde nichts gespeichert; die Datei " +
                                Quoted(path) + " ist unverändert geblieben."),
                   {}, mkError, btnOK);
        return false;
    }
    ShowMsgBox(ToCp1252Text(SaveFailureMessage(path, file.Result())), {}, mkError, btnOK);
    return false;
}

bool SaveRouterList(TRouterList& list, const std::string& path, bool keepOriginal,
                    std::string* backupPath)
{
    if (backupPath)
        backupPath->clear();
    TAtomicFile file(path);
    if (!file.Open()) {
        ShowMsgBox(ToCp1252Text(SaveFailureMessage(path, file.Result())), {}, mkError, btnOK);
        return false;
    }
    if (!SaveRouterListTo(list, file, path, keepOriginal))
        return false;
    if (backupPath)
        *backupPath = file.BackupPath();
    return true;
}
