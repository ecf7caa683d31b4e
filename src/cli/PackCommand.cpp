#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "PackReader.h"


int RunPackCommand(const TArguments& arguments)
{
    TCommandLine line(
        "routersdat pack",
        "The way back from dump: reads JSON as dump prints it and writes the definitions file\n"
        "OUT in the current version, the routers in the JSON's order, as the editor writes.\n"
        "Invalid input is refused with the router and the field, and nothing is written.\n"
        "Where the editor's writer changes a value (TABs it removes, values of property names\n"
        "that stand more than once), a note on standard error says so.");
    line.AddPositional("JSON", "The JSON file, as dump prints it.");
    line.AddPositional("OUT", "The definitions file to write.");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;
    const std::string& in = line.Positional().at(0);
    const std::string& out = line.Positional().at(1);
    const std::string sameFile = "JSON und OUT sind dieselbe Datei; die Eingabe wird nie verändert.";
    if (SameFile(in, out))
        return Fail(sameFile);
    TAtomicFile output(out);
    if (!OpenOutput(output, out))
        return 1;
    if (IsOpenedOutput(output, in))
        return Fail(sameFile);
    std::string json;
    try {
        // The JSON stays in memory while the records are made, which take
        // at most about three times its size.
        json = ReadUserFile(in, UsableMemory() / 6);
    } catch (const TFileError& error) {
        return Fail(error.what());
    }
    TRouterList list(TRouterList::TOrder::Unsorted);
    try {
        for (const std::string& note : ReadPackedRouters(json, list))
            Warn(note);
    } catch (const TPackError& error) {
        return Fail(error.what());
    }
    return WriteDefinitions(list, output, out) ? 0 : 1;
}
