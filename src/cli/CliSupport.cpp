#include "CliSupport.h"
#include "CommandLine.h"

#include "Cp1252.h"
#include "FileMessages.h"

#include <cerrno>
#include <iostream>

namespace {

// Every message leaves here. Those that quote a file name, a router name or
// a value show its control characters escaped, so that no text from a file
// can steer the terminal.
void Print(const char* kind, const std::string& cp1252)
{
    std::cerr << "routersdat: " << kind << Cp1252ToUtf8(EscapeControls(cp1252, "\n")) << '\n';
}

} // namespace

int Fail(const std::string& message)
{
    return FailCp1252(MessageText(message));
}

int FailCp1252(const std::string& message)
{
    Print("", message);
    return 1;
}

void WarnCp1252(const std::string& message)
{
    Print("Warnung: ", message);
}

void Note(const std::string& message)
{
    NoteCp1252(MessageText(message));
}

void NoteCp1252(const std::string& message)
{
    Print("", message);
}

std::string QuotedText(std::string_view cp1252)
{
    return '"' + EscapeControls(cp1252) + '"';
}

std::string Shown(const std::string& utf8)
{
    return Cp1252ToUtf8(EscapeControls(MessageText(utf8)));
}

namespace {

bool IsUtf8(std::string_view text)
{
    std::size_t pos = 0;
    char32_t codePoint = 0;
    while (pos < text.size()) {
        if (!NextUtf8CodePoint(text, pos, codePoint))
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> ArgumentAsCp1252(const std::string& argument, const std::string& what)
{
    std::string text;
    if (Utf8ToCp1252(argument, text))
        return text;
    if (!IsUtf8(argument))
        return argument;
    Fail(what + " enthält Zeichen, die es in Windows-1252 nicht gibt.");
    return std::nullopt;
}

TRouterList& ListForTheRun(TRouterList::TOrder order)
{
    // Held by a static pointer, which tells leak checkers that it is left
    // to the end of the process on purpose.
    static TRouterList* list = nullptr;
    list = new TRouterList(order);
    return *list;
}

std::optional<TLoadResult> ReadDefinitions(const std::string& path, TRouterList& list)
{
    try {
        TLoadResult result = LoadRouterList(path, list, TMissingFile::Fail);
        if (!result.complete) {
            WarnCp1252("Die Datei " + Quoted(path) + " ist besch\xE4" "digt und konnte ab Byte " +
                       std::to_string(result.damagedOffset) + " nicht gelesen werden.");
        }
        if (!result.cutTexts.empty())
            WarnCp1252(CutTextsMessage(path, result.cutTexts));
        return result;
    } catch (const TFileError& error) {
        FailCp1252(error.what());
        return std::nullopt;
    }
}

int StatusAfterReading(const TLoadResult& result)
{
    return result.Faithful() ? kExitOk : kExitDamagedInput;
}

std::optional<std::string> ReadPage(const std::string& path)
{
    try {
        return ReadUserFile(path, MaxPageFileSize(), TFileNaming::FullPath);
    } catch (const TFileError& error) {
        FailCp1252(error.what());
        return std::nullopt;
    }
}

bool WriteOutput(const std::string& path, std::string_view bytes)
{
    if (path.empty()) {
        std::cout.write(bytes.data(), std::streamsize(bytes.size()));
        std::cout.flush();
        if (!std::cout)
            Fail("Die Standardausgabe kann nicht geschrieben werden.");
        return bool(std::cout);
    }
    const TWriteResult result = WriteFileCrashSafe(path, bytes);
    if (!result.Ok())
        FailCp1252(WriteFailureMessage(path, result));
    return result.Ok();
}
