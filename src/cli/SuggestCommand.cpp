#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252.h"
#include "JsonWriter.h"
#include "PageEvaluation.h"
#include "RuleProposal.h"
#include "UserFile.h"

#include <charconv>

namespace {

// Places of a value that the note on standard error counts at most.
constexpr std::size_t kPlacesCounted = 64;

struct TField {
    const char* name;
    std::string value; // Windows-1252
};

// Reads and prepares the pages, which share one limit: together they may
// take what one page may.
class TPageReader {
public:
    std::optional<std::string> Read(const std::string& path)
    {
        try {
            std::string bytes = ReadUserFile(path, m_left, TFileNaming::FullPath);
            m_left -= bytes.size();
            return PreparePage(std::move(bytes));
        } catch (const TFileError& error) {
            Fail(error.what());
            if (m_left < MaxPageFileSize())
                Fail("Alle Seiten zusammen dürfen höchstens " + std::to_string(MaxPageFileSize()) +
                     " Bytes groß sein.");
            return std::nullopt;
        }
    }

private:
    std::uint64_t m_left = MaxPageFileSize();
};

bool InPage(std::string_view page, std::string_view value)
{
    return !FindValueInPage(page, ValueAsRulesSeeIt(value), 1).empty();
}

// The value as the page holds it: in Windows-1252, as the rules read pages,
// or as given where only that stands in the page (a page in UTF-8). Prints
// why when there is none.
std::optional<std::string> ValueForPage(const std::string& argument, std::string_view page,
                                        const std::string& what)
{
    std::string cp1252;
    const bool converts = Utf8ToCp1252(argument, cp1252);
    if ((!converts || (cp1252 != argument && !InPage(page, cp1252))) && InPage(page, argument))
        return argument;
    return ArgumentAsCp1252(argument, what);
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

// Says on standard error what the rule reads on each page.
void NoteReadings(const TRuleProposal& proposal)
{
    std::string readings;
    for (std::size_t i = 0; i < proposal.results.size(); ++i)
        readings += (i == 0 ? "" : ", ") + std::string("Seite ") + std::to_string(i + 1) + " „" +
                    Shown(TCp1252Text(proposal.results[i])) + "“";
    Note("Die Regel liest " + readings + ".");
}

} // namespace

int RunSuggestCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat suggest",
                      "Proposes the rule that extracts a value from a saved status page: BeforeIPAddress\n"
                      "and AfterIPAddress for the IP address of status query 1, or the HTML code of a\n"
                      "property of status queries 2 to 4. Spaces and line breaks are removed from the\n"
                      "value, as the rules remove them from the page. Each --also adds another save of\n"
                      "the same page (after a reconnect, or from another firmware) with its value in\n"
                      "--value2, in the same order; the rule must read every page. With --offline-page,\n"
                      "also the OfflineCode: text of that page that the other pages lack. Every rule\n"
                      "printed has been tested on every page.");
    line.AddPositional("PAGE", "A status page saved to disk while the router was online.");
    line.AddOption("value", "TEXT", "The value as the page shows it.");
    line.AddOption("also", "PAGE2", "Another save of the same status page (may be given more than once).");
    line.AddOption("value2", "TEXT2", "The value as that page shows it (one for each --also).");
    line.AddOption("for", "RULE", "ip (the default) or property.", 0, "ip");
    line.AddOption("occurrence", "N", "Take the N-th place of the value in PAGE.");
    line.AddOption("offline-page", "PAGE3", "The same status page saved while the router was offline.");
    line.AddFlag("json", "Print JSON, with the record's field names as keys.");
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;

    if (!line.IsSet("value"))
        return Fail("--value fehlt; siehe 'routersdat suggest --help'.");
    if (line.Values("also").size() != line.Values("value2").size())
        return Fail("Jede mit --also angegebene Seite braucht ihren Wert in --value2, in derselben Reihenfolge.");
    const std::string& rule = line.Value("for");
    if (rule != "ip" && rule != "property")
        return Fail("--for muss ip oder property sein.");
    const TRuleTarget target = rule == "ip" ? TRuleTarget::IPAddress : TRuleTarget::Property;
    std::optional<std::size_t> occurrence;
    if (line.IsSet("occurrence") && !(occurrence = PositiveNumber(line.Value("occurrence"))))
        return Fail("--occurrence muss eine ganze Zahl ab 1 sein.");

    TPageReader reader;
    std::vector<std::string> pages;
    std::vector<std::string> values;
    std::vector<std::string> paths = {line.Positional().at(0)};
    paths.insert(paths.end(), line.Values("also").begin(), line.Values("also").end());
    std::vector<std::string> givenValues = {line.Value("value")};
    givenValues.insert(givenValues.end(), line.Values("value2").begin(), line.Values("value2").end());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::optional<std::string> page = reader.Read(paths[i]);
        if (!page)
            return 1;
        std::optional<std::string> value =
            ValueForPage(givenValues[i], *page, i == 0 ? "Der Wert" : "Der Wert von --value2");
        if (!value)
            return 1;
        pages.push_back(std::move(*page));
        values.push_back(std::move(*value));
    }
    std::optional<std::string> offlinePage;
    if (line.IsSet("offline-page") && !(offlinePage = reader.Read(line.Value("offline-page"))))
        return 1;

    std::vector<TPageValue> given;
    for (std::size_t i = 0; i < pages.size(); ++i)
        given.push_back({pages[i], values[i], std::nullopt});
    const std::string seen = ValueAsRulesSeeIt(values[0]);
    if (occurrence) {
        const std::vector<TValueSpan> places = FindValueInPage(pages[0], seen, *occurrence);
        if (!places.empty() && places.size() < *occurrence)
            return Fail("Der Wert steht nur " + std::to_string(places.size()) + " Mal in der Seite.");
        if (!places.empty())
            given[0].span = places.back();
    }
    const TRuleProposal proposal = ProposeRuleForPages(given, target); // or why there is none
    if (!proposal.found)
        return Fail(proposal.reason);
    if (!occurrence)
        NoteChosenPlace(pages[0], seen, proposal);
    if (pages.size() > 1)
        NoteReadings(proposal);

    std::vector<TField> fields;
    if (target == TRuleTarget::IPAddress) {
        fields.push_back({"BeforeIPAddress", proposal.beforeIPAddress});
        fields.push_back({"AfterIPAddress", proposal.afterIPAddress});
    } else {
        fields.push_back({"code", proposal.code});
    }
    if (offlinePage) {
        const std::string& marker = target == TRuleTarget::IPAddress ? proposal.beforeIPAddress : proposal.code;
        const std::vector<std::string_view> onlinePages(pages.begin(), pages.end());
        const TOfflineCodeProposal offline = ProposeOfflineCode(onlinePages, *offlinePage, marker);
        if (!offline.found)
            return Fail(offline.reason);
        fields.push_back({"OfflineCode", offline.offlineCode});
    }
    return WriteOutput({}, FieldsOutput(fields, line.IsSet("json"))) ? 0 : 1;
}
