#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252Text.h"
#include "FileMessages.h"
#include "PageEvaluation.h"
#include "PageTestOutput.h"

#include <iostream>
#include <optional>

namespace {

// One router's status query, with the trace behind it when asked for.
bool WriteRouterTest(const TRouterEntry& entry, std::string_view page, int statusQuery, bool json, bool explain)
{
    TPageTrace trace;
    const TStaticTestResult result = TestPreparedPage(entry, page, statusQuery, explain ? &trace : nullptr);
    TOutput out;
    out.Raw(json ? "{" : "");
    WriteTestResult(out, result, statusQuery, json, explain ? &trace : nullptr, page);
    out.Raw(json ? "}\n" : "");
    return out.Finish();
}

// Every router whose status query 1 reads the page as online with an
// address, in the list's sorted order.
bool WriteOnlineRouters(const TRouterList& list, std::string_view page, bool json)
{
    TOutput out;
    out.Raw(json ? "{\"online\": [" : "");
    bool first = true;
    for (int i = 0; i < list.Count(); ++i) {
        // Each record is read for its test alone.
        TStaticTestResult result;
        list.VisitEntry(i, [&](const TRouterEntry& entry) { result = TestPreparedPage(entry, page, 1); });
        if (result.offline || result.ipAddress.empty())
            continue;
        if (json) {
            out.Raw(first ? "[" : ", [");
            out.Json(list.Name(i));
            out.Raw(", ");
            out.Json(result.ipAddress);
            out.Raw("]");
        } else {
            out.Value(list.Name(i));
            out.Raw("\t");
            out.Value(result.ipAddress);
            out.Raw("\n");
        }
        first = false;
    }
    out.Raw(json ? "]}\n" : "");
    return out.Finish();
}

} // namespace

int RunTestCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat test",
                      "Tests a router's status-page rules against a saved page, as the editor's test tab "
                      "does.\nStatus query 1 prints ONLINE or OFFLINE and the IP address; 2 to 4 print "
                      "one\n'name: value' line per value found. Without --router, lists every router\n"
                      "that reads the page as online with an IP address: name, TAB, address.\n"
                      "--explain adds, in German, where each rule matched in the page as the rules\n"
                      "see it: a NUL among the first two bytes made a space, then no spaces, and no\n"
                      "line breaks or TABs before the first NUL byte. Per rule its result, then its\n"
                      "steps in the order they ran (start text, counted occurrences, marker, end of\n"
                      "the value, value, \"checked\"), each as byte offset (from 0) + length of what\n"
                      "it matched, or of the part it searched when it found nothing ('!' marks the\n"
                      "step that made the rule fail), and an excerpt with the span in brackets.\n"
                      "With --json the same comes as a \"trace\" member.");
    line.AddPositional("FILE", "The definitions file.");
    line.AddPositional("PAGE", "A status page saved to disk.");
    line.AddOption("router", "NAME", "Test the router of this name (ignoring case).");
    line.AddOption("status", "N", "Status query 1 to 4 (default 1).", 0, "1");
    line.AddFlag("json", "Print JSON.");
    line.AddFlag("explain", "Also print where each rule matched (needs --router).");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;

    const std::string& status = line.Value("status");
    if (status.size() != 1 || status[0] < '1' || status[0] > '4')
        return Fail("--status muss 1, 2, 3 oder 4 sein.");
    const int statusQuery = status[0] - '0';
    const bool json = line.IsSet("json");
    if (!line.IsSet("router") && statusQuery != 1)
        return Fail("--status braucht --router; ohne ihn läuft für jeden Router Statusabfrage 1.");
    const bool explain = line.IsSet("explain");
    if (!line.IsSet("router") && explain)
        return Fail("--explain braucht --router.");

    TRouterList& list = ListForTheRun();
    const auto read = ReadDefinitions(line.Positional().at(0), list);
    if (!read)
        return kExitFailure;
    int index = -1;
    if (line.IsSet("router")) {
        const std::optional<std::string> name = ArgumentAsCp1252(line.Value("router"), "Der Routername");
        if (!name)
            return kExitFailure;
        index = list.FindByName(*name);
        if (index < 0)
            return Fail(Quoted(line.Positional().at(0)) + " enthält keinen Router namens " +
                        QuotedText(TCp1252Text(*name)) + ".");
    }
    std::optional<std::string> bytes = ReadPage(line.Positional().at(1));
    if (!bytes)
        return 1;
    const std::string page = PreparePage(std::move(*bytes));

    const bool written = index < 0 ? WriteOnlineRouters(list, page, json)
                                   : WriteRouterTest(list.Entry(index), page, statusQuery, json, explain);
    return written ? StatusAfterReading(*read) : kExitFailure;
}
