#include "RouterFile.h"
#include "RouterFileText.h"

#include "AtomicFile.h"
#include "Cp1252.h"
#include "FileMessages.h"

#include <algorithm>

std::size_t WrittenLength(std::string_view text)
{
    if (text.find('\t') == std::string_view::npos)
        return text.size();
    const std::string_view head = text.substr(0, text.find('\0'));
    return text.size() - static_cast<std::size_t>(std::count(head.begin(), head.end(), '\t'));
}

std::size_t PrefixWrittenAs(std::string_view text, std::size_t writtenLength)
{
    std::size_t written = 0;
    bool beforeNul = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (written == writtenLength)
            return i;
        beforeNul = beforeNul && text[i] != '\0';
        if (!beforeNul || text[i] != '\t')
            ++written;
    }
    return text.size();
}

std::string Shortened(std::string_view text)
{
    constexpr std::size_t kMax = 60;
    return EscapeControls(text.size() <= kMax ? text : std::string(text.substr(0, kMax)) + "...");
}

std::string PropertyValueLabel(std::string_view name, int query)
{
    return "Eigenschaft \"" + Shortened(name) + "\" der Statusabfrage " + std::to_string(query);
}

std::string CutTextsMessage(const std::string& path, const std::vector<TCutText>& cutTexts)
{
    constexpr std::size_t kListed = 10;
    std::string text = "In der Datei " + Quoted(path) + " waren Texte l\xE4nger als 65535 Bytes, mehr als "
                       "die Datei speichern kann. Sie wurden auf 65535 Bytes gek\xFCrzt:\n";
    for (std::size_t i = 0; i < std::min(cutTexts.size(), kListed); ++i) {
        const TCutText& cut = cutTexts[i];
        text += "\n" + cut.field + " des Routers \"" + Shortened(cut.router) + "\" (" +
                GroupedNumber(cut.length) + " Bytes)";
    }
    if (cutTexts.size() > kListed)
        text += "\nund " + std::to_string(cutTexts.size() - kListed) + " weitere";
    return text;
}

TLoadResult TRoutersFile::Load(TRouterList& list)
{
    RemoveStaleTemporaryFiles(m_path);
    // Stays set when the load throws: the file is there but was not read.
    m_keepOriginalOnSave = true;
    const TLoadResult result = LoadRouterList(m_path, list, TMissingFile::Create);
    m_keepOriginalOnSave = !result.Faithful();
    return result;
}

bool TRoutersFile::Save(TRouterList& list)
{
    if (!SaveRouterList(list, m_path, m_keepOriginalOnSave, &m_lastBackupPath))
        return false;
    m_keepOriginalOnSave = false;
    return true;
}
