#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252.h"
#include "JsonWriter.h"
#include "PageEvaluation.h"

#include <optional>

namespace {

std::string Utf8(std::string_view cp1252Text)
{
    return Cp1252ToUtf8(cp1252Text);
}

std::string Status1Output(const TStaticTestResult& result, bool json)
{
    const char* state = result.offline ? "OFFLINE" : "ONLINE";
    if (json)
        return std::string("{\"state\": \"") + state + "\", \"ip\": " + JsonString(result.ipAddress) + "}\n";
    return std::string(state) + "\n" + Utf8(result.ipAddress) + "\n";
}

std::string ValuesOutput(const TPropertyList& values, bool json)
{
    std::string out = json ? "{\"values\": [" : "";
    for (int i = 0; i < values.Count(); ++i) {
        if (json) {
            out += i ? ", [" : "[";
            out += JsonString(values.Name(i)) + ", " + JsonString(values.ValueAt(i)) + "]";
        } else {
            out += Utf8(values.Name(i)) + ": " + Utf8(values.ValueAt(i)) + "\n";
        }
    }
    return json ? out + "]}\n" : out;
}

// Every router whose status query 1 reads the page as online with an
// address, in the list's sorted order.
std::string OnlineRoutersOutput(const TRouterList& list, std::string_view page, bool json)
{
    std::string out = json ? "{\"online\": [" : "";
    bool first = true;
    for (int i = 0; i < list.Count(); ++i) {
        const TStaticTestResult result = TestPreparedPage(list.Entry(i), page, 1);
        if (result.offline || result.ipAddress.empty())
            continue;
        if (json) {
            out += first ? "[" : ", [";
            out += JsonString(list.Name(i)) + ", " + JsonString(result.ipAddress) + "]";
        } else {
            out += Utf8(list.Name(i)) + "\t" + Utf8(result.ipAddress) + "\n";
        }
        first = false;
    }
    return json ? out + "]}\n" : out;
}

} // namespace

int RunTestCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat test",
                      "Tests a router's status-page rules against a saved page, as the editor's test tab "
                      "does.\nStatus query 1 prints ONLINE or OFFLINE and the IP address; 2 to 4 print "
                      "one\n'name: value' line per value found. Without --router, lists every router\n"
                      "that reads the page as online with an IP address: name, TAB, address.");
    line.AddPositional("FILE", "The definitions file.");
    line.AddPositional("PAGE", "A status page saved to disk.");
    line.AddOption("router", "NAME", "Test the router of this name (ignoring case).");
    line.AddOption("status", "N", "Status query 1 to 4 (default 1).", 0, "1");
    line.AddFlag("json", "Print JSON.");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;

    const std::string& status = line.Value("status");
    if (status.size() != 1 || status[0] < '1' || status[0] > '4')
        return Fail("--status must be 1, 2, 3 or 4");
    const int statusQuery = status[0] - '0';
    const bool json = line.IsSet("json");
    if (!line.IsSet("router") && statusQuery != 1)
        return Fail("--status needs --router; without it every router runs status query 1");

    TRouterList list;
    if (!ReadDefinitions(line.Positional().at(0), list))
        return 1;
    int index = -1;
    if (line.IsSet("router")) {
        std::string name;
        if (!Utf8ToCp1252(line.Value("router"), name))
            return Fail("the router name holds characters that Windows-1252 lacks");
        index = list.FindByName(name);
        if (index < 0)
            return Fail("no router named \"" + line.Value("router") + "\" in " + line.Positional().at(0));
    }
    std::optional<std::string> bytes = ReadPage(line.Positional().at(1));
    if (!bytes)
        return 1;
    const std::string page = PreparePage(std::move(*bytes));

    std::string out;
    if (index < 0)
        out = OnlineRoutersOutput(list, page, json);
    else if (statusQuery == 1)
        out = Status1Output(TestPreparedPage(list.Entry(index), page, 1), json);
    else
        out = ValuesOutput(TestPreparedPage(list.Entry(index), page, statusQuery).values, json);
    return WriteOutput({}, out) ? 0 : 1;
}
