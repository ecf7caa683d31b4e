#include "FileMessages.h"

#include "Cp1252Text.h"
#include "FileSystem.h"

#include <cerrno>

namespace {

std::string Sentence(std::string text)
{
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

// "... angelegt werden", naming the folders in which a backup copy was
// tried.
std::string NotCreatedIn(const std::vector<std::string>& folders)
{
    if (folders.empty())
        return "nicht angelegt werden";
    if (folders.size() == 1)
        return "in " + Quoted(folders[0]) + " nicht angelegt werden";
    return "weder in " + Quoted(folders[0]) + " noch in " + Quoted(folders[1]) + " angelegt werden";
}

} // namespace

std::string MessageText(std::string_view utf8)
{
    return ToUtf8(ToCp1252Text(utf8));
}

std::string Reason(int error)
{
    return Sentence(MessageText(SystemErrorText(error)));
}

std::string Quoted(const std::string& path)
{
    return '"' + Shown(path) + '"';
}

std::string GroupedNumber(std::uint64_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t end = digits.size(); end > 3; end -= 3)
        digits.insert(end - 3, 1, '.');
    return digits;
}

std::string FileKindReason(TFileKind kind)
{
    switch (kind) {
    case TFileKind::Fifo:
        return "Sie ist eine benannte Pipe (FIFO), keine gewöhnliche Datei.";
    case TFileKind::Device:
        return "Sie ist ein Gerät, keine gewöhnliche Datei.";
    case TFileKind::Socket:
        return "Sie ist ein Socket, keine gewöhnliche Datei.";
    default:
        return "Sie ist keine gewöhnliche Datei.";
    }
}

std::string CannotOpen(const std::string& path, int error)
{
    return "Datei " + Quoted(path) + " kann nicht geöffnet werden. " + Reason(error);
}

std::string CannotCreate(const std::string& path, int error)
{
    return "Datei " + Quoted(path) + " kann nicht erstellt werden. " + Reason(error);
}

std::string WriteFailureReason(const TWriteResult& result)
{
    if (result.failedStep == TWriteStep::Target && result.error == 0)
        return FileKindReason(result.targetKind);
    if (result.failedStep == TWriteStep::Target && result.error == ENOENT)
        return "Sie ist eine symbolische Verknüpfung auf eine Datei, die es nicht gibt.";
    if (result.failedStep == TWriteStep::Lock && result.error == EWOULDBLOCK)
        return "Ein anderes Programm liest oder speichert sie gerade; bitte versuchen Sie es gleich noch einmal.";
    if (result.error == kErrorNameChanged)
        return "Ihr Name bezeichnet inzwischen eine andere Datei; in die wurde nichts geschrieben.";
    if (result.failedStep == TWriteStep::Rename && result.error == EEXIST &&
        result.targetKind == TFileKind::Missing)
        return "Ein anderes Programm hat sie inzwischen angelegt.";
    return Reason(result.error);
}

std::string WriteFailureMessage(const std::string& path, const TWriteResult& result)
{
    const std::string name = Quoted(path);
    const std::string reason = WriteFailureReason(result);
    const std::string previous =
        result.targetChanged
            ? " Die bisherige Datei wurde als " + Quoted(result.backupPath) + " gesichert."
        : result.targetKind == TFileKind::Missing
            ? std::string(" Es wurde keine Datei angelegt.")
            : std::string(" Die bisherige Datei ist unverändert geblieben.");
    switch (result.failedStep) {
    case TWriteStep::None:
    case TWriteStep::Target:
    case TWriteStep::Lock:
    case TWriteStep::Create:
        break;
    case TWriteStep::Write:
        return "Fehler beim Schreiben der Datei " + name + ": " + reason + previous;
    case TWriteStep::Sync:
        return "Fehler beim Sichern der Datei " + name + " auf dem Datenträger: " + reason + previous;
    case TWriteStep::Backup:
    case TWriteStep::BackupLink:
        return "Die Sicherungskopie der Datei " + name + " kann " + NotCreatedIn(result.backupFolders) + ": " +
               reason + previous;
    case TWriteStep::Rename:
        return "Die Datei " + name + " kann nicht ersetzt werden: " + reason + previous;
    }
    return "Datei " + name + " kann nicht erstellt werden. " + reason;
}
