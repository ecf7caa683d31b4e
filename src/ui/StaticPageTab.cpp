// The last tab page: tests the status-page rules of the selected router's
// saved definition against a page that the user saved to disk.
#include "StaticPageTab.h"

#include "ErrorHandler.h"
#include "FileDialog.h"
#include "FormBuilder.h"
#ifdef HAVE_LIVE_TEST
#include "LiveTestDlg.h"
#endif
#include "MatchView.h"
#include "MySpeedButton.h"
#include "PageEvaluation.h"
#include "QtText.h"
#include "RouterList.h"
#include "StatusPageFile.h"
#include "StringGrid.h"

#include <QAction>
#include <QButtonGroup>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>

namespace {

// Runs an action when the watched widget is double-clicked.
class TDoubleClickFilter : public QObject {
public:
    TDoubleClickFilter(QWidget* watched, std::function<void()> action)
        : QObject(watched), m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        m_action();
        return true;
    }

private:
    std::function<void()> m_action;
};

// What a test ran on, for the match view's title.
QString TestSource(const std::string& routerName, int statusQuery, const QString& fileName)
{
    const QString query = statusQuery == 1 ? QStringLiteral("Status1") : QStringLiteral("Status %1").arg(statusQuery);
    const QString file = fileName.isEmpty() ? QStringLiteral("keine Datei") : QFileInfo(fileName).fileName();
    return EscapedControls(ToQString(routerName)) + QStringLiteral(" – ") + query + QStringLiteral(" – ")
           + EscapedControls(file);
}

// Puts a new window to the right of the editor where the screen has room
// for it, else a little below and right of the editor's corner. On a small
// screen it shrinks, and it stays on the screen with room for its frame.
void PlaceBeside(QWidget& window, const QWidget& editor)
{
    const QRect editorFrame = editor.frameGeometry();
    const QRect screen = editor.screen()->availableGeometry();
    QRect place(editorFrame.topRight() + QPoint(8, 0), window.size());
    if (!screen.contains(place))
        place.moveTopLeft(editorFrame.topLeft() + QPoint(40, 40));
    const QSize frame(8, 40);
    place.setSize(place.size().boundedTo(screen.size() - frame));
    place.moveLeft(std::max(screen.left(), std::min(place.left(), screen.right() - frame.width() - place.width())));
    place.moveTop(std::max(screen.top(), std::min(place.top(), screen.bottom() - frame.height() - place.height())));
    window.resize(place.size());
    window.move(place.topLeft());
}

// Whether the rules that a test of that status query applies are the same.
bool SameRules(const TRouterEntry& a, const TRouterEntry& b, int statusQuery)
{
    switch (statusQuery) {
    case 1:
        return a.OfflineCode == b.OfflineCode && a.BeforeIPAddress == b.BeforeIPAddress
               && a.AfterIPAddress == b.AfterIPAddress;
    case 2: return a.Status2Values == b.Status2Values;
    case 3: return a.Status3Values == b.Status3Values;
    default: return a.Status4Values == b.Status4Values;
    }
}

} // namespace

TStaticPageTab::TStaticPageTab(const TRouterList& routers, TRuleReceiver* receiver, QWidget* parent)
    : QWidget(parent), m_routers(routers), m_receiver(receiver)
{
    setObjectName(QStringLiteral("TS5"));
    CreateControls();
}

TStaticPageTab::~TStaticPageTab() = default;

void TStaticPageTab::CreateControls()
{
    const TFormBuilder form(this);
    StatFileName = new QLineEdit(this);
    StatFileName->setObjectName(QStringLiteral("StatFileName"));
    StatFileName->setGeometry(8, 8, 401, 21);
    QAction* browse = StatFileName->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                              QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("StatFileNameBrowse"));
    browse->setToolTip(QStringLiteral("Datei auswählen"));
    connect(browse, &QAction::triggered, this, Guarded([this] {
                TFileDialog dialog(TFileDialog::TKind::Open, this);
                dialog.SetFileName(StatFileName->text());
                if (dialog.Execute())
                    StatFileName->setText(dialog.FileName());
            }));
    connect(StatFileName, &QLineEdit::textChanged, this, Guarded([this] { StatFileNameChange(); }));

    auto* group = new QButtonGroup(this);
    const char* const names[] = {"Status1Btn", "Status2Btn", "Status3Btn", "Status4Btn"};
    const QString texts[] = {QStringLiteral("Status1"), QStringLiteral("Status 2"),
                             QStringLiteral("Status 3"), QStringLiteral("Status 4")};
    const QRect places[] = {{416, 8, 57, 22}, {483, 8, 57, 22}, {547, 8, 57, 22}, {483, 40, 57, 22}};
    for (int index = 0; index < 4; ++index) {
        TMySpeedButton* button = new TMySpeedButton(this);
        button->setObjectName(QLatin1String(names[index]));
        button->setText(texts[index]);
        button->setGeometry(places[index]);
        button->setCheckable(true);
        button->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + index)));
        button->SetHint(QStringLiteral("Statusabfrage %1 testen (Strg+%1)").arg(index + 1));
        group->addButton(button);
        m_statusButtons[index] = button;
    }
    m_statusButtons[0]->setChecked(true);
    TestBtn = new TMySpeedButton(this);
    TestBtn->setObjectName(QStringLiteral("TestBtn"));
    TestBtn->setText(QStringLiteral("Testen"));
    TestBtn->setGeometry(544, 40, 65, 22);
    TestBtn->setShortcut(QKeySequence(Qt::Key_F5));
    TestBtn->SetHint(QStringLiteral("Gewählte Statusabfrage mit der Datei testen (F5)"));
    connect(TestBtn, &QAbstractButton::clicked, this, Guarded([this] { TestBtnClick(); }));

    Grid = new TStringGrid(2, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setGeometry(8, 40, 436, 337);
    Grid->verticalHeader()->setDefaultSectionSize(18);
    Grid->setColumnWidth(0, 128);
    Grid->setColumnWidth(1, 200);
    Grid->setShowGrid(false);
    Grid->setWordWrap(false);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows); // drawn by no one
    QPalette gridColors = Grid->palette();
    gridColors.setColor(QPalette::Base, Qt::black);
    gridColors.setColor(QPalette::Text, QColor(0, 255, 0));
    Grid->setPalette(gridColors);
    Grid->SetDrawCell([this](QPainter& painter, int column, int row, const QRect& rect) {
        GridDrawCell(painter, column, row, rect);
    });
    connect(Grid, &QTableWidget::cellClicked, this,
            [this](int row, int) { Guarded([this, row] { GridCellClick(row, false); })(); });
    connect(Grid, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { Guarded([this, row] { GridCellClick(row, true); })(); });

    form.Label("Label4", QStringLiteral("IP-Adresse:"), {456, 72});
    const auto addStateLabel = [&form](const char* name, const QString& text, const QRect& geometry) {
        QLabel* label = form.Label(name, text, geometry.topLeft());
        label->setGeometry(geometry);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("QLabel { background: navy; color: white; }"));
        return label;
    };
    CurrIPLabel = addStateLabel("CurrIPLabel", QStringLiteral("????"), {456, 89, 90, 16});
    Label8 = addStateLabel("Label8", QStringLiteral("OFFLINE"), {456, 120, 90, 13});
    new TDoubleClickFilter(Label8, Guarded([this] { ShowMatchView(m_status1Test, 0); }));
    new TDoubleClickFilter(CurrIPLabel, Guarded([this] { ShowMatchView(m_status1Test, 1); }));
    MatchViewBtn = new TMySpeedButton(this);
    MatchViewBtn->setObjectName(QStringLiteral("MatchViewBtn"));
    MatchViewBtn->setText(QStringLiteral("Fundstellen..."));
    MatchViewBtn->SetHint(QStringLiteral("Zeigt die Seite, wie die Regeln sie sehen, mit allen Fundstellen "
                                         "des letzten Tests (Strg+F)"));
    MatchViewBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    MatchViewBtn->setGeometry(456, 144, 90, 22);
    MatchViewBtn->setEnabled(false);
    connect(MatchViewBtn, &QAbstractButton::clicked, this, Guarded([this] { MatchViewBtnClick(); }));
#ifdef HAVE_LIVE_TEST
    // A push button, unlike the flat ones: reached with Tab too, after the grid.
    auto* liveTestBtn = new QPushButton(QStringLiteral("Am Router testen..."), this);
    liveTestBtn->setObjectName(QStringLiteral("LiveTestBtn"));
    liveTestBtn->setToolTip(QStringLiteral("Testet den gespeicherten Router am Router selbst: Anmeldung, "
                                        "Statusseiten und ihre Werte"));
    liveTestBtn->setGeometry(456, 176, 145, 24);
    connect(liveTestBtn, &QAbstractButton::clicked, this, Guarded([this] { LiveTestBtnClick(); }));
#endif
    form.WrappedLabel("Label15",
                    QStringLiteral("Speichern Sie die Statusseiten des Routers auf die Festplatte "
                                   "und wählen Sie die Datei dann aus. Sie können Status1, "
                                   "Status2-4 testen.\nDas Testen ist nur möglich, wenn man die "
                                   "Daten gespeichert hat!"),
                    {456, 248, 145, 129});
}

void TStaticPageTab::StatFileNameChange()
{
    QString text = StatFileName->text();
    if (text.contains(QLatin1Char('"')))
        StatFileName->setText(text.remove(QLatin1Char('"')));
}

int TStaticPageTab::SelectedStatusQuery() const
{
    const auto down = std::find_if(m_statusButtons.begin(), m_statusButtons.end(),
                                   [](const TMySpeedButton* button) { return button->isChecked(); });
    return static_cast<int>(down - m_statusButtons.begin()) + 1;
}

// The test reads the record as it was last saved, never the controls.
void TStaticPageTab::TestBtnClick()
{
    std::string page;
    const QString fileName = StatFileName->text();
    if (!fileName.isEmpty())
        page = ReadStatusPageFile(fileName);
    const TRouterEntry& entry = m_routers.SelectedEntry();
    const int statusQuery = SelectedStatusQuery();
    const auto test = std::make_shared<const TPageTest>(entry, std::move(page), statusQuery, true);
    const TTestRun run{test, TestSource(m_routers.Name(m_routers.Selected()), statusQuery, fileName), fileName,
                       &entry};
    const TStaticTestResult& result = test->Result();
    if (statusQuery == 1) {
        Label8->setText(result.offline ? QStringLiteral("OFFLINE") : QStringLiteral("ONLINE"));
        CurrIPLabel->setText(ToQString(result.ipAddress));
        m_status1Test = run;
    } else {
        FillResultGrid(result.values, test);
        m_valuesTest = run;
    }
    m_lastTest = run;
    MatchViewBtn->setEnabled(true);
    if (m_matchView && m_matchView->isVisible())
        ShowInMatchView(run);
}

void TStaticPageTab::FillResultGrid(const TFoundValues& results, std::shared_ptr<const void> owner)
{
    // The grid keeps one row; after a test without values it stands empty
    // rather than showing the values of an earlier test.
    Grid->clearContents();
    Grid->SetRowCount(results.Count());
    for (int row = 0; row < results.Count(); ++row) {
        Grid->SetCell(0, row, ToQString(results.Name(row)) + QLatin1Char(':'));
        Grid->SetCellView(1, row, results.ValueAt(row), owner);
    }
}

void TStaticPageTab::GridDrawCell(QPainter& painter, int column, int row, const QRect& rect)
{
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    painter.fillRect(inner, Grid->palette().color(QPalette::Base));
    painter.setFont(Grid->font());
    painter.setPen(Grid->palette().color(QPalette::Text));
    painter.setClipRect(inner);
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Grid->DrawnText(column, row));
}

void TStaticPageTab::MatchViewBtnClick()
{
    ShowMatchView(m_lastTest, 0);
}

// Opens the view, or brings it forward, on that test and rule.
void TStaticPageTab::ShowMatchView(const TTestRun& run, int rule)
{
    if (!run.test)
        return;
    if (!m_matchView) {
        m_matchView = new TMatchView(m_receiver, window());
        PlaceBeside(*m_matchView, *window());
    }
    if (m_matchView->Test() != run.test.get())
        ShowInMatchView(run);
    m_matchView->show();
    m_matchView->raise();
    m_matchView->activateWindow();
    m_matchView->ShowRule(rule);
}

#ifdef HAVE_LIVE_TEST
// The saved record of the selected router, in a window of its own that
// does not block the editor. It belongs to the editor's window, not to this
// page, which is disabled while a router is changed.
void TStaticPageTab::LiveTestBtnClick()
{
    const TRouterEntry& entry = m_routers.SelectedEntry();
    auto* dialog = new TLiveTestDlg(
        entry, ToQString(m_routers.Name(m_routers.Selected())),
        [this, &entry](std::shared_ptr<const TPageTest> test, const QString& source) {
            ShowMatchView({std::move(test), source, QString(), &entry}, 0);
        },
        window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    // The keyboard goes with it, also where no window manager gives it a
    // new window (the VNC display): typing the address must not reach the
    // editor's buttons behind it.
    dialog->raise();
    dialog->activateWindow();
}
#endif

// A click on a value scrolls an open view to its rule; a double click opens it.
void TStaticPageTab::GridCellClick(int row, bool open)
{
    const TPageTest* test = m_valuesTest.test.get();
    if (!test || row >= test->Result().values.Count())
        return;
    if (!open && !(m_matchView && m_matchView->isVisible()))
        return;
    const int line = test->Result().values.Rows()[std::size_t(row)].line;
    ShowMatchView(m_valuesTest, test->Trace().rules[std::size_t(line)].sourceLine);
}

void TStaticPageTab::ShowInMatchView(const TTestRun& run)
{
    m_matchView->SetTest(run.test, run.source, run.fileName);
    m_viewRun = run;
}

// The view tells when the rules it traced were saved changed since; the
// record is only compared, never read, as the test holds its own copy.
void TStaticPageTab::RecordSaved(const TRouterEntry& record)
{
    if (m_matchView && m_viewRun.test && m_viewRun.record == &record
        && !SameRules(m_viewRun.test->Entry(), record, m_viewRun.test->StatusQuery()))
        m_matchView->SetOutdated();
}

void TStaticPageTab::EditingChanged()
{
    if (m_matchView)
        m_matchView->EditingChanged();
}
