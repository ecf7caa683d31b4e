#pragma once

#include "MatchTrace.h"

#include <QAbstractScrollArea>

#include <string_view>
#include <vector>

// A prepared page shown as the rules see it: one long line of bytes,
// wrapped into rows of equal length with the offset of each row in front,
// and the places a test found in colour. It draws only the rows on screen,
// so a page of any size opens and scrolls at once. Bytes from the first NUL
// on, which no search reaches, are grey. The user marks bytes with the mouse
// (a double click marks a word or a number) and copies them with Ctrl+C.
class TPageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // In the order they are painted: a later kind covers an earlier one.
    enum class THighlightKind { Value, End, Occurrence, Marker, StartText, Checked, OfflineCode };
    struct THighlight {
        TPageSpan span;
        THighlightKind kind;
    };

    explicit TPageView(QWidget* parent = nullptr);

    // The page must stay alive while the view shows it.
    void SetPage(std::string_view page, std::size_t searchEnd, std::vector<THighlight> highlights);
    // Scrolls the span into view and frames it; an empty span is a place.
    void ShowSpan(TPageSpan span);

    static QColor KindColor(THighlightKind kind);
    const std::vector<THighlight>& Highlights() const { return m_highlights; }
    std::size_t BytesPerRow() const { return m_bytesPerRow; }
    // The bytes from the first row on screen to the last.
    TPageSpan VisibleBytes() const;
    // Where a byte is drawn, in viewport coordinates (empty when not on screen).
    QRect ByteRect(std::size_t offset) const;

    // The bytes marked; empty when none are.
    TPageSpan Selection() const { return m_selection; }
    void SetSelection(TPageSpan selection);

signals:
    // The user has marked bytes with the mouse (released the button).
    void selectionMade(TPageSpan selection);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Relayout();
    std::size_t RowCount() const;
    int VisibleRows() const;
    std::size_t FirstRow() const;
    int TextLeft() const;
    QRect RowPart(std::size_t row, std::size_t from, std::size_t to) const;
    void PaintRow(QPainter& painter, std::size_t row);
    void PaintHighlights(QPainter& painter, std::size_t row);
    void PaintCurrentSpan(QPainter& painter, std::size_t row);
    void PaintSelection(QPainter& painter, std::size_t row);
    QString ToolTipAt(const QPoint& position) const;
    // The place between two bytes nearest to a point of the viewport.
    std::size_t PlaceAt(const QPoint& position) const;
    void SelectTo(std::size_t place);

    std::string_view m_page;
    std::size_t m_searchEnd = 0;
    std::vector<THighlight> m_highlights; // sorted by offset
    std::size_t m_longestHighlight = 0;      // of those up to the short limit
    std::vector<THighlight> m_longHighlights; // the others
    TPageSpan m_current;
    bool m_hasCurrent = false;
    TPageSpan m_selection;
    std::size_t m_anchor = 0;
    bool m_selecting = false;
    std::size_t m_bytesPerRow = 16;
    int m_charWidth = 8;
    int m_rowHeight = 16;
    int m_offsetDigits = 1;
};
