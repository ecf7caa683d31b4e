#pragma once

#include "MatchTrace.h"
#include "RouterEntry.h"
#include "RuleProposal.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCp1252LineEdit;
class TPageTest;
class TPageView;
class TRuleReceiver;

// The part of the match view that writes rules. The user marks a value in
// the page, or types it, and chooses the rule it is for: the IP address or
// a property of status query 2 to 4 by name. The proposed rule is shown
// with what the page test reads with it, or why there is none. From a
// second page, saved while the router was offline, it proposes the offline
// code. Another save of the same page (after a reconnect, or from another
// firmware) makes the rule read both: the value there is what the rule
// reads, until the user types another. While a router is being changed or
// made, a proposal can be taken over into the editor's controls; it can
// always be copied.
//
// Proposals are worked out beside the window's thread, so that a large
// page never stops the window; a newer request makes an older answer void.
class TProposalPanel : public QWidget {
    Q_OBJECT

public:
    // Without a receiver, proposals can only be copied.
    TProposalPanel(TPageView& pageView, TRuleReceiver* receiver, QWidget* parent = nullptr);
    ~TProposalPanel() override;

    // The test whose page the proposals are for; null: none.
    void SetTest(std::shared_ptr<const TPageTest> test);
    // The file that the test read; the offline page is looked for beside it.
    void SetTestedFile(const QString& fileName) { m_testedFileName = fileName; }
    // Takes bytes the user marked in the page as the value and proposes.
    void TakeSelection(TPageSpan selection);
    // The editor entered or left edit or new mode, or its lists changed.
    void EditingChanged();
    // While a proposal is being worked out.
    bool Busy() const { return m_ruleBusy || m_offlineBusy; }

private:
    struct TShownRule {
        TRuleTarget target = TRuleTarget::IPAddress;
        int statusQuery = 1;
        TRuleProposal proposal;
    };
    // What the work beside the window hands back.
    struct TRuleAnswer;
    struct TOfflineAnswer;
    static TRuleAnswer WorkOutRule(std::string_view page, std::optional<TValueSpan> selection,
                                   const std::string& typed, TRuleTarget target, const std::string* secondPage,
                                   const std::string& secondValue);
    static TOfflineAnswer WorkOutOfflineCode(std::string_view onlinePage, const std::string* secondPage,
                                             std::string loadedPage, TRouterEntry rules);

    void CreateControls();
    QWidget* CreateValueRow();
    QWidget* CreateSecondPageRow();
    QWidget* CreateRuleRows();
    QWidget* CreateOfflineRows();

    int TargetStatusQuery() const;
    TRuleTarget Target() const;
    void TargetChanged();
    void RefreshNames();
    void RefreshButtons();
    bool EditsAnotherRouter() const;
    QString TakeOverNote() const;

    void Propose();
    void ShowRule(const TRuleAnswer& answer);
    void ClearRule();
    void TakeOverRule();
    bool AcceptsPropertyName(const std::string& name) const;
    bool MayTakeOverFromThisPage() const;

    void ChooseSecondPage();
    void ClearSecondPage();
    void ShowSecondValue(const TRuleAnswer& answer);

    void ChooseOfflinePage();
    void FindOfflineCode(std::string loadedPage, const QString& fileName);
    void ShowOfflineCode(const TOfflineAnswer& answer, const QString& fileName, bool rulesProposed);
    void ClearOfflineCode();
    void TakeOverOfflineCode();

    TPageView& m_pageView;
    TRuleReceiver* m_receiver;
    std::shared_ptr<const TPageTest> m_test;
    std::optional<TValueSpan> m_selection; // the value's place, when marked
    std::optional<TShownRule> m_rule;
    std::optional<std::string> m_offlineCode;
    QString m_offlineFileName;
    QString m_testedFileName;
    std::shared_ptr<const std::string> m_secondPage; // prepared; null: none
    QString m_secondFileName;
    bool m_secondValueFound = false; // read there with the rule shown, not typed
    int m_ruleRequest = 0;
    int m_offlineRequest = 0;
    bool m_ruleBusy = false;
    bool m_offlineBusy = false;

    TCp1252LineEdit* m_valueEdit = nullptr;
    QComboBox* m_targetBox = nullptr;
    QComboBox* m_nameBox = nullptr;
    QPushButton* m_proposeButton = nullptr;
    QPushButton* m_secondPageButton = nullptr;
    QLabel* m_secondPageName = nullptr;
    TCp1252LineEdit* m_secondValueEdit = nullptr;
    QPushButton* m_clearSecondPageButton = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_beforeLabel = nullptr;
    QLineEdit* m_beforeField = nullptr;
    QPushButton* m_copyBeforeButton = nullptr;
    QLabel* m_afterLabel = nullptr;
    QLineEdit* m_afterField = nullptr;
    QPushButton* m_copyAfterButton = nullptr;
    QLabel* m_codeLabel = nullptr;
    QLineEdit* m_codeField = nullptr;
    QPushButton* m_copyCodeButton = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_takeOverButton = nullptr;
    QLabel* m_takeOverNote = nullptr;
    QPushButton* m_offlinePageButton = nullptr;
    QLineEdit* m_offlineField = nullptr;
    QPushButton* m_copyOfflineButton = nullptr;
    QPushButton* m_takeOverOfflineButton = nullptr;
    QLabel* m_offlineResult = nullptr;
};
