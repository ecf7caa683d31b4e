#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "NameExport.h"

int RunNamesCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat names",
                      "Prints the router names in the editor's sorted order, each followed by CR LF,\n"
                      "as Windows-1252 bytes (the editor's export format).");
    line.AddPositional("FILE", "The definitions file.");
    line.AddOption("output", "OUT", "Write to OUT instead of standard output.", 'o');
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;
    const std::string& in = line.Positional().at(0);
    const std::string& out = line.Value("output");
    if (!out.empty() && SameFile(in, out))
        return Fail("FILE und OUT sind dieselbe Datei; die Eingabe wird nie verändert.");
    TRouterList& list = ListForTheRun();
    const auto result = ReadDefinitions(in, list);
    if (!result)
        return kExitFailure;
    return WriteOutput(out, RouterNamesText(list)) ? StatusAfterReading(*result) : kExitFailure;
}
