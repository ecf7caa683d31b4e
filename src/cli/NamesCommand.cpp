#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "Cp1252.h"
#include "NameExport.h"

#include <memory>

namespace {

// The names for a person at a terminal rather than for a program: as UTF-8,
// each control character escaped, so that no name can steer the terminal.
std::string NamesForReading(const TRouterList& list)
{
    std::string text;
    for (int i = 0; i < list.Count(); ++i)
        text += Cp1252ToUtf8(EscapeControls(list.Name(i))) + "\r\n";
    return text;
}

} // namespace

int RunNamesCommand(const TArguments& arguments)
{
    TCommandLine line("routersdat names",
                      "Prints the router names in the editor's sorted order, each followed by CR LF,\n"
                      "as Windows-1252 bytes (the editor's export format). On a terminal they are\n"
                      "shown as UTF-8 instead, with control characters escaped as \\xNN.");
    line.AddPositional("FILE", "The definitions file.");
    line.AddOption("output", "OUT", "Write to OUT instead of standard output.", 'o');
    if (const auto status = line.Parse(arguments, 1, 1))
        return *status;
    const std::string& in = line.Positional().at(0);
    const std::string& out = line.Value("output");
    const std::string sameFile = "FILE und OUT sind dieselbe Datei; die Eingabe wird nie verändert.";
    if (!out.empty() && SameFile(in, out))
        return Fail(sameFile);
    std::unique_ptr<TAtomicFile> output;
    if (!out.empty()) {
        output = std::make_unique<TAtomicFile>(out);
        if (!OpenOutput(*output, out))
            return kExitFailure;
        if (IsOpenedOutput(*output, in))
            return Fail(sameFile);
    }
    TRouterList& list = ListForTheRun();
    const auto result = ReadDefinitions(in, list);
    if (!result)
        return kExitFailure;
    const std::string names = !output && StandardOutputIsTerminal() ? NamesForReading(list) : RouterNamesText(list);
    const bool written = output ? WriteOpenedOutput(*output, out, names) : WriteOutput({}, names);
    return written ? StatusAfterReading(*result) : kExitFailure;
}
