#include "CliSupport.h"
#include "Commands.h"
#include "WMsgBox.h"

#include <iostream>
#include <map>
#include <new>

namespace {

const char kUsage[] =
    "Usage: routersdat COMMAND [ARGUMENTS]\n"
    "\n"
    "Inspects, converts and merges router definitions files without the editor window.\n"
    "Input files are never created or changed.\n"
    "\n"
    "Commands:\n"
    "  dump FILE                print every record of FILE as JSON, in file order\n"
    "  convert IN OUT           write IN as the editor saves it (current version) to OUT\n"
    "  names FILE [-o OUT]      print the router names, sorted, one per CR LF line\n"
    "  test FILE PAGE [--router NAME] [--status N] [--json] [--explain]\n"
    "                           test a router's status-page rules against a saved page;\n"
    "                           without --router, list every router that reads PAGE as\n"
    "                           online with an IP address; --explain shows where each\n"
    "                           rule matched\n"
    "  merge TARGET SOURCE (--router NAME | --all) [--skip-existing] [--saved-at TIME]\n"
    "                           take routers over from SOURCE as the editor's merge does\n"
    "  diff A B [--json] [--ignore FIELDS]\n"
    "                           list the routers only in A, only in B, and those that differ\n"
    "  pack JSON OUT            write the JSON that dump prints back as a definitions file\n"
    "  suggest PAGE --value TEXT [--for ip|property] [--offline-page PAGE2] [--json]\n"
    "                           propose the rule that extracts TEXT from a saved page,\n"
    "                           tested on that page\n"
    "\n"
    "'routersdat COMMAND --help' explains a command.\n";

} // namespace

int main(int argc, char* argv[])
{
    // A console program: messages of the core go to standard error, on
    // Windows too, where the default is a message box.
    SetMessageBoxFunction(ConsoleMessageBox);
    const std::map<std::string, int (*)(const TArguments&)> commands = {
        {"dump", RunDumpCommand},
        {"convert", RunConvertCommand},
        {"names", RunNamesCommand},
        {"test", RunTestCommand},
        {"merge", RunMergeCommand},
        {"diff", RunDiffCommand},
        {"pack", RunPackCommand},
        {"suggest", RunSuggestCommand},
    };
    const std::string command = argc > 1 ? argv[1] : "";
    const auto found = commands.find(command);
    if (found == commands.end()) {
        const bool askedForHelp = command == "--help" || command == "-h";
        (askedForHelp ? std::cout : std::cerr) << kUsage;
        return askedForHelp ? 0 : 1;
    }
    try {
        return found->second(TArguments(argv + 2, argv + argc));
    } catch (const std::bad_alloc&) {
        return FailCp1252("Nicht genug Arbeitsspeicher, um den Befehl auszuf\xFChren.");
    }
}
