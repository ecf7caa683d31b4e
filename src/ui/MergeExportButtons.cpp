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
#include "WMsgBox.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void WarnIfDamaged(const QString& path, const TLoadResult& loaded)
{
    if (loaded.complete)
        return;
    const QString text = QStringLiteral("Die Datei \"%1\" ist beschädigt und konnte ab Byte %2 nicht "
                                        "gelesen werden. Angeboten wird, was davor lesbar war.")
                             .arg(path)
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
    WarnIfDamaged(OpenDialog->FileName(), dialog.LoadRouters(LocalPath(OpenDialog->FileName())));
    if (dialog.exec() != MsgBox::IDOK)
        return;
    const int added = AddRouterCopy(m_routers, dialog.SelectedRouter());
    RoutersCB->insertItem(added, ToQString(m_routers.Name(added)));
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
    const TWriteResult written = WriteFileCrashSafe(LocalPath(path), RouterNamesText(m_routers));
    if (!written.Ok())
        throw TFileError(WriteFailureMessage(LocalPath(path), written));
}
