#include "PageControl.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QToolButton>

namespace {

// Tracks the tab under the mouse and lights it up; reaches the size of a
// tab that is currently hidden.
class TPageTabBar : public QTabBar {
public:
    explicit TPageTabBar(QWidget* parent) : QTabBar(parent) { setMouseTracking(true); }

    using QTabBar::tabSizeHint;

    int HotTab() const { return m_hotTab; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override
    {
        SetHotTab(tabAt(event->position().toPoint()));
        QTabBar::mouseMoveEvent(event);
    }

    void leaveEvent(QEvent* event) override
    {
        SetHotTab(-1);
        QTabBar::leaveEvent(event);
    }

    // The bar draws its current tab even when that tab is scrolled out of
    // view; it is put where nothing of it shows.
    void initStyleOption(QStyleOptionTab* option, int tabIndex) const override
    {
        QTabBar::initStyleOption(option, tabIndex);
        if (!isTabVisible(tabIndex))
            option->rect = QRect(-10000, -10000, 1, 1);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QTabBar::paintEvent(event);
        if (m_hotTab < 0 || m_hotTab == currentIndex() || !isTabVisible(m_hotTab) || !isTabEnabled(m_hotTab))
            return;
        QPainter painter(this);
        const QRect tab = tabRect(m_hotTab).adjusted(2, 2, -2, 0);
        QColor light = palette().color(QPalette::Highlight);
        light.setAlpha(48);
        painter.fillRect(tab, light);
        painter.fillRect(tab.left(), tab.top(), tab.width(), 2, palette().color(QPalette::Highlight));
    }

private:
    void SetHotTab(int index)
    {
        if (index == m_hotTab)
            return;
        m_hotTab = index;
        update();
    }

    int m_hotTab = -1;
};

QToolButton* ArrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 20);
    return button;
}

} // namespace

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent)
{
    setTabBar(new TPageTabBar(this));
    tabBar()->setUsesScrollButtons(false);
    tabBar()->setElideMode(Qt::ElideNone);
    tabBar()->setExpanding(false);

    auto* arrows = new QWidget(this);
    auto* layout = new QHBoxLayout(arrows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_previous = ArrowButton(Qt::LeftArrow, "PreviousPageBtn", arrows);
    m_next = ArrowButton(Qt::RightArrow, "NextPageBtn", arrows);
    m_previous->setToolTip(QStringLiteral("Weitere Reiter links zeigen"));
    m_next->setToolTip(QStringLiteral("Weitere Reiter rechts zeigen"));
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    setCornerWidget(arrows, Qt::TopRightCorner);

    connect(m_previous, &QToolButton::clicked, this, [this] { ScrollTabs(-1); });
    connect(m_next, &QToolButton::clicked, this, [this] { ScrollTabs(+1); });
    connect(this, &QTabWidget::currentChanged, this, [this] { ShowTabsAroundCurrent(); });
    CreatePageKeys();
}

int TPageControl::HotTab() const
{
    return static_cast<const TPageTabBar*>(tabBar())->HotTab();
}

void TPageControl::Step(int direction)
{
    for (int steps = 1; steps < count(); ++steps) {
        const int index = ((currentIndex() + direction * steps) % count() + count()) % count();
        if (isTabEnabled(index)) {
            setCurrentIndex(index);
            return;
        }
    }
}

int TPageControl::TabWidth(int index) const
{
    return static_cast<const TPageTabBar*>(tabBar())->tabSizeHint(index).width();
}

int TPageControl::AvailableWidth() const
{
    const QWidget* arrows = cornerWidget(Qt::TopRightCorner);
    return width() - (arrows ? arrows->sizeHint().width() : 0) - 4;
}

// Keeps the first shown tab where it was as long as the current tab still
// fits behind it, so that stepping does not make the bar jump.
void TPageControl::ShowTabsAroundCurrent()
{
    const int current = currentIndex();
    if (current < 0)
        return;
    const int available = AvailableWidth();
    m_first = std::min(m_first, current);
    int used = 0;
    for (int index = m_first; index <= current; ++index)
        used += TabWidth(index);
    while (used > available && m_first < current)
        used -= TabWidth(m_first++);
    ShowTabsFromFirst();
}

// Scrolls the bar by one tab; the page on view stays.
void TPageControl::ScrollTabs(int direction)
{
    m_first = std::clamp(m_first + direction, 0, std::max(0, count() - 1));
    ShowTabsFromFirst();
}

// Shows as many whole tabs from m_first on as fit, and earlier ones when
// room is left at the end; an arrow works while tabs are hidden on its side.
void TPageControl::ShowTabsFromFirst()
{
    const int available = AvailableWidth();
    int used = TabWidth(m_first);
    int last = m_first;
    while (last + 1 < count() && used + TabWidth(last + 1) <= available)
        used += TabWidth(++last);
    // Room left behind the last tab: show earlier tabs again rather than
    // leave a gap.
    while (last + 1 == count() && m_first > 0 && used + TabWidth(m_first - 1) <= available)
        used += TabWidth(--m_first);
    // Only real changes: a call that changes nothing makes the bar forget
    // that its layout is out of date.
    // Hiding the current tab would make the bar choose another page; the
    // page on view stays when its tab is scrolled away.
    const int current = currentIndex();
    {
        const QSignalBlocker quiet(tabBar());
        for (int index = 0; index < count(); ++index) {
            const bool shown = index >= m_first && index <= last;
            if (tabBar()->isTabVisible(index) != shown)
                tabBar()->setTabVisible(index, shown);
        }
        tabBar()->setCurrentIndex(current);
    }
    tabBar()->updateGeometry(); // the bar does not tell the tab widget itself
    m_previous->setEnabled(m_first > 0);
    m_next->setEnabled(last + 1 < count());
}

void TPageControl::resizeEvent(QResizeEvent* event)
{
    QTabWidget::resizeEvent(event);
    ShowTabsAroundCurrent();
    SizePagesLikeCurrent();
}

void TPageControl::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    ShowTabsAroundCurrent();
    SizePagesLikeCurrent();
}

// The tab control sizes only the page on view; the others take its size
// too, so that a page measured before it is first shown has its real size.
void TPageControl::SizePagesLikeCurrent()
{
    const QWidget* current = currentWidget();
    if (!current)
        return;
    for (int index = 0; index < count(); ++index)
        widget(index)->setGeometry(current->geometry());
}

void TPageControl::tabInserted(int index)
{
    QTabWidget::tabInserted(index);
    ShowTabsAroundCurrent();
}

// Ctrl+Tab and Ctrl+PgDn, with Shift or PgUp backwards, turn the pages
// wherever the focus is in the window, as in a dialog with tab pages, and
// reach the hidden pages too.
void TPageControl::CreatePageKeys()
{
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), +1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), +1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1}, // Shift+Backtab too
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [sequence, direction] : keys)
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, [this, direction = direction] {
            Step(direction);
        });
}
