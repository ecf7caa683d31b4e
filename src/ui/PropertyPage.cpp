// The property lists of status queries 2 to 4 on tab pages 4 to 6: adding,
// changing, deleting, duplicating and moving properties, and which of the
// move buttons work.
#include "PropertyPage.h"

#include "ErrorHandler.h"
#include "FormBuilder.h"
#include "HTMLCodeAddDlgUnit.h"
#include "MySpeedButton.h"
#include "PropertyListEditor.h"
#include "QtText.h"
#include "WMsgBox.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kUpButtonTag = 0;
constexpr int kDownButtonTag = 1;

void EnableButtonsWithTag(QWidget* page, int tag, bool on)
{
    for (TMySpeedButton* button : page->findChildren<TMySpeedButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->Tag() == tag)
            button->setEnabled(on);
    }
}

// A row that Ändern and Löschen work on: any line but a blank one. A line
// without a name is included, so that a property added without one can be
// named or removed again.
bool IsEditableRow(const TPropertyRows& rows, int row)
{
    return rows.IsLine(row) && !rows.IsBlank(row);
}

} // namespace

TPropertyPage::TPropertyPage(int statusQuery, QWidget* parent) : QWidget(parent)
{
    static const char* const pageNames[] = {"TabSheet4", "TabSheet6", "TabSheet7"};
    static const char* const labelNames[] = {"Label3", "Label26", "Label27"};
    static const char* const upNames[] = {"RowUpBtn", "MySpeedButton1", "MySpeedButton3"};
    static const char* const downNames[] = {"RowDownBtn", "MySpeedButton2", "MySpeedButton4"};
    const int slot = statusQuery - 2;
    const QByteArray suffix = slot == 0 ? QByteArray() : QByteArray::number(slot);
    const auto name = [&suffix](const char* base) { return QByteArray(base) + suffix; };
    setObjectName(QLatin1String(pageNames[slot]));

    const TFormBuilder form(this);
    m_pageEdit = form.LabelledEdit(
        QByteArray("Status" + QByteArray::number(statusQuery) + "PageEdit").constData(),
        QStringLiteral("Muss eine Extra Seite aufgerufen werden, um die Statusabfrage %1 "
                       "auszuführen? Dann bitte angeben! (ohne http://!)")
            .arg(statusQuery),
        {16, 40, 545, 21});
    QLabel* label = form.Label(labelNames[slot], QStringLiteral("Abfragbare Eigenschaften:"), {16, 80});
    VEditor = new TPropertyListEditor(this);
    VEditor->setObjectName(QString::fromLatin1("VEditor%1").arg(slot));
    VEditor->setGeometry(16, 96, 545, 241);
    label->setBuddy(VEditor);
    ValueAddBtn = form.Button(name("ValueAddBtn").constData(), QStringLiteral("Hinzufügen"), {16, 344, 75, 25});
    ValueEditBtn = form.Button(name("ValueEditBtn").constData(), QStringLiteral("Ändern"), {96, 344, 75, 25});
    ValueDelBtn = form.Button(name("ValueDelBtn").constData(), QStringLiteral("Löschen"), {176, 344, 75, 25});
    DupBtn = form.Button(name("DupBtn").constData(), QStringLiteral("Duplizieren"), {264, 344, 75, 25});
    RowUpBtn = form.SpeedButton(upNames[slot], QString(), {568, 144, 23, 22});
    RowUpBtn->SetTag(kUpButtonTag);
    RowUpBtn->SetGlyph(QStringLiteral("up"));
    RowUpBtn->SetHint(QStringLiteral("Zeile nach oben"));
    RowUpBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    RowUpBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    RowUpBtn->setEnabled(false);
    RowDownBtn = form.SpeedButton(downNames[slot], QString(), {568, 176, 23, 22});
    RowDownBtn->SetTag(kDownButtonTag);
    RowDownBtn->SetGlyph(QStringLiteral("down"));
    RowDownBtn->SetHint(QStringLiteral("Zeile nach unten"));
    RowDownBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    RowDownBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    RowDownBtn->setEnabled(false);
    ConnectHandlers();
}

void TPropertyPage::ConnectHandlers()
{
    connect(ValueAddBtn, &QPushButton::clicked, this, Guarded([this] { ValueAddBtnClick(); }));
    connect(ValueEditBtn, &QPushButton::clicked, this, Guarded([this] { ValueEditBtnDblClick(); }));
    connect(ValueDelBtn, &QPushButton::clicked, this, Guarded([this] { ValueDelBtnClick(); }));
    connect(DupBtn, &QPushButton::clicked, this, Guarded([this] { DupBtnClick(); }));
    connect(RowUpBtn, &TMySpeedButton::clicked, this, Guarded([this] { RowUpBtnClick(); }));
    connect(RowDownBtn, &TMySpeedButton::clicked, this, Guarded([this] { RowDownBtnClick(); }));
    connect(VEditor, &TPropertyListEditor::rowClicked, this, Guarded([this] { ValueEditClick(); }));
    connect(VEditor, &TPropertyListEditor::rowDoubleClicked, this, Guarded([this] { ValueEditBtnDblClick(); }));
}

void TPropertyPage::SetListEnabled(bool enable)
{
    for (QWidget* control : std::initializer_list<QWidget*>{VEditor, ValueAddBtn, ValueEditBtn, ValueDelBtn, DupBtn})
        control->setEnabled(enable);
    ValueEditClick();
}

void TPropertyPage::ValueAddBtnClick()
{
    THTMLCodeAddDlg dialog(window());
    if (dialog.Run() != THTMLCodeAddDlg::mrOk)
        return;
    const std::string name = dialog.Name();
    if (VEditor->Rows().FindName(name) != 0) {
        ShowMsgBox(ToCp1252Text(QStringLiteral("Ein Bezeichner mit diesem Namen existiert bereits.")), {},
                   mkError, btnOK);
        return;
    }
    VEditor->Rows().Append(name, dialog.Code());
}

void TPropertyPage::ValueEditBtnDblClick()
{
    TPropertyRows& rows = VEditor->Rows();
    const int row = rows.CurrentRow();
    if (!IsEditableRow(rows, row))
        return;
    THTMLCodeAddDlg dialog(window());
    dialog.SetName(rows.Name(row));
    dialog.SetCode(rows.Code(row));
    if (dialog.Run() != THTMLCodeAddDlg::mrOk)
        return;
    // Other rows may bear the same name: a change is not checked.
    rows.SetName(row, dialog.Name());
    rows.SetCode(row, dialog.Code());
}

void TPropertyPage::ValueDelBtnClick()
{
    if (IsEditableRow(VEditor->Rows(), VEditor->Rows().CurrentRow()))
        VEditor->Rows().DeleteRow(VEditor->Rows().CurrentRow());
}

void TPropertyPage::DupBtnClick()
{
    TPropertyRows& rows = VEditor->Rows();
    const int row = rows.CurrentRow();
    if (rows.Name(row).empty())
        return;
    const std::string code(rows.Code(row));
    const std::string name(rows.Name(row));
    rows.Append(name, code);
}

void TPropertyPage::RowUpBtnClick()
{
    MoveCurrentRow(-1);
}

void TPropertyPage::RowDownBtnClick()
{
    MoveCurrentRow(+1);
}

// A move with no row to exchange with does nothing.
void TPropertyPage::MoveCurrentRow(int direction)
{
    const int row = VEditor->Rows().CurrentRow();
    if (VEditor->Rows().MoveRow(row, row + direction))
        ValueEditClick();
}

// On the first row only the move-down button works, on the last row only the
// move-up button, in between both; none while the list is disabled or while
// its first row is blank.
void TPropertyPage::ValueEditClick()
{
    const TPropertyRows& rows = VEditor->Rows();
    const int current = rows.CurrentRow();
    bool up = true;
    bool down = true;
    if (!VEditor->isEnabled()) {
        up = down = false;
    } else if (current != 1 && !rows.IsBlank(1)) {
        down = current != rows.RowCount();
    } else {
        up = false;
        down = !rows.IsBlank(1) && rows.RowCount() != 1;
    }
    EnableUpButtons(up);
    EnableDownButtons(down);
}

void TPropertyPage::EnableUpButtons(bool on)
{
    EnableButtonsWithTag(this, kUpButtonTag, on);
}

void TPropertyPage::EnableDownButtons(bool on)
{
    EnableButtonsWithTag(this, kDownButtonTag, on);
}

std::vector<std::string> TPropertyPage::PropertyNames() const
{
    std::vector<std::string> names;
    const TPropertyList& lines = VEditor->Strings();
    for (int index = 0; index < lines.Count(); ++index) {
        const std::string name(lines.Name(index));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

void TPropertyPage::TakeOverRule(const std::string& name, const std::string& code)
{
    TPropertyRows& rows = VEditor->Rows();
    int row = rows.FindName(name);
    if (row != 0) {
        rows.SetCode(row, code);
    } else {
        rows.Append(name, code);
        row = rows.FindName(name);
    }
    rows.SetCurrentRow(row);
}
