#pragma once

#include <QTableWidget>

#include <functional>
#include <memory>
#include <string_view>

// A grid of text cells addressed by column and row that draws no cell
// itself: a callback draws each visible cell. It keeps at least one row.
// A cell may show a Windows-1252 text that stays where it is (a value in a
// page of any size): the grid converts only what it draws, and the whole
// text only when it is asked for.
class TStringGrid : public QTableWidget {
    Q_OBJECT

public:
    using TDrawCell = std::function<void(QPainter& painter, int column, int row, const QRect& rect)>;

    TStringGrid(int columns, QWidget* parent = nullptr);

    void SetDrawCell(TDrawCell drawCell) { m_drawCell = std::move(drawCell); }
    // Rows below 1 count as 1.
    void SetRowCount(int rows);

    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);
    // Shows the text in place; `owner` keeps its bytes alive for the cell.
    void SetCellView(int column, int row, std::string_view cp1252Text, std::shared_ptr<const void> owner);
    // The start of the cell's text, as much as a cell can show.
    QString DrawnText(int column, int row) const;

protected:
    // Typing looks for a row by the start of its texts only.
    void keyboardSearch(const QString& search) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TDrawCell m_drawCell;
};
