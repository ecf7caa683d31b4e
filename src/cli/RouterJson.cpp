#include "RouterJson.h"

#include "JsonWriter.h"

namespace {

constexpr TRouterField kFields[] = {
    {"HTTPPort", &TRouterEntry::HTTPPort},
    {"BrowserAuth", &TRouterEntry::BrowserAuth},
    {"AuthString", &TRouterEntry::AuthString},
    {"SavedAt", &TRouterEntry::SavedAt},
    {"RouterVendor", &TRouterEntry::RouterVendor},
    {"RouterVendorURL", &TRouterEntry::RouterVendorURL},
    {"Comments", &TRouterEntry::Comments},
    {"GoOnline", &TRouterEntry::GoOnline},
    {"GoOffline", &TRouterEntry::GoOffline},
    {"SignOffURL", &TRouterEntry::SignOffURL},
    {"StatusPage", &TRouterEntry::StatusPage},
    {"OfflineCode", &TRouterEntry::OfflineCode, true},
    {"BeforeIPAddress", &TRouterEntry::BeforeIPAddress, true},
    {"AfterIPAddress", &TRouterEntry::AfterIPAddress, true},
    {"Status2Page", &TRouterEntry::Status2Page},
    {"Status2Values", &TRouterEntry::Status2Values},
    {"Status3Page", &TRouterEntry::Status3Page},
    {"Status3Values", &TRouterEntry::Status3Values},
    {"Status4Page", &TRouterEntry::Status4Page},
    {"Status4Values", &TRouterEntry::Status4Values},
    {"UserDef1", &TRouterEntry::UserDef1},
    {"UserDef2", &TRouterEntry::UserDef2},
    {"UserDef3", &TRouterEntry::UserDef3},
    {"Reserved1", &TRouterEntry::Reserved1},
    {"Reserved2", &TRouterEntry::Reserved2},
    {"ReservedFlag", &TRouterEntry::ReservedFlag},
};

struct TJsonOfValue {
    std::string operator()(std::int32_t value) const { return std::to_string(value); }
    std::string operator()(std::uint8_t value) const { return std::to_string(value); }
    std::string operator()(double value) const { return JsonNumber(value); }
    std::string operator()(const std::string& value) const { return JsonString(value); }
    std::string operator()(const TPropertyList& list) const
    {
        std::string out = "[";
        for (int i = 0; i < list.Count(); ++i) {
            out += i ? ", " : "";
            out += JsonString(list.Line(i));
        }
        return out + "]";
    }
};

// Gathers output and hands it on in pieces, so that neither the whole dump
// nor one large record is ever held as one text.
class TPieces {
public:
    explicit TPieces(const TTextSink& write) : m_write(write) {}

    TPieces& operator<<(std::string_view text)
    {
        m_buffer += text;
        if (m_buffer.size() >= kPiece)
            Flush();
        return *this;
    }

    // False once a piece could not be handed on; nothing follows it.
    bool Flush()
    {
        if (m_ok && !m_buffer.empty())
            m_ok = m_write(m_buffer);
        m_buffer.clear();
        return m_ok;
    }

private:
    static constexpr std::size_t kPiece = std::size_t(1) << 16;
    const TTextSink& m_write;
    std::string m_buffer;
    bool m_ok = true;
};

void WriteRecord(TPieces& out, const TRouterEntry& entry)
{
    const char* before = "{\n      \"";
    for (const TRouterField& field : kFields) {
        out << before << field.name << "\": ";
        before = ",\n      \"";
        const auto* list = std::get_if<TPropertyList TRouterEntry::*>(&field.member);
        if (!list) {
            out << FieldJson(entry, field);
            continue;
        }
        out << "[";
        for (int i = 0; i < (entry.**list).Count(); ++i)
            out << (i ? ", " : "") << JsonString((entry.**list).Line(i));
        out << "]";
    }
    out << "\n    }";
}

} // namespace

std::span<const TRouterField> RouterFields()
{
    return kFields;
}

std::string FieldJson(const TRouterEntry& entry, const TRouterField& field)
{
    return std::visit([&](auto member) { return TJsonOfValue()(entry.*member); }, field.member);
}

bool WriteDump(const TLoadResult& result, const TRouterList& list, const TTextSink& write)
{
    TPieces out(write);
    out << "{\n  \"version\": " << (result.version ? std::to_string(*result.version) : "null");
    out << ",\n  \"routers\": [";
    for (int i = 0; i < list.Count(); ++i) {
        out << (i ? ",\n    " : "\n    ");
        list.VisitEntry(i, [&](const TRouterEntry& entry) { WriteRecord(out, entry); });
    }
    out << (list.Empty() ? "]" : "\n  ]");
    if (!result.complete)
        out << ",\n  \"damaged\": {\"offset\": " << std::to_string(result.damagedOffset) << "}";
    out << "\n}\n";
    return out.Flush();
}

std::string DumpDocument(const TLoadResult& result, const TRouterList& list)
{
    std::string document;
    WriteDump(result, list, [&](std::string_view piece) {
        document += piece;
        return true;
    });
    return document;
}
