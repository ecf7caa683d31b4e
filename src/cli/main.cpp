#include "Commands.h"

#include <QCoreApplication>

#include <iostream>
#include <map>

namespace {

const char kUsage[] =
    "Usage: routersdat COMMAND [ARGUMENTS]\n"
    "\n"
    "Inspects and converts router definitions files without the editor window.\n"
    "Input files are never created or changed.\n"
    "\n"
    "Commands:\n"
    "  dump FILE                print every record of FILE as JSON, in file order\n"
    "  convert IN OUT           write IN as the editor saves it (current version) to OUT\n"
    "  names FILE [-o OUT]      print the router names, sorted, one per CR LF line\n"
    "  test FILE PAGE [--router NAME] [--status N] [--json]\n"
    "                           test a router's status-page rules against a saved page;\n"
    "                           without --router, list every router that reads PAGE as\n"
    "                           online with an IP address\n"
    "\n"
    "'routersdat COMMAND --help' explains a command.\n";

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("dump"), RunDumpCommand},
        {QStringLiteral("convert"), RunConvertCommand},
        {QStringLiteral("names"), RunNamesCommand},
        {QStringLiteral("test"), RunTestCommand},
    };
    QStringList arguments = QCoreApplication::arguments();
    const QString command = arguments.size() > 1 ? arguments.at(1) : QString();
    const auto found = commands.find(command);
    if (found == commands.end()) {
        const bool askedForHelp = command == QLatin1String("--help") || command == QLatin1String("-h");
        (askedForHelp ? std::cout : std::cerr) << kUsage;
        return askedForHelp ? 0 : 1;
    }
    arguments.removeFirst();
    arguments.first() = QStringLiteral("routersdat ") + command;
    return found->second(arguments);
}
