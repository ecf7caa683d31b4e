#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPainter;
class TFoundValues;
class TMatchView;
class TMySpeedButton;
class TPageTest;
struct TRouterEntry;
class TRouterList;
class TRuleReceiver;
class TStringGrid;

// The last tab page: tests the status-page rules of the selected router's
// saved definition against a page that the user saved to disk, and opens the
// match view on a test. It only reads the router list; rules proposed in the
// match view go to `receiver`.
class TStaticPageTab : public QWidget {
    Q_OBJECT

public:
    TStaticPageTab(const TRouterList& routers, TRuleReceiver* receiver, QWidget* parent = nullptr);
    ~TStaticPageTab() override;

    void StatFileNameChange();
    void TestBtnClick();
    void GridDrawCell(QPainter& painter, int column, int row, const QRect& rect);
    void MatchViewBtnClick();

    // The window entered or left edit or new mode.
    void EditingChanged();
    // The window saved that record.
    void RecordSaved(const TRouterEntry& record);

private:
    // A page test as the match view shows it: the test and what it was run on.
    struct TTestRun {
        std::shared_ptr<const TPageTest> test;
        QString source;
        QString fileName;
        const TRouterEntry* record = nullptr; // the saved record it copied
    };

    void CreateControls();
    int SelectedStatusQuery() const;
    // The rows view into the page that `owner` keeps.
    void FillResultGrid(const TFoundValues& results, std::shared_ptr<const void> owner);
    void ShowMatchView(const TTestRun& run, int rule);
    void ShowInMatchView(const TTestRun& run);
    void GridCellClick(int row, bool open);
#ifdef HAVE_LIVE_TEST
    void LiveTestBtnClick();
#endif

    const TRouterList& m_routers;
    TRuleReceiver* m_receiver;
    QLineEdit* StatFileName = nullptr;
    std::array<TMySpeedButton*, 4> m_statusButtons{};
    TMySpeedButton* TestBtn = nullptr;
    TStringGrid* Grid = nullptr;
    QLabel* CurrIPLabel = nullptr;
    QLabel* Label8 = nullptr;
    TMySpeedButton* MatchViewBtn = nullptr;
    TTestRun m_status1Test; // what the labels show
    TTestRun m_valuesTest;  // what the grid shows
    TTestRun m_lastTest;
    TTestRun m_viewRun; // what the match view shows
    QPointer<TMatchView> m_matchView;
};
