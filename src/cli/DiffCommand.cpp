#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "RouterDiff.h"
#include "RouterJson.h"

#include <algorithm>
#include <sstream>

namespace {

// As diff does: 0 for equal files, 1 for different ones, 2 for trouble.
constexpr int kEqual = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

using TKind = TRouterDifference::TKind;

std::string TextReport(const std::vector<TRouterDifference>& differences, const std::string& a,
                       const std::string& b)
{
    std::string out = "--- " + Shown(a) + "\n+++ " + Shown(b) + "\n";
    for (const TRouterDifference& difference : differences) {
        const char mark = difference.kind == TKind::OnlyInA ? '-' : difference.kind == TKind::OnlyInB ? '+' : '~';
        out += std::string(1, mark) + " " + JsonString(difference.name) + "\n";
        for (const TFieldChange& change : difference.fields)
            out += "    " + change.field + ": " + change.a + " -> " + change.b + "\n";
    }
    return out;
}

std::string JsonNames(const std::vector<TRouterDifference>& differences, TKind kind)
{
    std::string out = "[";
    for (const TRouterDifference& difference : differences) {
        if (difference.kind == kind)
            out += (out.size() > 1 ? ", " : "") + JsonString(difference.name);
    }
    return out + "]";
}

std::string JsonReport(const std::vector<TRouterDifference>& differences)
{
    std::string changed;
    for (const TRouterDifference& difference : differences) {
        if (difference.kind != TKind::Changed)
            continue;
        changed += changed.empty() ? "\n    " : ",\n    ";
        changed += "{\"name\": " + JsonString(difference.name) + ", \"fields\": [";
        for (std::size_t i = 0; i < difference.fields.size(); ++i) {
            const TFieldChange& change = difference.fields[i];
            changed += (i ? ", " : "") + std::string("{\"field\": \"") + change.field + "\", \"a\": " +
                       change.a + ", \"b\": " + change.b + "}";
        }
        changed += "]}";
    }
    return "{\n  \"onlyInA\": " + JsonNames(differences, TKind::OnlyInA) +
           ",\n  \"onlyInB\": " + JsonNames(differences, TKind::OnlyInB) + ",\n  \"different\": [" +
           changed + (changed.empty() ? "]" : "\n  ]") + "\n}\n";
}

// The field names of a comma-separated list; nothing when one is unknown.
std::optional<std::set<std::string>> FieldNames(const std::string& list)
{
    std::set<std::string> names;
    std::istringstream in(list);
    for (std::string name; std::getline(in, name, ',');) {
        const auto fields = RouterFields();
        if (std::none_of(fields.begin(), fields.end(),
                         [&](const TRouterField& field) { return name == field.name; }))
            return std::nullopt;
        names.insert(name);
    }
    return names;
}

} // namespace

int RunDiffCommand(const TArguments& arguments)
{
    TCommandLine line(
        "routersdat diff",
        "Compares two definitions files router by router, by name ignoring case, in sorted\n"
        "order: '-' a router only in A, '+' one only in B, '~' one in both whose fields differ,\n"
        "each field with both values as JSON. Exit status 0 when equal, 1 when different,\n"
        "2 on trouble.");
    line.SetExitStatusHelp("Exit status:\n  0  A and B hold the same routers\n  1  they differ\n"
                           "  2  trouble: wrong arguments, a file that cannot be read, or one that\n"
                           "     is damaged or holds texts that had to be cut (the routers that\n"
                           "     could be read are still compared)\n");
    line.AddPositional("A", "The first definitions file.");
    line.AddPositional("B", "The second definitions file.");
    line.AddFlag("json", "Print JSON: onlyInA, onlyInB and different.");
    line.AddOption("ignore", "FIELDS", "Do not compare these fields (comma-separated, e.g. SavedAt).");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status == 0 ? kEqual : kTrouble;
    const std::optional<std::set<std::string>> ignored = FieldNames(line.Value("ignore"));
    if (!ignored) {
        Fail("--ignore erwartet Feldnamen, wie dump sie schreibt, etwa SavedAt,ReservedFlag.");
        return kTrouble;
    }
    const std::string& pathA = line.Positional().at(0);
    const std::string& pathB = line.Positional().at(1);
    TRouterList a;
    TRouterList b;
    const std::optional<TLoadResult> readA = ReadDefinitions(pathA, a);
    const std::optional<TLoadResult> readB = readA ? ReadDefinitions(pathB, b) : std::nullopt;
    if (!readB)
        return kTrouble;
    const std::vector<TRouterDifference> differences = DiffRouters(a, b, *ignored);
    const std::string report =
        line.IsSet("json") ? JsonReport(differences) : differences.empty() ? "" : TextReport(differences, pathA, pathB);
    // What was not read cannot be said to be equal.
    if (!WriteOutput({}, report) || !readA->Faithful() || !readB->Faithful())
        return kTrouble;
    return differences.empty() ? kEqual : kDifferent;
}
