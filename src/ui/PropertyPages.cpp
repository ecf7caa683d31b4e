// The property lists of status queries 2 to 4 on tab pages 4 to 6: adding,
// changing, deleting, duplicating and moving properties, and which of the
// move buttons work.
#include "MainUnit.h"

#include "ErrorHandler.h"
#include "HTMLCodeAddDlgUnit.h"
#include "MySpeedButton.h"
#include "PageControl.h"
#include "PropertyListEditor.h"
#include "WMsgBox.h"

#include <QPushButton>

#include <string>

namespace {

constexpr int kFirstPropertyPageIndex = 4;
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

void TMainEditor::ConnectPropertyPages()
{
    for (const TPropertyPage& page : m_propertyPages) {
        connect(page.addBtn, &QPushButton::clicked, this, Guarded([this] { ValueAddBtnClick(); }));
        connect(page.editBtn, &QPushButton::clicked, this,
                Guarded([this] { ValueEditBtnDblClick(); }));
        connect(page.delBtn, &QPushButton::clicked, this, Guarded([this] { ValueDelBtnClick(); }));
        connect(page.dupBtn, &QPushButton::clicked, this, Guarded([this] { DupBtnClick(); }));
        connect(page.upBtn, &TMySpeedButton::clicked, this, Guarded([this] { RowUpBtnClick(); }));
        connect(page.downBtn, &TMySpeedButton::clicked, this,
                Guarded([this] { RowDownBtnClick(); }));
        connect(page.editor, &TPropertyListEditor::rowClicked, this,
                Guarded([this] { ValueEditClick(); }));
        connect(page.editor, &TPropertyListEditor::rowDoubleClicked, this,
                Guarded([this] { ValueEditBtnDblClick(); }));
    }
}

TPropertyListEditor* TMainEditor::ActivePropertyEditor() const
{
    const int slot = PC->currentIndex() - kFirstPropertyPageIndex;
    if (slot < 0 || slot >= static_cast<int>(m_propertyPages.size()))
        return nullptr;
    return m_propertyPages[slot].editor;
}

void TMainEditor::ValueAddBtnClick()
{
    TPropertyListEditor* editor = ActivePropertyEditor();
    if (!editor)
        return;
    THTMLCodeAddDlg dialog(this);
    if (dialog.Run() != THTMLCodeAddDlg::mrOk)
        return;
    const std::string name = dialog.Name();
    if (editor->Rows().FindName(name) != 0) {
        ShowMsgBox("Ein Bezeichner mit diesem Namen existiert bereits.", {}, mkError, btnOK);
        return;
    }
    editor->Rows().Append(name, dialog.Code());
}

void TMainEditor::ValueEditBtnDblClick()
{
    TPropertyListEditor* editor = ActivePropertyEditor();
    if (!editor)
        return;
    TPropertyRows& rows = editor->Rows();
    const int row = rows.CurrentRow();
    if (!IsEditableRow(rows, row))
        return;
    THTMLCodeAddDlg dialog(this);
    dialog.SetName(rows.Name(row));
    dialog.SetCode(rows.Code(row));
    if (dialog.Run() != THTMLCodeAddDlg::mrOk)
        return;
    // Other rows may bear the same name: a change is not checked.
    rows.SetName(row, dialog.Name());
    rows.SetCode(row, dialog.Code());
}

void TMainEditor::ValueDelBtnClick()
{
    TPropertyListEditor* editor = ActivePropertyEditor();
    if (editor && IsEditableRow(editor->Rows(), editor->Rows().CurrentRow()))
        editor->Rows().DeleteRow(editor->Rows().CurrentRow());
}

void TMainEditor::DupBtnClick()
{
    TPropertyListEditor* editor = ActivePropertyEditor();
    if (!editor)
        return;
    TPropertyRows& rows = editor->Rows();
    const int row = rows.CurrentRow();
    if (rows.Name(row).empty())
        return;
    const std::string code(rows.Code(row));
    const std::string name(rows.Name(row));
    rows.Append(name, code);
}

void TMainEditor::RowUpBtnClick()
{
    MoveCurrentRow(-1);
}

void TMainEditor::RowDownBtnClick()
{
    MoveCurrentRow(+1);
}

// A move with no row to exchange with does nothing.
void TMainEditor::MoveCurrentRow(int direction)
{
    TPropertyListEditor* editor = ActivePropertyEditor();
    if (!editor)
        return;
    const int row = editor->Rows().CurrentRow();
    if (editor->Rows().MoveRow(row, row + direction))
        ValueEditClick();
}

void TMainEditor::ValueEditClick()
{
    if (TPropertyListEditor* editor = ActivePropertyEditor())
        ApplyRowButtonRule(editor->parentWidget(), *editor);
}

// On the first row only the move-down button works, on the last row only the
// move-up button, in between both; none while the list is disabled or while
// its first row is blank.
void TMainEditor::ApplyRowButtonRule(QWidget* page, const TPropertyListEditor& editor)
{
    const TPropertyRows& rows = editor.Rows();
    const int current = rows.CurrentRow();
    bool up = true;
    bool down = true;
    if (!editor.isEnabled()) {
        up = down = false;
    } else if (current != 1 && !rows.IsBlank(1)) {
        down = current != rows.RowCount();
    } else {
        up = false;
        down = !rows.IsBlank(1) && rows.RowCount() != 1;
    }
    EnableUpButtons(page, up);
    EnableDownButtons(page, down);
}

// The pages not on view too, so that browse mode leaves no move button
// enabled anywhere.
void TMainEditor::ApplyRowButtonRuleOnEveryPage()
{
    for (const TPropertyPage& page : m_propertyPages)
        ApplyRowButtonRule(page.editor->parentWidget(), *page.editor);
}

void TMainEditor::EnableUpButtons(QWidget* page, bool on)
{
    EnableButtonsWithTag(page, kUpButtonTag, on);
}

void TMainEditor::EnableDownButtons(QWidget* page, bool on)
{
    EnableButtonsWithTag(page, kDownButtonTag, on);
}
