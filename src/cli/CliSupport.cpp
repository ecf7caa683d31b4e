#include "CliSupport.h"

#include "Cp1252.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

bool ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments,
                      const QString& description, int minPositional, int maxPositional)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        Fail(parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::cout << parser.helpText().toStdString();
        std::exit(0);
    }
    const auto count = parser.positionalArguments().size();
    if (count < minPositional || count > maxPositional) {
        Fail(QStringLiteral("wrong number of arguments; see '%1 --help'").arg(arguments.first()));
        return false;
    }
    return true;
}

std::string LocalPath(const QString& argument)
{
    return QFile::encodeName(argument).toStdString();
}

int Fail(const QString& message)
{
    std::cerr << "routersdat: " << message.toStdString() << '\n';
    return 1;
}

int FailCp1252(const std::string& message)
{
    std::cerr << "routersdat: " << Cp1252ToUtf8(message) << '\n';
    return 1;
}

void WarnCp1252(const std::string& message)
{
    std::cerr << "routersdat: warning: " << Cp1252ToUtf8(message) << '\n';
}

std::optional<TLoadResult> ReadDefinitions(const std::string& path, TRouterList& list)
{
    try {
        TLoadResult result = LoadRouterList(path, list, TMissingFile::Fail);
        if (!result.complete) {
            WarnCp1252(path + ": damaged; could not be read from byte " +
                       std::to_string(result.damagedOffset) + " on");
        }
        return result;
    } catch (const TFileError& error) {
        FailCp1252(error.what());
        return std::nullopt;
    }
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool WriteOutput(const QString& path, std::string_view bytes)
{
    if (path.isEmpty()) {
        std::cout.write(bytes.data(), std::streamsize(bytes.size()));
        std::cout.flush();
        return bool(std::cout);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
        !file.commit()) {
        Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}
