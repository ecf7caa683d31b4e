#include "ValueListEditor.h"

#include "QtText.h"

#include <QHeaderView>

TValueListEditor::TValueListEditor(QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("Eigenschaft"), QStringLiteral("Wert")});
    setColumnWidth(0, 150);
    setColumnWidth(1, 389);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    ShowRows();
}

void TValueListEditor::SetStrings(const TPropertyList& strings)
{
    m_strings = strings;
    ShowRows();
}

void TValueListEditor::ShowRows()
{
    clearContents();
    const int lines = m_strings.Count();
    setRowCount(lines == 0 ? 1 : lines);
    for (int row = 0; row < lines; ++row) {
        setItem(row, 0, new QTableWidgetItem(ToQString(m_strings.Name(row))));
        setItem(row, 1, new QTableWidgetItem(ToQString(m_strings.ValueAt(row))));
    }
    setCurrentCell(0, 0);
}
