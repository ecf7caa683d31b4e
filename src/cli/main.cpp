#include "CliSupport.h"
#include "CommandLine.h"
#include "Commands.h"
#include "FileSystem.h"
#include "WMsgBox.h"

#include <clocale>
#include <csignal>
#include <iostream>
#include <map>
#include <new>

#ifdef _WIN32
#include "WindowsConsole.h"
#endif

namespace {

const char kUsage[] =
    "Usage: routersdat COMMAND [ARGUMENTS]\n"
    "\n"
    "Inspects, converts and merges router definitions files without the editor window.\n"
    "Input files are never created or changed.\n"
    "\n"
    "Commands:\n"
    "  dump FILE                print every record of FILE as JSON, in file order\n"
    "  convert [--force] IN OUT write IN as the editor saves it (current version) to OUT\n"
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
    "  suggest PAGE --value TEXT [--also PAGE2 --value2 TEXT2]... [--for ip|property]\n"
    "          [--occurrence N] [--offline-page PAGE3] [--json]\n"
    "                           propose the rule that extracts TEXT from a saved page\n"
    "                           (and TEXT2 from each further save), tested on every page\n"
    "  probe FILE --router NAME --address ADDRESS [--user USER] [--password-file FILE]\n"
    "        [--status N]... [--save-dir DIR] [--insecure] [--timeout SECONDS] [--json]\n"
    "                           test a router's definition against the router itself;\n"
    "                           the password comes from FILE or TARVELO_PASSWORD\n"
    "\n"
    "'routersdat COMMAND --help' explains a command.\n"
    "\n";

// Runs the command named by the first argument (the program's name left
// out) and returns the exit status.
int RunTool(const std::vector<std::string>& arguments)
{
    // A console program: messages of the core go to standard error, on
    // Windows too, where the default is a message box, and like the tool's
    // own.
    SetMessageBoxFunction([](const TCp1252Text& text, const TCp1252Text&, unsigned style) {
        return ConsoleMessageBox(text, TCp1252Text("routersdat"), style);
    });
    const std::map<std::string, int (*)(const TArguments&)> commands = {
        {"dump", RunDumpCommand},
        {"convert", RunConvertCommand},
        {"names", RunNamesCommand},
        {"test", RunTestCommand},
        {"merge", RunMergeCommand},
        {"diff", RunDiffCommand},
        {"pack", RunPackCommand},
        {"suggest", RunSuggestCommand},
        {"probe", RunProbeCommand},
    };
    const std::string command = arguments.empty() ? "" : arguments.front();
    const auto found = commands.find(command);
    if (found == commands.end()) {
        if (command == "--help" || command == "-h") {
            std::cout << kUsage << kExitStatusHelp << std::flush;
            return std::cout ? 0 : Fail("Die Standardausgabe kann nicht geschrieben werden.");
        }
        if (!command.empty()) {
            Fail("unbekannter Befehl '" + Shown(command) + "'");
            std::cerr << '\n';
        }
        std::cerr << kUsage << kExitStatusHelp;
        return 1;
    }
    try {
        return found->second(TArguments(arguments.begin() + 1, arguments.end()));
    } catch (const std::bad_alloc&) {
        return Fail("Nicht genug Arbeitsspeicher, um den Befehl auszuführen.");
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

} // namespace

#ifdef _WIN32
// Arguments come as UTF-16, so that any file name reaches the tool.
int wmain(int argc, wchar_t* argv[])
{
    PrepareStandardStreams();
    return RunTool(Utf8Arguments(argc, argv));
}
#else
int main(int argc, char* argv[])
{
    // The system's error texts in the user's language and character set.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    // A file size limit (ulimit -f) would end the tool at the write that
    // crosses it; ignored, the write fails and the output is refused with
    // the reason like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    // The same for a memory limit: where going beyond it would get the tool
    // killed, an allocation fails instead and is reported.
    FailAllocationsBeyondMemoryLimits();
    return RunTool(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
