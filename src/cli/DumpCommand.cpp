#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "JsonWriter.h"


namespace {

std::string JsonPropertyList(const TPropertyList& list)
{
    std::string out = "[";
    for (int i = 0; i < list.Count(); ++i) {
        out += i ? ", " : "";
        out += JsonString(list.Line(i));
    }
    return out + "]";
}

class TRecordWriter {
public:
    void Number(const char* key, const std::string& value) { Field(key, value); }
    void Text(const char* key, const std::string& value) { Field(key, JsonString(value)); }
    void List(const char* key, const TPropertyList& value) { Field(key, JsonPropertyList(value)); }
    std::string Finish() { return m_out + "\n    }"; }

private:
    void Field(const char* key, const std::string& json)
    {
        m_out += m_out.size() > 1 ? ",\n      \"" : "\n      \"";
        m_out.append(key).append("\": ").append(json);
    }
    std::string m_out = "{";
};

std::string JsonRecord(const TRouterEntry& e)
{
    TRecordWriter w;
    w.Number("HTTPPort", std::to_string(e.HTTPPort));
    w.Number("BrowserAuth", std::to_string(e.BrowserAuth));
    w.Text("AuthString", e.AuthString);
    w.Number("SavedAt", JsonNumber(e.SavedAt));
    w.Text("RouterVendor", e.RouterVendor);
    w.Text("RouterVendorURL", e.RouterVendorURL);
    w.Text("Comments", e.Comments);
    w.Text("GoOnline", e.GoOnline);
    w.Text("GoOffline", e.GoOffline);
    w.Text("SignOffURL", e.SignOffURL);
    w.Text("StatusPage", e.StatusPage);
    w.Text("OfflineCode", e.OfflineCode);
    w.Text("BeforeIPAddress", e.BeforeIPAddress);
    w.Text("AfterIPAddress", e.AfterIPAddress);
    w.Text("Status2Page", e.Status2Page);
    w.List("Status2Values", e.Status2Values);
    w.Text("Status3Page", e.Status3Page);
    w.List("Status3Values", e.Status3Values);
    w.Text("Status4Page", e.Status4Page);
    w.List("Status4Values", e.Status4Values);
    w.Text("UserDef1", e.UserDef1);
    w.Text("UserDef2", e.UserDef2);
    w.Text("UserDef3", e.UserDef3);
    w.Text("Reserved1", e.Reserved1);
    w.Text("Reserved2", e.Reserved2);
    w.Number("ReservedFlag", std::to_string(e.ReservedFlag));
    return w.Finish();
}

std::string JsonDocument(const TLoadResult& result, const TRouterList& list)
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

} // namespace

int RunDumpCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat dump",
                      "Prints every record of a definitions file as JSON, in file order.\nTexts are "
                      "decoded from Windows-1252; a damaged file gets a \"damaged\" key.");
    line.AddPositional("FILE", "The definitions file.");
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;
    TRouterList list(TRouterList::TOrder::Unsorted);
    const auto result = ReadDefinitions(line.Positional().at(0), list);
    if (!result)
        return 1;
    return WriteOutput({}, JsonDocument(*result, list)) ? 0 : 1;
}
