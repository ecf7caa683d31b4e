#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QTreeView;
class TPageTest;
class TPageView;
class TProposalPanel;
class TRuleReceiver;
class TTraceModel;

// A window beside the editor that shows a page test as the rules saw it:
// the prepared page with every place the rules matched in colour, and the
// rules with their steps beside it. Choosing a rule or a step scrolls the
// page there. Below, it proposes rules for values marked in the page, which
// go to the editor through `receiver`. It does not block the editor.
class TMatchView : public QWidget {
    Q_OBJECT

public:
    explicit TMatchView(TRuleReceiver* receiver, QWidget* parent = nullptr);
    ~TMatchView() override;

    // Shows the test; `source` names the router, the status query and the
    // file, `pageFile` is the file's path.
    void SetTest(std::shared_ptr<const TPageTest> test, const QString& source, const QString& pageFile = {});
    const TPageTest* Test() const;
    // Selects the rule (its index in the trace) and scrolls to its place.
    void ShowRule(int rule);
    // The editor entered or left edit or new mode.
    void EditingChanged();
    // The rules of the test shown were changed and saved since.
    void SetOutdated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowCurrentStep();
    void KeepProposalsWhole();

    TTraceModel* m_model = nullptr;
    QTreeView* m_steps = nullptr;
    TPageView* m_page = nullptr;
    QLabel* m_info = nullptr;
    QLabel* m_outdated = nullptr;
    TProposalPanel* m_proposals = nullptr;
};
