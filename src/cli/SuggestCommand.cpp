#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252.h"
#include "JsonWriter.h"
#include "PageEvaluation.h"
#include "RuleProposal.h"

#include <charconv>

namespace {

// Places of a value that the note on standard error counts at most.
constexpr std::size_t kPlacesCounted = 64;

struct TField {
    const char* name;
    std::string value; // Windows-1252
};

std::optional<std::string> ReadPreparedPage(const std::string& path)
{
    std::optional<std::string> bytes = ReadPage(path);
    if (!bytes)
        return std::nullopt;
    return PreparePage(std::move(*bytes));
}

std::string FieldsOutput(const std::vector<TField>& fields, bool json)
{
    std::string out;
    for (const TField& field : fields) {
        if (json)
            out += (out.empty() ? "{" : ", ") + JsonString(field.name) + ": " + JsonString(field.value);
        else
            out += std::string(field.name) + ": " + Cp1252ToUtf8(EscapeControls(field.value)) + "\n";
    }
    return json ? out + "}\n" : out;
}

std::optional<std::size_t> PositiveNumber(const std::string& text)
{
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number == 0)
        return std::nullopt;
    return number;
}

// Says on standard error which place of a value that occurs more than once
// the rule reads.
void NoteChosenPlace(std::string_view page, std::string_view value, const TRuleProposal& proposal)
{
    const std::vector<TValueSpan> places = FindValueInPage(page, value, kPlacesCounted);
    if (places.size() < 2)
        return;
    std::size_t chosen = 0;
    while (chosen < places.size() && places[chosen].begin != proposal.span.begin)
        ++chosen;
    const std::string count = (places.size() == kPlacesCounted ? "mindestens " : "") + std::to_string(places.size());
    Note("Der Wert steht " + count + " Mal in der Seite; die Regel liest die Stelle " +
         std::to_string(chosen + 1) + " (--occurrence N wählt eine andere).");
}

} // namespace

int RunSuggestCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat suggest",
                      "Proposes the rule that extracts a value from a saved status page: BeforeIPAddress\n"
                      "and AfterIPAddress for the IP address of status query 1, or the HTML code of a\n"
                      "property of status queries 2 to 4. Spaces and line breaks are removed from the\n"
                      "value, as the rules remove them from the page. With --offline-page, also the\n"
                      "OfflineCode: text of that page that PAGE lacks. Every rule printed has been\n"
                      "tested on the page.");
    line.AddPositional("PAGE", "A status page saved to disk while the router was online.");
    line.AddOption("value", "TEXT", "The value as the page shows it.");
    line.AddOption("for", "RULE", "ip (the default) or property.", 0, "ip");
    line.AddOption("occurrence", "N", "Take the N-th place of the value in the page.");
    line.AddOption("offline-page", "PAGE2", "The same status page saved while the router was offline.");
    line.AddFlag("json", "Print JSON, with the record's field names as keys.");
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;

    if (!line.IsSet("value"))
        return Fail("--value fehlt; siehe 'routersdat suggest --help'.");
    const std::string& rule = line.Value("for");
    if (rule != "ip" && rule != "property")
        return Fail("--for muss ip oder property sein.");
    const TRuleTarget target = rule == "ip" ? TRuleTarget::IPAddress : TRuleTarget::Property;
    std::optional<std::size_t> occurrence;
    if (line.IsSet("occurrence") && !(occurrence = PositiveNumber(line.Value("occurrence"))))
        return Fail("--occurrence muss eine ganze Zahl ab 1 sein.");
    const std::optional<std::string> given = ArgumentAsCp1252(line.Value("value"), "Der Wert");
    if (!given)
        return 1;
    const std::string& value = *given;

    const std::optional<std::string> page = ReadPreparedPage(line.Positional().at(0));
    if (!page)
        return 1;
    std::optional<std::string> offlinePage;
    if (line.IsSet("offline-page") && !(offlinePage = ReadPreparedPage(line.Value("offline-page"))))
        return 1;

    const std::string seen = ValueAsRulesSeeIt(value);
    TRuleProposal proposal;
    const std::vector<TValueSpan> places = occurrence ? FindValueInPage(*page, seen, *occurrence)
                                                      : std::vector<TValueSpan>();
    if (occurrence && places.size() == *occurrence)
        proposal = ProposeRule(*page, places.back(), target);
    else if (occurrence && !places.empty())
        return Fail("Der Wert steht nur " + std::to_string(places.size()) + " Mal in der Seite.");
    else
        proposal = ProposeRuleForValue(*page, value, target); // or why it is not there
    if (!proposal.found)
        return FailCp1252(proposal.reason);
    if (!occurrence)
        NoteChosenPlace(*page, seen, proposal);

    std::vector<TField> fields;
    if (target == TRuleTarget::IPAddress) {
        fields.push_back({"BeforeIPAddress", proposal.beforeIPAddress});
        fields.push_back({"AfterIPAddress", proposal.afterIPAddress});
    } else {
        fields.push_back({"code", proposal.code});
    }
    if (offlinePage) {
        const std::string& marker = target == TRuleTarget::IPAddress ? proposal.beforeIPAddress : proposal.code;
        const TOfflineCodeProposal offline = ProposeOfflineCode(*page, *offlinePage, marker);
        if (!offline.found)
            return FailCp1252(offline.reason);
        fields.push_back({"OfflineCode", offline.offlineCode});
    }
    return WriteOutput({}, FieldsOutput(fields, line.IsSet("json"))) ? 0 : 1;
}
