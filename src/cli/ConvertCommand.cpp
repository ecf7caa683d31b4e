#include "CliSupport.h"
#include "Commands.h"

int RunConvertCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("The definitions file to read."));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("The file to write."));
    if (!ParseCommandLine(parser, arguments,
                          QStringLiteral("Reads IN as the editor does (sorted by name) and writes "
                                         "OUT as the editor's next save would,\nin the current "
                                         "format version. OUT is replaced crash-safely; IN is never "
                                         "changed."),
                          2, 2))
        return 1;
    const std::string in = LocalPath(parser.positionalArguments().at(0));
    const std::string out = LocalPath(parser.positionalArguments().at(1));
    if (SameFile(in, out))
        return Fail(QStringLiteral("IN and OUT are the same file; the input is never changed"));
    TRouterList list;
    if (!ReadDefinitions(in, list))
        return 1;
    return SaveRouterList(list, out) ? 0 : 1;
}
