#pragma once

#include <QTabWidget>

class QToolButton;

// A tab control whose tabs, when they do not all fit, scroll by whole tabs:
// the bar shows the tabs around the current one in full, and two arrows
// beside it scroll the bar to the tabs hidden on their side without changing
// the page. The tab under the mouse is lit up.
class TPageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Steps to the nearest enabled page in that direction (-1 or +1), from
    // the last page on to the first and back.
    void Step(int direction);
    // The tab under the mouse, or -1.
    int HotTab() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void tabInserted(int index) override;

private:
    void CreatePageKeys();
    void ShowTabsAroundCurrent();
    void ScrollTabs(int direction);
    void ShowTabsFromFirst();
    void SizePagesLikeCurrent();
    int TabWidth(int index) const;
    int AvailableWidth() const;

    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    int m_first = 0;
};
