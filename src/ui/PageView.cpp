#include "PageView.h"

#include "PageByteClasses.h"
#include "QtText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kPadding = 4;
// Highlights up to this length are found by a search around the rows on
// screen; longer ones (values that run to the page end) are few and tried
// one by one.
constexpr std::size_t kShortHighlight = 4096;
const QChar kControlByte(0x00B7);
// How far a double click follows a word to either side.
constexpr std::size_t kLongestWord = 4096;

QString KindName(TPageView::THighlightKind kind)
{
    using K = TPageView::THighlightKind;
    switch (kind) {
    case K::Value: return QStringLiteral("Wert");
    case K::End: return QStringLiteral("Ende des Werts");
    case K::Occurrence: return QStringLiteral("gezähltes Vorkommen");
    case K::Marker: return QStringLiteral("Marker");
    case K::StartText: return QStringLiteral("Starttext");
    case K::Checked: return QStringLiteral("„checked“");
    case K::OfflineCode: return QStringLiteral("Offline-Code");
    }
    return {};
}

bool Overlaps(TPageSpan span, std::size_t from, std::size_t to)
{
    // An empty span is a place, shown at its byte.
    return span.length == 0 ? span.offset >= from && span.offset < to : span.offset < to && span.End() > from;
}

// Bytes that a double click takes as part of a value: words, and the dots,
// colons, dashes and slashes of addresses, times and rates.
bool IsValueByte(char c)
{
    return IsWordByte(c) || c == '.' || c == ':' || c == '-' || c == '/';
}

} // namespace

TPageView::TPageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    setFont(font);
    const QFontMetrics metrics(font);
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    m_rowHeight = metrics.height() + 2;
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QColor TPageView::KindColor(THighlightKind kind)
{
    switch (kind) {
    case THighlightKind::Value: return QColor(0xA8, 0xE6, 0xA1);
    case THighlightKind::End: return QColor(0xD9, 0xC2, 0xF0);
    case THighlightKind::Occurrence: return QColor(0xC6, 0xDC, 0xFF);
    case THighlightKind::Marker: return QColor(0x6F, 0xA8, 0xFF);
    case THighlightKind::StartText: return QColor(0xFF, 0xC8, 0x7A);
    case THighlightKind::Checked: return QColor(0xFF, 0xF1, 0x76);
    case THighlightKind::OfflineCode: return QColor(0xFF, 0x8A, 0x8A);
    }
    return {};
}

void TPageView::SetPage(std::string_view page, std::size_t searchEnd, std::vector<THighlight> highlights)
{
    m_page = page;
    m_searchEnd = searchEnd;
    std::stable_sort(highlights.begin(), highlights.end(),
                     [](const THighlight& a, const THighlight& b) { return a.span.offset < b.span.offset; });
    m_highlights = std::move(highlights);
    m_longestHighlight = 0;
    m_longHighlights.clear();
    for (const THighlight& highlight : m_highlights) {
        if (highlight.span.length <= kShortHighlight)
            m_longestHighlight = std::max(m_longestHighlight, highlight.span.length);
        else
            m_longHighlights.push_back(highlight);
    }
    m_offsetDigits = int(std::to_string(page.size()).size());
    m_hasCurrent = false;
    m_selection = {};
    m_selecting = false;
    verticalScrollBar()->setValue(0);
    Relayout();
}

void TPageView::ShowSpan(TPageSpan span)
{
    m_current = span;
    m_hasCurrent = true;
    const std::size_t row = span.offset / m_bytesPerRow;
    const std::size_t first = FirstRow();
    const std::size_t visible = std::size_t(std::max(1, VisibleRows()));
    if (row < first || row + 1 >= first + visible)
        verticalScrollBar()->setValue(int(row - std::min(row, visible / 3)));
    viewport()->update();
}

TPageSpan TPageView::VisibleBytes() const
{
    const std::size_t from = std::min(FirstRow() * m_bytesPerRow, m_page.size());
    const std::size_t to = std::min((FirstRow() + std::size_t(VisibleRows())) * m_bytesPerRow, m_page.size());
    return {from, to - from};
}

QRect TPageView::ByteRect(std::size_t offset) const
{
    const std::size_t row = offset / m_bytesPerRow;
    if (row < FirstRow() || row >= FirstRow() + std::size_t(VisibleRows()))
        return {};
    return RowPart(row, offset, offset + 1);
}

std::size_t TPageView::RowCount() const
{
    return m_page.size() / m_bytesPerRow + 1; // room for the place behind the last byte
}

int TPageView::VisibleRows() const
{
    return std::max(1, viewport()->height() / m_rowHeight);
}

std::size_t TPageView::FirstRow() const
{
    return std::size_t(verticalScrollBar()->value());
}

int TPageView::TextLeft() const
{
    return 3 * kPadding + m_offsetDigits * m_charWidth;
}

// The rectangle of bytes [from, to) of one row, in viewport coordinates.
QRect TPageView::RowPart(std::size_t row, std::size_t from, std::size_t to) const
{
    const std::size_t rowStart = row * m_bytesPerRow;
    const int left = TextLeft() + int(from - rowStart) * m_charWidth;
    const int top = int(row - FirstRow()) * m_rowHeight;
    return QRect(left, top, int(to - from) * m_charWidth, m_rowHeight);
}

// Rows as wide as the viewport, in whole groups of eight bytes; the first
// byte on screen stays on screen.
void TPageView::Relayout()
{
    const std::size_t firstByte = FirstRow() * m_bytesPerRow;
    const int room = (viewport()->width() - TextLeft() - kPadding) / m_charWidth;
    m_bytesPerRow = std::size_t(std::max(8, room / 8 * 8));
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, int(RowCount() - std::min(RowCount(), std::size_t(VisibleRows()))));
    bar->setPageStep(VisibleRows());
    bar->setValue(int(firstByte / m_bytesPerRow));
    viewport()->update();
}

void TPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TPageView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QColor gutter = palette().color(QPalette::AlternateBase);
    painter.fillRect(0, 0, TextLeft() - kPadding, viewport()->height(), gutter);
    const std::size_t last = std::min(RowCount(), FirstRow() + std::size_t(VisibleRows()) + 1);
    for (std::size_t row = FirstRow(); row < last; ++row) {
        PaintHighlights(painter, row);
        PaintSelection(painter, row);
        PaintRow(painter, row);
        PaintCurrentSpan(painter, row);
    }
}

void TPageView::PaintHighlights(QPainter& painter, std::size_t row)
{
    const std::size_t from = row * m_bytesPerRow;
    const std::size_t to = from + m_bytesPerRow;
    // Candidates: every highlight that starts close enough before the row,
    // and the long ones that start earlier.
    const std::size_t near = from - std::min(from, m_longestHighlight);
    const auto first = std::lower_bound(m_highlights.begin(), m_highlights.end(), near,
                                        [](const THighlight& h, std::size_t offset) { return h.span.offset < offset; });
    std::vector<const THighlight*> shown;
    for (auto it = first; it != m_highlights.end() && it->span.offset < to; ++it)
        if (Overlaps(it->span, from, to))
            shown.push_back(&*it);
    for (const THighlight& highlight : m_longHighlights)
        if (highlight.span.offset < near && Overlaps(highlight.span, from, to))
            shown.push_back(&highlight);
    std::stable_sort(shown.begin(), shown.end(),
                     [](const THighlight* a, const THighlight* b) { return a->kind < b->kind; });
    for (const THighlight* highlight : shown) {
        const TPageSpan span = highlight->span;
        if (span.length == 0) { // a place: a bar before its byte
            const QRect place = RowPart(row, span.offset, span.offset + 1);
            painter.fillRect(place.left(), place.top(), 2, place.height(), KindColor(highlight->kind).darker(160));
        } else {
            painter.fillRect(RowPart(row, std::max(from, span.offset), std::min(to, span.End())),
                             KindColor(highlight->kind));
        }
    }
}

void TPageView::PaintRow(QPainter& painter, std::size_t row)
{
    const std::size_t from = row * m_bytesPerRow;
    const std::size_t to = std::min(from + m_bytesPerRow, m_page.size());
    const QFontMetrics metrics(font());
    const int baseline = int(row - FirstRow()) * m_rowHeight + 1 + metrics.ascent();
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(QRect(kPadding, baseline - metrics.ascent(), m_offsetDigits * m_charWidth, m_rowHeight),
                     Qt::AlignRight | Qt::AlignTop, QString::number(from));
    if (from >= to)
        return;
    // One character per byte, each in its own cell, so that the text lines
    // up with the highlights whatever the font's exact advance.
    const QString text = ToQString(m_page.substr(from, to - from));
    const QColor normal = palette().color(QPalette::Text);
    const QColor grey(0x9A, 0x9A, 0x9A); // control bytes, and all behind the first NUL
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool control = text[i].unicode() < 0x20 || text[i].unicode() == 0x7F;
        const bool unsearched = from + std::size_t(i) >= m_searchEnd;
        painter.setPen(control || unsearched ? grey : normal);
        painter.drawText(TextLeft() + int(i) * m_charWidth, baseline,
                         control ? QString(kControlByte) : QString(text[i]));
    }
}

// A span within one row is outlined; a longer one gets a light background
// and bars at its two ends, so that the text stays readable.
void TPageView::PaintCurrentSpan(QPainter& painter, std::size_t row)
{
    const std::size_t from = row * m_bytesPerRow;
    const std::size_t to = from + m_bytesPerRow;
    if (!m_hasCurrent || !Overlaps(m_current, from, to))
        return;
    const QColor ink = palette().color(QPalette::WindowText);
    if (m_current.length == 0) {
        const QRect place = RowPart(row, m_current.offset, m_current.offset + 1);
        painter.fillRect(place.left() - 1, place.top(), 3, place.height(), ink);
        return;
    }
    const QRect part = RowPart(row, std::max(from, m_current.offset), std::min(to, m_current.End()));
    const bool oneRow = m_current.offset >= from && m_current.End() <= to;
    if (oneRow) {
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(part.adjusted(0, 0, -1, -1));
        return;
    }
    QColor light = palette().color(QPalette::Highlight);
    light.setAlpha(40);
    painter.fillRect(part, light);
    // The bars stand just outside the span, off its characters.
    if (m_current.offset >= from)
        painter.fillRect(part.left() - 2, part.top(), 2, part.height(), ink);
    if (m_current.End() <= to)
        painter.fillRect(part.right() + 1, part.top(), 2, part.height(), ink);
}

void TPageView::PaintSelection(QPainter& painter, std::size_t row)
{
    const std::size_t from = row * m_bytesPerRow;
    const std::size_t to = from + m_bytesPerRow;
    if (m_selection.length == 0 || !Overlaps(m_selection, from, to))
        return;
    QColor color = palette().color(QPalette::Highlight);
    color.setAlpha(110); // the colours of the matches show through
    painter.fillRect(RowPart(row, std::max(from, m_selection.offset), std::min(to, m_selection.End())), color);
}

void TPageView::SetSelection(TPageSpan selection)
{
    const std::size_t from = std::min(selection.offset, m_page.size());
    m_selection = {from, std::min(selection.length, m_page.size() - from)};
    m_selecting = false;
    viewport()->update();
}

std::size_t TPageView::PlaceAt(const QPoint& position) const
{
    const int y = std::clamp(position.y(), 0, std::max(0, viewport()->height() - 1));
    const std::size_t row = FirstRow() + std::size_t(y / m_rowHeight);
    const int column = std::clamp((position.x() - TextLeft() + m_charWidth / 2) / m_charWidth, 0,
                                  int(m_bytesPerRow));
    return std::min(row * m_bytesPerRow + std::size_t(column), m_page.size());
}

void TPageView::SelectTo(std::size_t place)
{
    m_selection = {std::min(m_anchor, place), place > m_anchor ? place - m_anchor : m_anchor - place};
    viewport()->update();
}

void TPageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const std::size_t place = PlaceAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier) || m_selection.length == 0)
        m_anchor = place;
    m_selecting = true;
    SelectTo(place);
}

// Dragging above or below the rows on screen scrolls the page.
void TPageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint position = event->position().toPoint();
    QScrollBar* bar = verticalScrollBar();
    if (position.y() < 0)
        bar->setValue(bar->value() - 1 + position.y() / m_rowHeight);
    else if (position.y() >= viewport()->height())
        bar->setValue(bar->value() + 1 + (position.y() - viewport()->height()) / m_rowHeight);
    SelectTo(PlaceAt(position));
}

void TPageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selecting)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    m_selecting = false;
    if (m_selection.length > 0)
        emit selectionMade(m_selection);
}

// Marks the word or number under the mouse.
void TPageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    const QPoint position = event->position().toPoint();
    const std::size_t column = std::size_t(std::max(0, position.x() - TextLeft()) / m_charWidth);
    const std::size_t offset = (FirstRow() + std::size_t(std::max(0, position.y()) / m_rowHeight)) * m_bytesPerRow
                               + std::min(column, m_bytesPerRow - 1);
    if (offset >= m_page.size() || !IsValueByte(m_page[offset]))
        return;
    std::size_t begin = offset;
    while (begin > 0 && offset - begin < kLongestWord && IsValueByte(m_page[begin - 1]))
        --begin;
    std::size_t end = offset + 1;
    while (end < m_page.size() && end - offset < kLongestWord && IsValueByte(m_page[end]))
        ++end;
    SetSelection({begin, end - begin});
    emit selectionMade(m_selection);
}

void TPageView::keyPressEvent(QKeyEvent* event)
{
    if (!event->matches(QKeySequence::Copy))
        return QAbstractScrollArea::keyPressEvent(event);
    if (m_selection.length > 0)
        QGuiApplication::clipboard()->setText(ToQString(m_page.substr(m_selection.offset, m_selection.length)));
}

bool TPageView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// The offset and byte under the mouse, and what the test found there.
QString TPageView::ToolTipAt(const QPoint& position) const
{
    if (position.x() < TextLeft())
        return {};
    const std::size_t column = std::size_t((position.x() - TextLeft()) / m_charWidth);
    const std::size_t offset = (FirstRow() + std::size_t(position.y() / m_rowHeight)) * m_bytesPerRow + column;
    if (column >= m_bytesPerRow || offset >= m_page.size())
        return {};
    QString text = QStringLiteral("Offset %1, Byte 0x%2")
                       .arg(offset)
                       .arg(uint(static_cast<unsigned char>(m_page[offset])), 2, 16, QLatin1Char('0'));
    if (offset >= m_searchEnd)
        text += QStringLiteral(" (hinter dem ersten NUL-Byte: hier findet keine Regel Marker oder Endezeichen)");
    for (const THighlight& highlight : m_highlights)
        if (highlight.span.offset <= offset && offset < highlight.span.End())
            text += QStringLiteral("\n") + KindName(highlight.kind);
    return text;
}
