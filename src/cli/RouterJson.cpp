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

std::string JsonRecord(const TRouterEntry& entry)
{
    std::string out = "{";
    for (const TRouterField& field : kFields) {
        out += out.size() > 1 ? ",\n      \"" : "\n      \"";
        out.append(field.name).append("\": ").append(FieldJson(entry, field));
    }
    return out + "\n    }";
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

std::string DumpDocument(const TLoadResult& result, const TRouterList& list)
{
    std::string out = "{\n  \"version\": ";
    out += result.version ? std::to_string(*result.version) : "null";
    out += ",\n  \"routers\": [";
    for (int i = 0; i < list.Count(); ++i) {
        out += i ? ",\n    " : "\n    ";
        out += JsonRecord(list.Entry(i));
    }
    out += list.Empty() ? "]" : "\n  ]";
    if (!result.complete)
        out += ",\n  \"damaged\": {\"offset\": " + std::to_string(result.damagedOffset) + "}";
    return out + "\n}\n";
}
