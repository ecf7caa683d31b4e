// Rules proposed in the match view, taken over into the controls of the
// router being changed or made. The record changes only when the user saves.
#include "MainUnit.h"

#include "PageControl.h"
#include "PropertyListEditor.h"
#include "QtText.h"
#include "TextControls.h"

#include <algorithm>

TRuleReceiver::TEditing TMainEditor::Editing() const
{
    switch (m_mode) {
    case TMode::Edit: return TEditing::Existing;
    case TMode::New: return TEditing::New;
    case TMode::Browse: break;
    }
    return TEditing::None;
}

std::string TMainEditor::EditedRouterName() const
{
    if (m_mode != TMode::Edit || !m_routers.HasSelection())
        return {};
    return m_routers.SelectedEntry().RouterVendor;
}

std::vector<std::string> TMainEditor::PropertyNames(int statusQuery) const
{
    std::vector<std::string> names;
    const TPropertyList& lines = m_propertyPages.at(std::size_t(statusQuery - 2)).editor->Strings();
    for (int index = 0; index < lines.Count(); ++index) {
        const std::string name(lines.Name(index));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::string TMainEditor::BeforeIPAddress() const
{
    return ToCp1252(BeforeIPAddressEdit->SavedText());
}

std::string TMainEditor::AfterIPAddress() const
{
    return ToCp1252(AfterIPAddressEdit->SavedText());
}

void TMainEditor::TakeOverAddressRule(const std::string& before, const std::string& after)
{
    if (m_mode == TMode::Browse)
        return;
    BeforeIPAddressEdit->SetSavedText(ToQString(before));
    AfterIPAddressEdit->SetSavedText(ToQString(after));
    ShowControl(BeforeIPAddressEdit);
}

// As the HTML code dialog would: the row of that name (ignoring case) gets
// the code, otherwise the property is appended. The row is made current.
void TMainEditor::TakeOverPropertyRule(int statusQuery, const std::string& name, const std::string& code)
{
    if (m_mode == TMode::Browse)
        return;
    TPropertyListEditor* editor = m_propertyPages.at(std::size_t(statusQuery - 2)).editor;
    TPropertyRows& rows = editor->Rows();
    int row = rows.FindName(name);
    if (row != 0) {
        rows.SetCode(row, code);
    } else {
        rows.Append(name, code);
        row = rows.FindName(name);
    }
    ShowControl(editor);
    rows.SetCurrentRow(row);
}

void TMainEditor::TakeOverOfflineCode(const std::string& code)
{
    if (m_mode == TMode::Browse)
        return;
    OfflineCodeEdit->SetSavedText(ToQString(code));
    ShowControl(OfflineCodeEdit);
}

// Brings the tab page of the control to the front, so that the user sees
// what changed.
void TMainEditor::ShowControl(QWidget* control)
{
    for (int index = 0; index < PC->count(); ++index) {
        if (PC->widget(index)->isAncestorOf(control))
            PC->setCurrentIndex(index);
    }
}
