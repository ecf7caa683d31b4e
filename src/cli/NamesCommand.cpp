#include "CliSupport.h"
#include "Commands.h"

int RunNamesCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The definitions file."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write to OUT instead of standard output."),
                                    QStringLiteral("OUT"));
    parser.addOption(output);
    if (!ParseCommandLine(parser, arguments,
                          QStringLiteral("Prints the router names in the editor's sorted order, "
                                         "each followed by CR LF,\nas Windows-1252 bytes (the "
                                         "editor's export format)."),
                          1, 1))
        return 1;
    const std::string in = LocalPath(parser.positionalArguments().at(0));
    const QString out = parser.value(output);
    if (!out.isEmpty() && SameFile(in, LocalPath(out)))
        return Fail(QStringLiteral("FILE and OUT are the same file; the input is never changed"));
    TRouterList list;
    if (!ReadDefinitions(in, list))
        return 1;
    std::string text;
    for (int i = 0; i < list.Count(); ++i)
        text.append(list.Name(i)).append("\r\n");
    return WriteOutput(out, text) ? 0 : 1;
}
