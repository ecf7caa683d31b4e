#include "FileMessages.h"

#include "Cp1252.h"
#include "FileSystem.h"


std::string MessageText(std::string_view utf8)
{
    std::string out;
    if (Utf8ToCp1252(utf8, out))
        return out;
    out.clear();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += char(byte);
        } else if ((byte & 0xC0) != 0x80) {
            std::size_t end = i + 1;
            while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
                ++end;
            std::string one;
            out += Utf8ToCp1252(utf8.substr(i, end - i), one) ? one : std::string("?");
            i = end - 1;
        }
    }
    return out;
}

std::string Reason(int error)
{
    return MessageText(SystemErrorText(error));
}

std::string Quoted(const std::string& path)
{
    std::string quoted(1, '"');
    quoted += MessageText(path);
    quoted += '"';
    return quoted;
}

std::string CannotOpen(const std::string& path, int error)
{
    return "Datei " + Quoted(path) + " kann nicht ge\xF6" "ffnet werden. " + Reason(error);
}

std::string CannotCreate(const std::string& path, int error)
{
    return "Datei " + Quoted(path) + " kann nicht erstellt werden. " + Reason(error);
}

std::string WriteFailureMessage(const std::string& path, const TWriteResult& result)
{
    const std::string name = Quoted(path);
    const std::string reason = Reason(result.error);
    const std::string unchanged = " Die bisherige Datei ist unver\xE4ndert geblieben.";
    switch (result.failedStep) {
    case TWriteStep::None:
    case TWriteStep::Lock:
    case TWriteStep::Create:
        break;
    case TWriteStep::Write:
        return "Fehler beim Schreiben der Datei " + name + ": " + reason + "." + unchanged;
    case TWriteStep::Sync:
        return "Fehler beim Sichern der Datei " + name + " auf dem Datentr\xE4ger: " + reason + "." +
               unchanged;
    case TWriteStep::Backup:
    case TWriteStep::BackupLink:
        return "Die Sicherungskopie der Datei " + name + " kann nicht angelegt werden: " + reason +
               "." + unchanged;
    case TWriteStep::Rename:
        return "Die Datei " + name + " kann nicht ersetzt werden: " + reason + "." + unchanged;
    }
    return CannotCreate(path, result.error);
}
