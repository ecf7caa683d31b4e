#include "StringGrid.h"

#include "QtText.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// More than any cell can show at the grid's widths.
constexpr std::size_t kDrawnBytes = 512;

// A cell whose text stays in the bytes it was taken from.
class TViewItem : public QTableWidgetItem {
public:
    static constexpr int kType = QTableWidgetItem::UserType + 1;

    TViewItem(std::string_view text, std::shared_ptr<const void> owner)
        : QTableWidgetItem(kType), m_text(text), m_owner(std::move(owner))
    {}

    std::string_view Text() const { return m_text; }

    QVariant data(int role) const override
    {
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return ToQString(m_text);
        return QTableWidgetItem::data(role);
    }

    QTableWidgetItem* clone() const override { return new TViewItem(*this); }

private:
    std::string_view m_text;
    std::shared_ptr<const void> m_owner;
};

class TCellDelegate : public QStyledItemDelegate {
public:
    TCellDelegate(const TStringGrid::TDrawCell& drawCell, QObject* parent)
        : QStyledItemDelegate(parent), m_drawCell(drawCell)
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The view has drawn the cell's selection already; the callback
        // draws on a clean cell instead.
        painter->fillRect(option.rect, option.palette.color(QPalette::Base));
        if (!m_drawCell)
            return;
        painter->save();
        m_drawCell(*painter, index.column(), index.row(), option.rect);
        painter->restore();
    }

private:
    const TStringGrid::TDrawCell& m_drawCell;
};

} // namespace

TStringGrid::TStringGrid(int columns, QWidget* parent) : QTableWidget(1, columns, parent)
{
    setItemDelegate(new TCellDelegate(m_drawCell, this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid, as it leaves every other control.
    setTabKeyNavigation(false);
    // Removing rows by any way leaves one.
    connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] {
        if (rowCount() < 1)
            setRowCount(1);
    });
}

void TStringGrid::SetRowCount(int rows)
{
    setRowCount(std::max(1, rows));
}

QString TStringGrid::Cell(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void TStringGrid::SetCell(int column, int row, const QString& text)
{
    setItem(row, column, new QTableWidgetItem(text));
}

void TStringGrid::SetCellView(int column, int row, std::string_view cp1252Text, std::shared_ptr<const void> owner)
{
    setItem(row, column, new TViewItem(cp1252Text, std::move(owner)));
}

QString TStringGrid::DrawnText(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    if (!cell)
        return {};
    if (cell->type() == TViewItem::kType)
        return ToQString(static_cast<const TViewItem*>(cell)->Text().substr(0, kDrawnBytes));
    return cell->text().left(qsizetype(kDrawnBytes));
}

void TStringGrid::keyboardSearch(const QString& search)
{
    const int start = std::max(0, currentRow());
    for (int step = 0; step < rowCount(); ++step) {
        const int row = (start + step) % rowCount();
        if (DrawnText(0, row).startsWith(search, Qt::CaseInsensitive)) {
            setCurrentCell(row, 0);
            return;
        }
    }
}

// The rows draw no selection, so a frame shows that the grid has the focus.
void TStringGrid::paintEvent(QPaintEvent* event)
{
    QTableWidget::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
}

void TStringGrid::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    viewport()->update();
}

void TStringGrid::focusOutEvent(QFocusEvent* event)
{
    QTableWidget::focusOutEvent(event);
    viewport()->update();
}
