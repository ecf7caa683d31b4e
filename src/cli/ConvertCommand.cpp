#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"

int RunConvertCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat convert",
                      "Reads IN as the editor does (sorted by name) and writes OUT as the editor's next "
                      "save would,\nin the current format version. OUT is replaced crash-safely; IN is "
                      "never changed.\nA damaged IN is refused unless --force is given.");
    line.AddPositional("IN", "The definitions file to read.");
    line.AddPositional("OUT", "The file to write.");
    line.AddFlag("force", "Write what could be read of a damaged IN (exit status 2).");
    if (const auto status = line.Parse(arguments, 2, 2))
        return *status;
    const std::string& in = line.Positional().at(0);
    const std::string& out = line.Positional().at(1);
    const std::string sameFile = "IN und OUT sind dieselbe Datei; die Eingabe wird nie verändert.";
    if (SameFile(in, out))
        return Fail(sameFile);
    TAtomicFile output(out);
    if (!OpenOutput(output, out))
        return kExitFailure;
    if (IsOpenedOutput(output, in))
        return Fail(sameFile);
    TRouterList& list = ListForTheRun();
    const auto result = ReadDefinitions(in, list);
    if (!result)
        return kExitFailure;
    if (!result->Faithful() && !line.IsSet("force")) {
        Fail("IN ist beschädigt, OUT fehlte also ein Teil davon; es wurde nichts geschrieben. Mit "
             "--force wird geschrieben, was gelesen werden konnte.");
        return kExitDamagedInput;
    }
    return WriteDefinitions(list, output, out) ? StatusAfterReading(*result) : kExitFailure;
}
