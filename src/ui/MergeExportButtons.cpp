// The two buttons below the tab pages: taking a router over from another
// definitions file, and saving the router names as a text file.
#include "MainUnit.h"

#include "FileDialog.h"
#include "FileMessages.h"
#include "MergeRouterUnit.h"
#include "MySpeedButton.h"
#include "NameExport.h"
#include "QtText.h"
#include "RouterMerge.h"
#include "RouterNamesModel.h"
#include "WMsgBox.h"

#include <QComboBox>
#include <QPushButton>

namespace {

void WarnIfDamaged(const QString& path, const TLoadResult& loaded)
{
    if (loaded.complete)
        return;
    const QString text = QStringLiteral("Die Datei \"%1\" ist beschädigt und konnte ab Byte %2 nicht "
                                        "gelesen werden. Angeboten wird, was davor lesbar war.")
                             .arg(EscapedControls(path))
                             .arg(loaded.damagedOffset);
    ShowMsgBox(ToCp1252(text), {}, mkWarning, btnOK);
}

} // namespace

void TMainEditor::CreateFileDialogs()
{
    OpenDialog = std::make_unique<TFileDialog>(TFileDialog::TKind::Open, this);
    SaveDialog = std::make_unique<TFileDialog>(TFileDialog::TKind::Save, this);
    SaveDialog->SetFileName(QStringLiteral("Routers.txt"));
    SaveDialog->SetFilter(QStringLiteral("Textdateien"), QStringLiteral("*.txt"));
}

// The copy goes through Show router, Ändern and Speichern as if the user had
// clicked, so it reaches the file exactly as the controls hold it.
void TMainEditor::Button1Click()
{
    if (!OpenDialog->Execute())
        return;
    TMergeRouterDlg dialog(this);
    WarnIfDamaged(OpenDialog->FileName(), dialog.LoadRouters(CorePath(OpenDialog->FileName())));
    if (dialog.exec() != MsgBox::IDOK)
        return;
    const TRouterEntry& source = dialog.SelectedRouter();
    m_routerNames->AddWith(source.RouterVendor, [&] { return AddRouterCopy(m_routers, source); });
    SelectRouter(m_routers.Selected());
    RoutersCBChange();
    EditBtn->click();
    SaveBtn->click();
}

void TMainEditor::Button2Click()
{
    if (!SaveDialog->Execute())
        return;
    const QString path = SaveDialog->FileName();
    // The definitions would be lost until the next save.
    if (SameFile(CorePath(path), m_file.Path()))
        throw TFileError("Datei " + Quoted(CorePath(path)) +
                         " kann nicht erstellt werden. Sie ist die Datei der Routerdefinitionen, "
                         "die der Editor bearbeitet; bitte w\xE4hlen Sie einen anderen Namen.");
    const TWriteResult written = WriteFileCrashSafe(CorePath(path), RouterNamesText(m_routers));
    if (!written.Ok())
        throw TFileError(WriteFailureMessage(CorePath(path), written));
}
