#pragma once

#include "LiveTest.h"
#include "RouterEntry.h"

#include <QDialog>
#include <QFuture>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class TPageTest;

// Tests a saved definition against the router itself: sends its requests
// on a thread of its own, shows each request as it is answered and the
// status queries read from the responses. Any response opens in the match
// view or is saved as a file for offline tests. The password typed here is
// kept nowhere.
class TLiveTestDlg : public QDialog {
    Q_OBJECT

public:
    // Shows a page test in the match view; `source` names what it ran on.
    using TShowMatch = std::function<void(std::shared_ptr<const TPageTest> test, const QString& source)>;

    TLiveTestDlg(const TRouterEntry& entry, const QString& routerName, TShowMatch showMatch,
                 QWidget* parent = nullptr);
    ~TLiveTestDlg() override;

    bool Running() const { return m_running; }

    void TestBtnClick();
    void CancelBtnClick();
    void MatchViewBtnClick();
    void SavePageBtnClick();

public slots:
    // Escape and closing stop a running test; only then does the dialog close.
    void reject() override;

private:
    void CreateControls();
    QWidget* CreateSettings();
    void SetRunning(bool running);
    TLiveTestOptions Options() const;
    bool ConfirmAction(TLiveAction action) const;
    void Start(TLiveTestOptions options);
    void AddExchange(const std::shared_ptr<const TLiveExchange>& exchange, const std::vector<TLiveQueryResult>& results);
    void AddResult(const TLiveQueryResult& result);
    void Finish(TLiveFailure failure, const std::string& message, bool succeeded, const TLiveTestOptions& options);
    void ShowState(const QString& text, bool failed);
    // The response of the selected row, and the test to show for it.
    int SelectedExchange() const;
    std::shared_ptr<const TPageTest> SelectedTest() const;
    void SelectionChanged();

    const TRouterEntry m_entry;
    const QString m_routerName;
    TShowMatch m_showMatch;

    QLineEdit* AddressEdit = nullptr;
    QLineEdit* UserEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    std::array<QCheckBox*, 4> m_queryBoxes{};
    QComboBox* ActionCB = nullptr;
    QCheckBox* InsecureChkBox = nullptr;
    QSpinBox* ConnectTimeoutEdit = nullptr;
    QSpinBox* ReadTimeoutEdit = nullptr;
    QPushButton* TestBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QLabel* StateLabel = nullptr;
    QTreeWidget* LogView = nullptr;
    QTreeWidget* ResultView = nullptr;
    QPushButton* MatchViewBtn = nullptr;
    QPushButton* SavePageBtn = nullptr;

    std::vector<std::shared_ptr<const TLiveExchange>> m_exchanges;
    std::vector<TLiveQueryResult> m_results;
    std::shared_ptr<TLiveCancel> m_cancel;
    QFuture<void> m_run;
    bool m_running = false;
    bool m_closeWhenDone = false;
};
