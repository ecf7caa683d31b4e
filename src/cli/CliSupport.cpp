#include "CliSupport.h"
#include "CommandLine.h"

#include "Cp1252.h"
#include "FileMessages.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Every message leaves here. Those that quote a file name, a router name or
// a value show its control characters escaped, so that no text from a file
// can steer the terminal.
void Print(const char* kind, const std::string& message)
{
    std::cerr << "routersdat: " << kind << Cp1252ToUtf8(EscapeControls(ToCp1252Text(message).Bytes(), "\n"))
              << '\n';
}

} // namespace

int Fail(const std::string& message)
{
    Print("", message);
    return 1;
}

void Warn(const std::string& message)
{
    Print("Warnung: ", message);
}

void Note(const std::string& message)
{
    Print("", message);
}

std::string QuotedText(const TCp1252Text& text)
{
    return '"' + Shown(text) + '"';
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

// Left to the end of the process on purpose. A pointer that other files
// could reach stays in the program, so leak checkers find the list.
TRouterList* g_listForTheRun = nullptr;

TRouterList& ListForTheRun(TRouterList::TOrder order)
{
    g_listForTheRun = new TRouterList(order);
    return *g_listForTheRun;
}

std::optional<TLoadResult> ReadDefinitions(const std::string& path, TRouterList& list)
{
    try {
        TLoadResult result = LoadRouterList(path, list, TMissingFile::Fail);
        WarnAboutLoad(path, result);
        return result;
    } catch (const TFileError& error) {
        Fail(error.what());
        return std::nullopt;
    }
}

void WarnAboutLoad(const std::string& path, const TLoadResult& result)
{
    if (!result.interruptedCopy.empty())
        Warn(InterruptedSaveMessage(path, result.interruptedCopy));
    if (!result.complete) {
        Warn("Die Datei " + Quoted(path) + " ist beschädigt und konnte ab Byte " +
                   std::to_string(result.damagedOffset) + " nicht gelesen werden.");
    }
    if (!result.cutTexts.empty())
        Warn(CutTextsMessage(path, result.cutTexts));
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
        Fail(error.what());
        return std::nullopt;
    }
}

bool StandardOutputIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) != 0;
#endif
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
    TAtomicFile output(path);
    return OpenOutput(output, path) && WriteOpenedOutput(output, path, bytes);
}

bool OpenOutput(TAtomicFile& output, const std::string& path)
{
    if (output.Open())
        return true;
    Fail(WriteFailureMessage(path, output.Result()));
    return false;
}

bool IsOpenedOutput(const TAtomicFile& output, const std::string& input)
{
    TFileInfo info;
    return output.TargetExists() && GetInfo(input, info) == 0 && info.kind == TFileKind::Regular &&
           info.SameFileAs(output.Original());
}

bool WriteOpenedOutput(TAtomicFile& output, const std::string& path, std::string_view bytes)
{
    if (output.Write(bytes) && output.Commit(false))
        return true;
    Fail(WriteFailureMessage(path, output.Result()));
    return false;
}

bool WriteDefinitions(TRouterList& list, TAtomicFile& output, const std::string& path, bool keepOriginal)
{
    try {
        if (WriteRouterList(list, output, keepOriginal))
            return true;
    } catch (const TTextTooLong& tooLong) {
        Fail(std::string(tooLong.what()) + " Es wurde nichts gespeichert; die Datei " + Quoted(path) +
                   " ist unverändert geblieben.");
        return false;
    }
    Fail(WriteFailureMessage(path, output.Result()));
    return false;
}
