#pragma once

#include "RouterFile.h"
#include "RouterList.h"
#include "RuleReceiver.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <array>
#include <functional>
#include <future>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class TCp1252LineEdit;
class TCp1252Memo;
class TFileDialog;
class TFoundValues;
class TMatchView;
class TMySpeedButton;
class TPageControl;
class TPageTest;
class TPropertyListEditor;
class TRouterNamesModel;
class TSpinEdit;
class TStringGrid;

// The editor's main window: the router list in RoutersCB, the selected
// definition in the controls of the tab pages, and browse, edit and new mode.
// Every save and every deletion writes the whole list to the routers file.
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

    // The property lists of pages 4 to 6; each works on the list of the
    // active page and does nothing on any other page.
    void ValueAddBtnClick();
    void ValueEditBtnDblClick();
    void ValueDelBtnClick();
    void DupBtnClick();
    void RowUpBtnClick();
    void RowDownBtnClick();
    // The row-button rule: which move buttons of the active page work.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TPropertyPage {
        QLineEdit* pageEdit = nullptr;
        TPropertyListEditor* editor = nullptr;
        QPushButton* addBtn = nullptr;
        QPushButton* editBtn = nullptr;
        QPushButton* delBtn = nullptr;
        QPushButton* dupBtn = nullptr;
        TMySpeedButton* upBtn = nullptr;
        TMySpeedButton* downBtn = nullptr;
    };

    void CreateControls();
    void CreateTopRow();
    void CreateGeneralPage();
    void CreateLoginPage();
    void CreateConnectionPage();
    void CreateStatus1Page();
    void CreatePropertyPage(int number);
    void CreateUserDefinedPage();
    void CreateTestPage();
    void CreateBottomRow();
    void CreateFileDialogs();
    QWidget* AddPage(const char* name, const QString& caption);
    TCp1252LineEdit* AddLabelledEdit(QWidget* page, const char* name, const QString& caption,
                                     const QRect& geometry);
    TCp1252LineEdit* AddEdit(QWidget* page, const char* name, const QRect& geometry);
    TCp1252Memo* AddMemo(QWidget* page, const char* name, const QRect& geometry);
    QLabel* AddLabel(QWidget* page, const char* name, const QString& text, const QPoint& position);
    QLabel* AddWrappedLabel(QWidget* page, const char* name, const QString& text,
                            const QRect& geometry);
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

    void ConnectPropertyPages();
    TPropertyListEditor* ActivePropertyEditor() const;
    void ApplyRowButtonRule(QWidget* page, const TPropertyListEditor& editor);
    void ApplyRowButtonRuleOnEveryPage();
    void EnableUpButtons(QWidget* page, bool on);
    void EnableDownButtons(QWidget* page, bool on);
    void MoveCurrentRow(int direction);

    // A page test as the match view shows it: the test and what it was run on.
    struct TTestRun {
        std::shared_ptr<const TPageTest> test;
        QString source;
    };

    void StatFileNameChange();
    void TestBtnClick();
    int SelectedStatusQuery() const;
    // The rows view into the page that `owner` keeps.
    void FillResultGrid(const TFoundValues& results, std::shared_ptr<const void> owner);
    void GridDrawCell(QPainter& painter, int column, int row, const QRect& rect);
    void MatchViewBtnClick();
    void ShowMatchView(const TTestRun& run, int rule);
    void GridCellClick(int row, bool open);
    void LiveTestBtnClick();

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

    std::array<TPropertyPage, 3> m_propertyPages;

    TCp1252LineEdit* UserDef1Edit = nullptr;
    TCp1252LineEdit* UserDef2Edit = nullptr;
    TCp1252LineEdit* UserDef3Edit = nullptr;

    QWidget* TS5 = nullptr;
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
    QPointer<TMatchView> m_matchView;
};
