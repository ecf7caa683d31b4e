#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"

int RunConvertCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat convert",
                      "Reads IN as the editor does (sorted by name) and writes OUT as the editor's next "
                      "save would,\nin the current format version. OUT is replaced crash-safely; IN is "
                      "never changed.");
    line.AddPositional("IN", "The definitions file to read.");
    line.AddPositional("OUT", "The file to write.");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;
    const std::string& in = line.Positional().at(0);
    const std::string& out = line.Positional().at(1);
    if (SameFile(in, out))
        return Fail("IN and OUT are the same file; the input is never changed");
    TRouterList list;
    if (!ReadDefinitions(in, list))
        return 1;
    return SaveRouterList(list, out) ? 0 : 1;
}
