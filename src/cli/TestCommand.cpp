#include "CliSupport.h"
#include "Commands.h"
#include "Cp1252.h"
#include "JsonWriter.h"
#include "PageEvaluation.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

// The whole file as bytes, read straight into the string that the page
// test then works on. Prints the editor's German error when it cannot be
// opened or read.
std::optional<std::string> ReadPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2")
                 .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(std::max<qint64>(file.size(), 0)), '\0');
    const qint64 read = file.read(bytes.data(), qint64(bytes.size()));
    if (read < 0) {
        Fail(QStringLiteral("Datei %1 kann nicht gelesen werden. %2")
                 .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(read));
    const QByteArray more = file.readAll(); // a pipe or a file that grew
    bytes.append(more.constData(), static_cast<std::size_t>(more.size()));
    return bytes;
}

std::string Utf8(std::string_view cp1252Text)
{
    return Cp1252ToUtf8(cp1252Text);
}

std::string Status1Output(const TStaticTestResult& result, bool json)
{
    const char* state = result.offline ? "OFFLINE" : "ONLINE";
    if (json)
        return std::string("{\"state\": \"") + state + "\", \"ip\": " + JsonString(result.ipAddress) + "}\n";
    return std::string(state) + "\n" + Utf8(result.ipAddress) + "\n";
}

std::string ValuesOutput(const TPropertyList& values, bool json)
{
    std::string out = json ? "{\"values\": [" : "";
    for (int i = 0; i < values.Count(); ++i) {
        if (json) {
            out += i ? ", [" : "[";
            out += JsonString(values.Name(i)) + ", " + JsonString(values.ValueAt(i)) + "]";
        } else {
            out += Utf8(values.Name(i)) + ": " + Utf8(values.ValueAt(i)) + "\n";
        }
    }
    return json ? out + "]}\n" : out;
}

// Every router whose status query 1 reads the page as online with an
// address, in the list's sorted order.
std::string OnlineRoutersOutput(const TRouterList& list, std::string_view page, bool json)
{
    std::string out = json ? "{\"online\": [" : "";
    bool first = true;
    for (int i = 0; i < list.Count(); ++i) {
        const TStaticTestResult result = TestPreparedPage(list.Entry(i), page, 1);
        if (result.offline || result.ipAddress.empty())
            continue;
        if (json) {
            out += first ? "[" : ", [";
            out += JsonString(list.Name(i)) + ", " + JsonString(result.ipAddress) + "]";
        } else {
            out += Utf8(list.Name(i)) + "\t" + Utf8(result.ipAddress) + "\n";
        }
        first = false;
    }
    return json ? out + "]}\n" : out;
}

} // namespace

int RunTestCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The definitions file."));
    parser.addPositionalArgument(QStringLiteral("PAGE"), QStringLiteral("A status page saved to disk."));
    const QCommandLineOption router(QStringLiteral("router"),
                                    QStringLiteral("Test the router of this name (ignoring case)."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption status(QStringLiteral("status"),
                                    QStringLiteral("Status query 1 to 4 (default 1)."), QStringLiteral("N"),
                                    QStringLiteral("1"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOptions({router, status, json});
    if (!ParseCommandLine(parser, arguments,
                          QStringLiteral("Tests a router's status-page rules against a saved page, as the "
                                         "editor's test tab does.\nStatus query 1 prints ONLINE or OFFLINE "
                                         "and the IP address; 2 to 4 print one\n'name: value' line per "
                                         "value found. Without --router, lists every router\nthat reads "
                                         "the page as online with an IP address: name, TAB, address."),
                          2, 2))
        return 1;

    bool isNumber = false;
    const int statusQuery = parser.value(status).toInt(&isNumber);
    if (!isNumber || statusQuery < 1 || statusQuery > 4)
        return Fail(QStringLiteral("--status must be 1, 2, 3 or 4"));
    if (!parser.isSet(router) && statusQuery != 1)
        return Fail(QStringLiteral("--status needs --router; without it every router runs status query 1"));

    TRouterList list;
    if (!ReadDefinitions(LocalPath(parser.positionalArguments().at(0)), list))
        return 1;
    int index = -1;
    if (parser.isSet(router)) {
        std::string name;
        if (!Utf8ToCp1252(parser.value(router).toStdString(), name))
            return Fail(QStringLiteral("the router name holds characters that Windows-1252 lacks"));
        index = list.FindByName(name);
        if (index < 0)
            return Fail(QStringLiteral("no router named \"%1\" in %2")
                            .arg(parser.value(router), parser.positionalArguments().at(0)));
    }
    std::optional<std::string> bytes = ReadPage(parser.positionalArguments().at(1));
    if (!bytes)
        return 1;
    const std::string page = PreparePage(std::move(*bytes));

    std::string out;
    if (index < 0)
        out = OnlineRoutersOutput(list, page, parser.isSet(json));
    else if (statusQuery == 1)
        out = Status1Output(TestPreparedPage(list.Entry(index), page, 1), parser.isSet(json));
    else
        out = ValuesOutput(TestPreparedPage(list.Entry(index), page, statusQuery).values, parser.isSet(json));
    return WriteOutput(QString(), out) ? 0 : 1;
}
