#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "FileMessages.h"
#include "LiveTest.h"
#include "PageEvaluation.h"
#include "PageTestOutput.h"
#include "UserFile.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// The password: never an argument, which every user of the machine can see.
std::optional<std::string> ReadPassword(const TCommandLine& line)
{
    std::string password;
    if (line.IsSet("password-file")) {
        try {
            password = ReadUserFile(line.Value("password-file"), 64 * 1024);
        } catch (const TFileError& error) {
            Fail(error.what());
            return std::nullopt;
        }
        password = password.substr(0, password.find_first_of("\r\n"));
    } else if (const char* variable = std::getenv("TARVELO_PASSWORD")) {
        password = variable;
    }
    return ArgumentAsCp1252(password, "Das Passwort");
}

std::optional<int> Seconds(const TCommandLine& line, const std::string& option)
{
    const std::string& text = line.Value(option);
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos
        || std::stoi(text) < 1) {
        Fail("--" + option + " braucht eine Zahl von Sekunden von 1 bis 9999.");
        return std::nullopt;
    }
    return std::stoi(text) * 1000;
}

std::optional<std::vector<int>> StatusQueries(const TCommandLine& line)
{
    std::vector<int> queries;
    for (const std::string& status : line.Values("status")) {
        if (status.size() != 1 || status[0] < '1' || status[0] > '4') {
            Fail("--status muss 1, 2, 3 oder 4 sein.");
            return std::nullopt;
        }
        queries.push_back(status[0] - '0');
    }
    return queries;
}

void WriteExchangeText(TOutput& out, int number, const TLiveExchange& exchange)
{
    out.Raw(std::to_string(number) + "\t" + exchange.method + "\t");
    out.Value(exchange.shownUrl);
    out.Raw("\t" + (exchange.status ? std::to_string(exchange.status) : std::string("-")) + "\t"
            + std::to_string(exchange.bytes) + " Bytes\t" + std::to_string(exchange.ms) + " ms\n");
    for (const std::string& hop : exchange.redirects) {
        out.Raw("\t-> ");
        out.Value(hop);
        out.Raw("\n");
    }
    if (!exchange.message.empty()) {
        out.Raw("\t");
        out.Text(exchange.message);
        out.Raw("\n");
    }
}

void WriteExchangeJson(TOutput& out, const TLiveExchange& exchange)
{
    out.Raw("{\"method\": \"" + exchange.method + "\", \"url\": ");
    out.Json(exchange.shownUrl);
    out.Raw(", \"status\": " + std::to_string(exchange.status) + ", \"bytes\": " + std::to_string(exchange.bytes)
            + ", \"ms\": " + std::to_string(exchange.ms) + ", \"redirects\": [");
    for (std::size_t i = 0; i < exchange.redirects.size(); ++i) {
        out.Raw(i ? ", " : "");
        out.Json(exchange.redirects[i]);
    }
    out.Raw("], \"error\": ");
    exchange.message.empty() ? out.Raw("null") : out.Json(exchange.message);
    out.Raw("}");
}

void WriteResults(TOutput& out, const TLiveTestReport& report, bool json, bool explain)
{
    for (std::size_t i = 0; i < report.results.size(); ++i) {
        const TLiveQueryResult& result = report.results[i];
        const TPageTest& test = *result.test;
        const std::string query = std::to_string(result.statusQuery);
        const std::string page = std::to_string(json ? result.page : result.page + 1);
        if (json)
            out.Raw(std::string(i ? ",\n  " : "\n  ") + "{\"status\": " + query + ", \"page\": " + page + ", ");
        else
            out.Text((result.statusQuery == 1 ? "Status1" : "Status " + query) + " (Antwort " + page + "):\n");
        WriteTestResult(out, test.Result(), result.statusQuery, json, explain ? &test.Trace() : nullptr, test.Page());
        out.Raw(json ? "}" : "");
    }
}

bool SaveResponses(const TLiveTestReport& report, const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (std::size_t i = 0; i < report.requests.size(); ++i) {
        const TLiveExchange& exchange = *report.requests[i];
        if (exchange.status == 0)
            continue;
        const std::string path = (std::filesystem::path(folder) / SavedPageName(int(i), exchange)).string();
        if (!WriteOutput(path, exchange.body))
            return false;
    }
    return true;
}

} // namespace

int RunProbeCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat probe",
                      "Tests a router's definition against the router itself: sends its requests as the\n"
                      "monitor does (login, status pages, sign-off), prints one line per request\n"
                      "(method, address with the password as ***, HTTP status, bytes, milliseconds,\n"
                      "redirects followed), then reads every status query from its response as\n"
                      "'routersdat test' reads a saved page. Without --status, runs status query 1\n"
                      "and 2 to 4 where the router has properties for them. The password is read\n"
                      "from the first line of --password-file, else from the environment variable\n"
                      "TARVELO_PASSWORD; never from the command line. Only ADDRESS is contacted:\n"
                      "redirects to another host are refused.");
    line.SetExitStatusHelp("Exit status: 0 when every request got a 2xx answer and every status query ran;\n"
                           "1 otherwise, with the reason in German on standard error.\n");
    line.AddPositional("FILE", "The definitions file.");
    line.AddOption("router", "NAME", "The router to test (ignoring case).");
    line.AddOption("address", "ADDRESS", "Host name or IP address, optionally :PORT, http:// or https://.");
    line.AddOption("user", "USER", "The user name for the login.");
    line.AddOption("password-file", "FILE", "Read the password from the first line of FILE.");
    line.AddOption("status", "N", "Run status query N (1 to 4); may be repeated.");
    line.AddOption("save-dir", "DIR", "Save every response in DIR (01-login.htm, 02-status.htm, ...).");
    line.AddFlag("insecure", "Accept the router's TLS certificate without checking it, for this test only.");
    line.AddOption("timeout", "SECONDS", "Time allowed for each answer once connected (default 15).", 0, "15");
    line.AddOption("connect-timeout", "SECONDS", "Time allowed to connect (default 5).", 0, "5");
    line.AddFlag("json", "Print JSON.");
    line.AddFlag("explain", "Also print where each rule matched, as 'routersdat test --explain'.");
    for (const std::string& argument : arguments) {
        if (argument == "--password" || argument.rfind("--password=", 0) == 0)
            return Fail("Das Passwort wird nie auf der Befehlszeile angenommen, wo andere Benutzer es sehen "
                        "können: --password-file DATEI oder die Umgebungsvariable TARVELO_PASSWORD.");
    }
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;
    if (!line.IsSet("router") || !line.IsSet("address"))
        return Fail("probe braucht --router NAME und --address ADRESSE.");
    const auto queries = StatusQueries(line);
    const auto readTimeout = Seconds(line, "timeout");
    const auto connectTimeout = Seconds(line, "connect-timeout");
    const auto router = ArgumentAsCp1252(line.Value("router"), "Der Routername");
    const auto user = ArgumentAsCp1252(line.Value("user"), "Der Benutzername");
    if (!queries || !readTimeout || !connectTimeout || !router || !user)
        return kExitFailure;
    const auto password = ReadPassword(line);
    if (!password)
        return kExitFailure;

    TRouterList& list = ListForTheRun();
    if (!ReadDefinitions(line.Positional().at(0), list))
        return kExitFailure;
    const int index = list.FindByName(*router);
    if (index < 0)
        return Fail(Quoted(line.Positional().at(0)) + " enthält keinen Router namens " +
                    QuotedText(TCp1252Text(*router)) + ".");
    const auto address = ParseRouterAddress(line.Value("address"), list.Entry(index).HTTPPort);
    if (const auto* reason = std::get_if<std::string>(&address))
        return Fail(*reason);
    TLiveTestOptions options;
    options.address = line.Value("address");
    options.credentials = {*user, *password};
    options.statusQueries = *queries;
    options.limits.connectTimeoutMs = *connectTimeout;
    options.limits.readTimeoutMs = *readTimeout;
    options.limits.acceptAnyCertificate = line.IsSet("insecure");

    const bool json = line.IsSet("json");
    TOutput out;
    out.Raw(json ? "{\"requests\": [" : "");
    int sent = 0;
    TLiveCancel cancel;
    const TLiveTestReport report =
        RunLiveTest(list.Entry(index), options, cancel, [&](const auto& exchange, const auto&) {
            if (json) {
                out.Raw(sent ? ",\n  " : "\n  ");
                WriteExchangeJson(out, *exchange);
            } else {
                WriteExchangeText(out, sent + 1, *exchange);
            }
            ++sent;
            std::cout.flush();
        });
    out.Raw(json ? "],\n \"results\": [" : "");
    WriteResults(out, report, json, line.IsSet("explain"));
    out.Raw(json ? "]}\n" : "");
    if (!out.Finish())
        return kExitFailure;
    const bool saved = !line.IsSet("save-dir") || SaveResponses(report, line.Value("save-dir"));
    if (report.failure == TLiveFailure::Certificate)
        return Fail(report.message + " Nur wenn Sie sicher sind, dass es Ihr Router ist: --insecure nimmt "
                                           "das Zertifikat für diesen Test an.");
    if (!report.message.empty())
        return Fail(report.message);
    if (!report.Succeeded())
        return Fail("Nicht jede Statusabfrage konnte laufen.");
    return saved ? 0 : kExitFailure;
}
