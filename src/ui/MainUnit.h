#pragma once

#include "RouterFile.h"
#include "RouterList.h"
#include "RuleReceiver.h"

#include <QHash>
#include <QSet>
#include <QWidget>

#include <array>
#include <functional>
#include <future>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TCp1252LineEdit;
class TCp1252Memo;
class TFileDialog;
class TMySpeedButton;
class TPageControl;
class TPropertyPage;
class TRouterNamesModel;
class TSpinEdit;
class TStaticPageTab;

// The editor's main window: the router list in RoutersCB, the selected
// definition in the controls of the tab pages, and browse, edit and new mode.
// Every save and every deletion writes the whole list to the routers file.
// The pages of status queries 2 to 4 (TPropertyPage) and the test page
// (TStaticPageTab) are classes of their own; merging and exporting use
// MergeRouterUnit.
class TMainEditor : public QWidget, private TRuleReceiver {
    Q_OBJECT

public:
    enum class TMode { Browse, Edit, New };

    // Loads the routers file at `routersPath`; a missing file is created empty.
    explicit TMainEditor(std::string routersPath, QWidget* parent = nullptr);
    ~TMainEditor() override;

    TMode Mode() const { return m_mode; }
    const TRouterList& Routers() const { return m_routers; }
    const std::string& RoutersPath() const { return m_file.Path(); }

    // The handlers, run here exactly as for the user's actions.
    void RoutersCBChange();
    void SetEditMode(bool enable);
    void NewBtnClick();
    void EditBtnClick();
    void SaveBtnClick();
    void CancelBtnClick();
    void DeleteBtnClick();
    void BrowserAuthChkBoxClick();
    void PCChange();
    void Button1Click();
    void Button2Click();

    // The property lists of pages 4 to 6, carried out by the page on view
    // (TPropertyPage); on any other page they do nothing.
    void ValueAddBtnClick();
    void ValueEditBtnDblClick();
    void ValueDelBtnClick();
    void DupBtnClick();
    void RowUpBtnClick();
    void RowDownBtnClick();
    void ValueEditClick();

    // Inserts the record at its sorted place in the list and in RoutersCB and
    // returns its position; the selection stays on the same record.
    int AddRouter(std::unique_ptr<TRouterEntry> entry);
    // Selects a position (-1: none) in the list and in RoutersCB.
    void SelectRouter(int index);

signals:
    // Edit or new mode began or ended.
    void editingChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateTopRow();
    void CreateGeneralPage();
    void CreateLoginPage();
    void CreateConnectionPage();
    void CreateStatus1Page();
    void CreateUserDefinedPage();
    void CreateBottomRow();
    void CreateFileDialogs();
    void CreateShortcuts();
    QWidget* AddPage(const char* name, const QString& caption);
    void AddPage(QWidget* page, const QString& caption);
    void BindEnterKey(QWidget* control);
    void BindExit(QWidget* control, std::function<void()> operation);
    void ConnectHandlers();

    void FormCreate();
    void FormShow();
    void LoadRouters();
    void WarnIfFileDamaged();
    void WarnAboutCutTexts();
    void OfferInterruptedCopy();
    void WriteRouters();

    void ShowRecord(const TRouterEntry& record);
    void CopyControlsInto(TRouterEntry& record) const;
    bool EditedRecordFits() const;
    void ClearEditingTexts();
    void SetBrowseButtons();
    void SetEditingButtons();
    void SetTestPageEnabled(bool enable);
    void FocusFirstFieldOf(QWidget* page);

    void RememberShownRecord();
    bool HasUnsavedEdits() const;
    bool MayLeaveEditing();
    bool MayDropUnwrittenChanges();
    // Speichern, Verwerfen or Abbrechen: IDYES, IDNO or IDCANCEL.
    int AskSaveOrDiscard(const QString& question);

    bool EnterKeyPress(QObject* sender, QKeyEvent* event);
    void ExitFocusedField();
    void GoOnlineEditExit();
    void GoOfflineEditExit();
    void SignOffURLEditExit();
    void StatusPageEditExit();
    void Status2PageEditExit(QLineEdit* sender);
    void AuthStringEditExit();
    void UserDefEditExit(QLineEdit* sender);
    void TrimTextExit(TCp1252Memo* sender);

    TPropertyPage* ActivePropertyPage() const;
    void OnActivePropertyPage(void (TPropertyPage::*handler)());

    // Rule proposals of the match view taken over into the controls.
    TEditing Editing() const override;
    std::string EditedRouterName() const override;
    std::vector<std::string> PropertyNames(int statusQuery) const override;
    std::string BeforeIPAddress() const override;
    std::string AfterIPAddress() const override;
    void TakeOverAddressRule(const std::string& before, const std::string& after) override;
    void TakeOverPropertyRule(int statusQuery, const std::string& name, const std::string& code) override;
    void TakeOverOfflineCode(const std::string& code) override;
    void ShowControl(QWidget* control);

    TRoutersFile m_file;
    TRouterList m_routers;
    TRouterNamesModel* m_routerNames = nullptr;
    TLoadResult m_loadResult;
    // The routers file is read on a thread of its own while the controls
    // are made; FormCreate takes the list over where it loads the file.
    // Declared after what the reading fills, so that it ends first.
    TRouterList m_readRouters;
    std::future<TLoadResult> m_reading;
    TMode m_mode = TMode::Browse;
    bool m_newRouter = false;
    // The definition as Neu or Ändern put it into the controls, to tell
    // whether the user changed anything.
    TRouterEntry m_shownRecord;
    bool m_shown = false;
    QHash<QObject*, std::function<void()>> m_exitOperations;
    QSet<QObject*> m_enterMovesFocus;

    QComboBox* RoutersCB = nullptr;
    TMySpeedButton* NewBtn = nullptr;
    TMySpeedButton* EditBtn = nullptr;
    TMySpeedButton* DeleteBtn = nullptr;
    TPageControl* PC = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* SaveBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    std::unique_ptr<TFileDialog> OpenDialog;
    std::unique_ptr<TFileDialog> SaveDialog;

    TCp1252LineEdit* RouterVendorEdit = nullptr;
    TCp1252LineEdit* RouterVendorURLEdit = nullptr;
    TCp1252Memo* CommentsEdit = nullptr;

    QCheckBox* BrowserAuthChkBox = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label20 = nullptr;
    TCp1252LineEdit* AuthStringEdit = nullptr;
    TSpinEdit* RHTTPPort = nullptr;

    TCp1252LineEdit* GoOnlineEdit = nullptr;
    TCp1252LineEdit* GoOfflineEdit = nullptr;
    TCp1252LineEdit* SignOffURLEdit = nullptr;

    TCp1252LineEdit* StatusPageEdit = nullptr;
    TCp1252Memo* OfflineCodeEdit = nullptr;
    TCp1252Memo* BeforeIPAddressEdit = nullptr;
    TCp1252Memo* AfterIPAddressEdit = nullptr;

    std::array<TPropertyPage*, 3> m_propertyPages{};

    TCp1252LineEdit* UserDef1Edit = nullptr;
    TCp1252LineEdit* UserDef2Edit = nullptr;
    TCp1252LineEdit* UserDef3Edit = nullptr;

    TStaticPageTab* TS5 = nullptr;
};
