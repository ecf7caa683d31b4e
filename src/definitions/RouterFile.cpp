#include "RouterFile.h"
#include "RouterFileText.h"

#include "AtomicFile.h"
#include "FileMessages.h"
#include "WMsgBox.h"

#include <algorithm>

std::string PropertyValueLabel(const TCp1252Text& name, int query)
{
    return "Eigenschaft \"" + Shortened(name) + "\" der Statusabfrage " + std::to_string(query);
}

std::string CutTextsMessage(const std::string& path, const std::vector<TCutText>& cutTexts)
{
    constexpr std::size_t kListed = 10;
    std::string text = "In der Datei " + Quoted(path) + " waren Texte länger als 65535 Bytes, mehr als "
                       "die Datei speichern kann. Sie wurden auf 65535 Bytes gekürzt:\n";
    for (std::size_t i = 0; i < std::min(cutTexts.size(), kListed); ++i) {
        const TCutText& cut = cutTexts[i];
        text += "\n" + cut.field + " des Routers \"" + Shortened(cut.router) + "\" (" +
                GroupedNumber(cut.length) + " Bytes)";
    }
    if (cutTexts.size() > kListed)
        text += "\nund " + std::to_string(cutTexts.size() - kListed) + " weitere";
    return text;
}

std::string InterruptedSaveMessage(const std::string& path, const std::string& copy)
{
    return "Das Speichern der Datei " + Quoted(path) + " wurde unterbrochen, bevor es fertig war; die "
           "Datei ist daher vermutlich unvollständig. Ihr vorheriger Inhalt liegt vollständig in " +
           Quoted(copy) + ".";
}

namespace {

// The entry of that name: the same bytes first, else ignoring case; -1.
int FindFormerEntry(const TRouterList& list, const std::string& name)
{
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Name(i) == name)
            return i;
    }
    return list.FindByName(name);
}

} // namespace

void ApplyRouterChange(TRouterList& list, const TRouterChange& change)
{
    const int index = change.name.empty() ? -1 : FindFormerEntry(list, change.name);
    if (!change.record) {
        if (index >= 0)
            list.Delete(index);
    } else if (index < 0) {
        list.Add(change.record->RouterVendor, std::make_unique<TRouterEntry>(*change.record));
    } else {
        list.Entry(index) = *change.record;
        list.Rename(index, change.record->RouterVendor);
    }
}

TLoadResult TRoutersFile::Load(TRouterList& list)
{
    RemoveStaleTemporaryFiles(m_path);
    // Stays set when the load throws: the file is there but was not read.
    m_keepOriginalOnSave = true;
    m_known.reset();
    m_pending.clear();
    TQuickHash read;
    const TLoadResult result = LoadRouterList(m_path, list, TMissingFile::Create, &read);
    m_known = read;
    m_keepOriginalOnSave = !result.Faithful();
    return result;
}

bool TRoutersFile::Save(TRouterList& list, const TListReplacer& replace)
{
    m_lastBackupPath.clear();
    TAtomicFile file(m_path);
    if (!file.Open()) {
        ShowMsgBox(ToCp1252Text(SaveFailureMessage(m_path, file.Result())), {}, mkError, btnOK);
        return false;
    }
    const std::string note = BringUpToDate(file, list, replace);
    if (!SaveRouterListTo(list, file, m_path, m_keepOriginalOnSave))
        return false;
    m_known = file.Written();
    m_pending.clear();
    m_keepOriginalOnSave = false;
    m_lastBackupPath = file.BackupPath();
    if (!note.empty())
        ShowMsgBox(ToCp1252Text(note), {}, mkInformation, btnOK);
    return true;
}

// Reads the locked file anew when it no longer holds what was last read or
// written, and makes the noted changes to what it holds: to the copy of its
// last whole bytes when a save of another program was killed half way. The
// note for the user once the list is saved, or empty when the list stayed.
std::string TRoutersFile::BringUpToDate(const TAtomicFile& file, TRouterList& list,
                                        const TListReplacer& replace)
{
    std::string bytes;
    if (!file.TargetExists())
        return {};
    if (file.ReadCurrent(bytes, MaxDefinitionsFileSize()) != 0) {
        // What it holds cannot be checked, so it is kept.
        m_keepOriginalOnSave = true;
        return {};
    }
    if (m_known && QuickHashOf(bytes) == *m_known)
        return {};
    std::string copied;
    const std::string copy = file.ReadInterruptedSave(copied);
    TRouterList current;
    const TLoadResult result = LoadRouterBytes(copy.empty() ? std::move(bytes) : std::move(copied), current);
    for (const TRouterChange& change : m_pending)
        ApplyRouterChange(current, change);
    const auto take = [&] { list = std::move(current); };
    replace ? replace(take) : take();
    m_keepOriginalOnSave = !result.Faithful();
    if (!copy.empty())
        return "Das Speichern der Datei " + Quoted(m_path) + " durch ein anderes Programm wurde "
               "unterbrochen, bevor es fertig war. Die Routerliste wurde auf den letzten vollständigen "
               "Stand der Datei aus " + Quoted(copy) + " gebracht und Ihre Änderung darin gespeichert.";
    return "Die Datei " + Quoted(m_path) + " war inzwischen von einem anderen Programm geändert worden. "
           "Die Routerliste wurde auf ihren Stand gebracht und Ihre Änderung darin gespeichert.";
}

std::string TRoutersFile::RestoreInterruptedSave(const std::string& copy)
{
    const TWriteResult result = ::RestoreInterruptedSave(m_path, copy);
    if (result.Ok())
        return {};
    if (result.failedStep == TWriteStep::Target && result.error == kErrorNameChanged)
        return "Die Kopie " + Quoted(copy) + " passt nicht mehr zur Datei " + Quoted(m_path) +
               "; es wurde nichts zurückgespielt.";
    return WriteFailureMessage(m_path, result);
}
