#include "PropertyListEditor.h"

#include "QtText.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

// The rows as Qt's item views see them: view row i is row i + 1 of the rows.
class TPropertyRowsModel final : public QAbstractTableModel {
public:
    // More than the widest screen shows of one cell.
    static constexpr std::size_t kShownBytes = 1000;

    TPropertyRowsModel(const TPropertyRows& rows, QObject* parent)
        : QAbstractTableModel(parent), m_rows(rows)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_rows.RowCount();
    }

    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const int row = index.row() + 1;
        const std::string_view text = index.column() == 0 ? m_rows.Name(row) : m_rows.Code(row);
        // A cell shows the start of a text at most: laying out 64 KiB of code
        // for every painted cell would stall the list.
        return ToQString(text.substr(0, kShownBytes));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return {};
        return section == 0 ? QStringLiteral("Eigenschaft") : QStringLiteral("Wert");
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;

private:
    const TPropertyRows& m_rows;
};

TPropertyListEditor::TPropertyListEditor(QWidget* parent) : QTableView(parent)
{
    m_model = new TPropertyRowsModel(m_rows, this);
    setModel(m_model);
    m_rows.SetObserver(this);

    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setColumnWidth(0, 150);
    setColumnWidth(1, 389);
    verticalHeader()->hide();
    // One height for every row keeps long lists quick to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    ShowCurrentRow();
}

TPropertyListEditor::~TPropertyListEditor()
{
    m_rows.SetObserver(nullptr);
}

// ------------------------------------------------------------ user input

void TPropertyListEditor::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    // A click below the rows is a click on the grid all the same; the
    // current row stays.
    const int viewRow = rowAt(event->position().toPoint().y());
    if (viewRow < 0 || viewRow + 1 == m_rows.CurrentRow())
        emit rowClicked();
    else
        m_rows.SetCurrentRow(viewRow + 1);
}

void TPropertyListEditor::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging with the button held moves the current row along.
    const int viewRow = rowAt(event->position().toPoint().y());
    if ((event->buttons() & Qt::LeftButton) && viewRow >= 0)
        m_rows.SetCurrentRow(viewRow + 1);
}

void TPropertyListEditor::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The first click has made the row current; this holds even when the
    // press before the double-click went elsewhere. Below the rows the
    // current row is the one changed.
    const int viewRow = rowAt(event->position().toPoint().y());
    if (viewRow >= 0)
        m_rows.SetCurrentRow(viewRow + 1);
    emit rowDoubleClicked();
}

void TPropertyListEditor::keyPressEvent(QKeyEvent* event)
{
    const int target = RowForKey(event->key());
    if (target != 0) {
        m_rows.SetCurrentRow(target);
        event->accept();
    } else if (event->matches(QKeySequence::Copy)) {
        QTableView::keyPressEvent(event);
    } else {
        // No search by typed letters, no column cursor: the key belongs to
        // the window.
        event->ignore();
    }
}

int TPropertyListEditor::RowForKey(int key) const
{
    const int current = m_rows.CurrentRow();
    switch (key) {
    case Qt::Key_Up:
        return std::max(current - 1, 1);
    case Qt::Key_Down:
        return std::min(current + 1, m_rows.RowCount());
    case Qt::Key_Home:
        return 1;
    case Qt::Key_End:
        return m_rows.RowCount();
    case Qt::Key_PageUp:
        return std::max(current - RowsPerPage(), 1);
    case Qt::Key_PageDown:
        return std::min(current + RowsPerPage(), m_rows.RowCount());
    default:
        return 0;
    }
}

int TPropertyListEditor::RowsPerPage() const
{
    return std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
}

void TPropertyListEditor::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // A move that did not come through the rows (selectRow, setCurrentIndex)
    // is a request like any other.
    if (m_following == 0 && current.isValid() && current.row() + 1 != m_rows.CurrentRow())
        m_rows.SetCurrentRow(current.row() + 1);
}

// ------------------------------------------------------ following the rows

void TPropertyListEditor::RowsAboutToBeReset()
{
    ++m_following;
    m_model->beginResetModel();
}

void TPropertyListEditor::RowsReset()
{
    m_model->endResetModel();
    --m_following;
    ShowCurrentRow();
}

void TPropertyListEditor::RowAboutToBeInserted(int row)
{
    ++m_following;
    m_model->beginInsertRows({}, row - 1, row - 1);
}

void TPropertyListEditor::RowInserted()
{
    m_model->endInsertRows();
    --m_following;
    ShowCurrentRow();
}

void TPropertyListEditor::RowAboutToBeRemoved(int row)
{
    ++m_following;
    m_model->beginRemoveRows({}, row - 1, row - 1);
}

void TPropertyListEditor::RowRemoved()
{
    m_model->endRemoveRows();
    --m_following;
    ShowCurrentRow();
}

void TPropertyListEditor::RowsChanged(int first, int last)
{
    emit m_model->dataChanged(m_model->index(first - 1, 0), m_model->index(last - 1, 1));
}

void TPropertyListEditor::CurrentRowChanged()
{
    ShowCurrentRow();
    emit rowClicked();
}

void TPropertyListEditor::ShowCurrentRow()
{
    const QModelIndex index = m_model->index(m_rows.CurrentRow() - 1, 0);
    ++m_following;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                 | QItemSelectionModel::Rows);
    --m_following;
    // Only up or down: a list scrolled sideways to read long code stays so.
    const int sideways = horizontalScrollBar()->value();
    scrollTo(index);
    horizontalScrollBar()->setValue(sideways);
}
