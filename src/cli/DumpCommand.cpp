#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "RouterJson.h"

int RunDumpCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat dump",
                      "Prints every record of a definitions file as JSON, in file order.\nTexts are "
                      "decoded from Windows-1252; a damaged file gets a \"damaged\" key.");
    line.AddPositional("FILE", "The definitions file.");
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;
    TRouterList& list = ListForTheRun(TRouterList::TOrder::Unsorted);
    const auto result = ReadDefinitions(line.Positional().at(0), list);
    if (!result)
        return kExitFailure;
    const bool written = WriteDump(*result, list, [](std::string_view piece) { return WriteOutput({}, piece); });
    return written ? StatusAfterReading(*result) : kExitFailure;
}
