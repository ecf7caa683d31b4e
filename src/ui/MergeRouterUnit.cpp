#include "MergeRouterUnit.h"

#include "AtomicFile.h"
#include "FileMessages.h"
#include "FormBuilder.h"
#include "NameExport.h"
#include "QtText.h"
#include "WMsgBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

// A router taken over from a damaged file, or with a text cut to what the
// file can hold, is not what the file's sender wrote.
void WarnIfNotFaithful(const QString& path, const TLoadResult& loaded)
{
    if (!loaded.complete) {
        const QString text = QStringLiteral("Die Datei \"%1\" ist beschädigt und konnte ab Byte %2 nicht "
                                            "gelesen werden. Angeboten wird, was davor lesbar war.")
                                 .arg(EscapedControls(path))
                                 .arg(loaded.damagedOffset);
        ShowMsgBox(ToCp1252Text(text), {}, mkWarning, btnOK);
    }
    if (!loaded.cutTexts.empty())
        ShowMsgBox(ToCp1252Text(CutTextsMessage(CorePath(path), loaded.cutTexts)), {}, mkWarning, btnOK);
}

} // namespace

void ExportRouterNames(const QString& path, const TRouterList& routers, const std::string& definitionsPath)
{
    // The definitions would be lost until the next save.
    if (SameFile(CorePath(path), definitionsPath))
        throw TFileError("Datei " + Quoted(CorePath(path)) +
                         " kann nicht erstellt werden. Sie ist die Datei der Routerdefinitionen, "
                         "die der Editor bearbeitet; bitte wählen Sie einen anderen Namen.");
    const TWriteResult written = WriteFileCrashSafe(CorePath(path), RouterNamesText(routers));
    if (!written.Ok())
        throw TFileError(WriteFailureMessage(CorePath(path), written));
}

TMergeRouterDlg::TMergeRouterDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("MergeRouterDlg"));
    setWindowTitle(QStringLiteral("Router hinzumischen"));
    // The owner's font, as every window of the editor has.
    setAttribute(Qt::WA_WindowPropagation);
    setFixedSize(460, 129);

    const TFormBuilder form(this);
    Label1 = form.WrappedLabel(
        "Label1",
        QStringLiteral("Diese Funktion ist nur für den Autor der Software notwendig, um zugeschickte "
                       "Routers.dat-Dateien zusammenfügen zu können und diese allen Nutzern der Software zur "
                       "Verfügung zu stellen."),
        {8, 8, 441, 49});
    // A file sent in may hold thousands of routers.
    ComboBox1 = form.DropDownList("ComboBox1", {8, 64, 449, 21});
    OKBtn = form.Button("OKBtn", QStringLiteral("OK"), {296, 96, 75, 25});
    OKBtn->setDefault(true);
    Button2 = form.Button("Button2", QStringLiteral("Abbrechen"), {376, 96, 75, 25});
    setTabOrder(ComboBox1, OKBtn);
    setTabOrder(OKBtn, Button2);
    ComboBox1->setFocus();

    connect(OKBtn, &QAbstractButton::clicked, this, [this] { done(MsgBox::IDOK); });
    connect(Button2, &QAbstractButton::clicked, this, &TMergeRouterDlg::reject);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_routers.Select(index); });
}

TMergeRouterDlg::~TMergeRouterDlg()
{
    FreeRouterList(m_routers);
}

void TMergeRouterDlg::LoadRouters(const QString& path)
{
    ComboBox1->clear();
    const TLoadResult result = LoadRouterList(CorePath(path), m_routers);
    QStringList names;
    names.reserve(m_routers.Count());
    for (int index = 0; index < m_routers.Count(); ++index)
        names.append(ToQString(m_routers.Name(index)));
    const int selected = m_routers.Selected();
    ComboBox1->addItems(names);
    ComboBox1->setCurrentIndex(selected);
    WarnIfNotFaithful(path, result);
}

const TRouterEntry& TMergeRouterDlg::SelectedRouter() const
{
    return m_routers.Entry(ComboBox1->currentIndex());
}

void TMergeRouterDlg::reject()
{
    done(MsgBox::IDCANCEL);
}
