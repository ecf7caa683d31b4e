#include "LiveTestDlg.h"

#include "AtomicFile.h"
#include "ErrorHandler.h"
#include "FileDialog.h"
#include "FileMessages.h"
#include "PageEvaluation.h"
#include "QtText.h"
#include "UserFile.h"
#include "WMsgBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// What the user typed last, offered again while the program runs; the
// password is not among it.
QString g_lastAddress;
QString g_lastUser;
QString g_lastSaveFolder;

// A value can run to the end of a page; the list shows its beginning.
QString ValueStart(std::string_view cp1252)
{
    constexpr std::size_t kMax = 300;
    return cp1252.size() <= kMax ? ToQString(cp1252) : ToQString(cp1252.substr(0, kMax)) + QStringLiteral("…");
}

QString QueryName(int statusQuery)
{
    return statusQuery == 1 ? QStringLiteral("Status1") : QStringLiteral("Status %1").arg(statusQuery);
}

bool FitsCp1252(const QString& text)
{
    bool fits = true;
    ForEachCodePoint(text, [&](char32_t codePoint, qsizetype, qsizetype) { fits = fits && IsCp1252Char(codePoint); });
    return fits;
}

struct TActionChoice {
    TLiveAction action;
    const char* text;
};

const TActionChoice kActions[] = {
    {TLiveAction::GoOnline, "Verbindung aufbauen"},
    {TLiveAction::GoOffline, "Verbindung trennen"},
    {TLiveAction::UserDef1, "Benutzerdefinierte Aktion 1"},
    {TLiveAction::UserDef2, "Benutzerdefinierte Aktion 2"},
    {TLiveAction::UserDef3, "Benutzerdefinierte Aktion 3"},
};

} // namespace

TLiveTestDlg::TLiveTestDlg(const TRouterEntry& entry, const QString& routerName, TShowMatch showMatch,
                           QWidget* parent)
    : QDialog(parent), m_entry(entry), m_routerName(routerName), m_showMatch(std::move(showMatch))
{
    setObjectName(QStringLiteral("LiveTestDlg"));
    setWindowTitle(QStringLiteral("Am Router testen – ") + routerName);
    CreateControls();
    resize(820, 600);
}

TLiveTestDlg::~TLiveTestDlg()
{
    if (m_cancel)
        m_cancel->Cancel();
    m_run.waitForFinished();
}

void TLiveTestDlg::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateSettings());

    auto* buttons = new QHBoxLayout;
    TestBtn = new QPushButton(QStringLiteral("&Testen"), this);
    TestBtn->setObjectName(QStringLiteral("TestBtn"));
    TestBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("&Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setEnabled(false);
    StateLabel = new QLabel(QStringLiteral("Der Router wird erst mit „Testen“ angefragt."), this);
    StateLabel->setObjectName(QStringLiteral("StateLabel"));
    StateLabel->setTextFormat(Qt::PlainText); // a router's answer is no markup
    StateLabel->setWordWrap(true);
    StateLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // In an area of its own: a new text is laid out there alone, not the
    // whole dialog with its lists.
    auto* stateArea = new QScrollArea(this);
    stateArea->setWidget(StateLabel);
    stateArea->setWidgetResizable(true);
    stateArea->setFrameShape(QFrame::NoFrame);
    stateArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stateArea->setFixedHeight(2 * fontMetrics().lineSpacing() + 4);
    stateArea->setFocusPolicy(Qt::NoFocus);
    buttons->addWidget(TestBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(stateArea, 1);
    layout->addLayout(buttons);

    LogView = new QTreeWidget(this);
    LogView->setObjectName(QStringLiteral("LogView"));
    LogView->setHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Methode"), QStringLiteral("Adresse"),
                              QStringLiteral("Status"), QStringLiteral("Bytes"), QStringLiteral("Zeit"),
                              QStringLiteral("Weiterleitungen")});
    LogView->setRootIsDecorated(true);
    LogView->setAllColumnsShowFocus(true);
    LogView->header()->setStretchLastSection(false);
    LogView->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    const int widths[] = {60, 60, 0, 55, 75, 70, 110};
    for (int column = 0; column < 7; ++column) {
        if (widths[column])
            LogView->setColumnWidth(column, widths[column]);
    }
    ResultView = new QTreeWidget(this);
    ResultView->setObjectName(QStringLiteral("ResultView"));
    ResultView->setHeaderLabels({QStringLiteral("Abfrage"), QStringLiteral("Ergebnis")});
    ResultView->setAllColumnsShowFocus(true);
    ResultView->setColumnWidth(0, 200);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(LogView);
    split->addWidget(ResultView);
    layout->addWidget(split, 1);

    auto* bottom = new QHBoxLayout;
    MatchViewBtn = new QPushButton(QStringLiteral("&Fundstellen..."), this);
    MatchViewBtn->setObjectName(QStringLiteral("MatchViewBtn"));
    MatchViewBtn->setToolTip(QStringLiteral("Zeigt die gewählte Antwort in der Fundstellen-Ansicht, mit Regelvorschlägen"));
    SavePageBtn = new QPushButton(QStringLiteral("Seite &speichern..."), this);
    SavePageBtn->setObjectName(QStringLiteral("SavePageBtn"));
    SavePageBtn->setToolTip(QStringLiteral("Speichert die gewählte Antwort als Datei für Tests mit statischen Seiten"));
    auto* closeBtn = new QPushButton(QStringLiteral("Schl&ießen"), this);
    closeBtn->setObjectName(QStringLiteral("CloseBtn"));
    closeBtn->setAutoDefault(false);
    bottom->addWidget(MatchViewBtn);
    bottom->addWidget(SavePageBtn);
    bottom->addStretch(1);
    bottom->addWidget(closeBtn);
    layout->addLayout(bottom);
    for (QPushButton* button : {CancelBtn, MatchViewBtn, SavePageBtn})
        button->setAutoDefault(false);

    connect(TestBtn, &QPushButton::clicked, this, Guarded([this] { TestBtnClick(); }));
    connect(CancelBtn, &QPushButton::clicked, this, Guarded([this] { CancelBtnClick(); }));
    connect(MatchViewBtn, &QPushButton::clicked, this, Guarded([this] { MatchViewBtnClick(); }));
    connect(SavePageBtn, &QPushButton::clicked, this, Guarded([this] { SavePageBtnClick(); }));
    connect(closeBtn, &QPushButton::clicked, this, &TLiveTestDlg::reject);
    for (QTreeWidget* view : {LogView, ResultView}) {
        connect(view, &QTreeWidget::itemSelectionChanged, this, [this, view] {
            QTreeWidget* other = view == LogView ? ResultView : LogView;
            if (!view->selectedItems().isEmpty()) {
                const QSignalBlocker block(other);
                other->clearSelection();
                other->setCurrentItem(nullptr);
            }
            SelectionChanged();
        });
        connect(view, &QTreeWidget::itemDoubleClicked, this, Guarded([this] { MatchViewBtnClick(); }));
    }
    SelectionChanged();
}

QWidget* TLiveTestDlg::CreateSettings()
{
    auto* settings = new QWidget(this);
    auto* grid = new QGridLayout(settings);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto addRow = [&](int row, const QString& caption, QWidget* field, int span = 3) {
        auto* label = new QLabel(caption, settings);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, span, qobject_cast<QSpinBox*>(field) ? Qt::AlignLeft : Qt::Alignment());
    };
    const auto edit = [&](const char* name, const QString& text) {
        auto* field = new QLineEdit(text, settings);
        field->setObjectName(QLatin1String(name));
        return field;
    };
    AddressEdit = edit("AddressEdit", g_lastAddress);
    AddressEdit->setPlaceholderText(QStringLiteral("z.B. 192.168.0.1, router.local:8080 oder https://192.168.0.1"));
    UserEdit = edit("UserEdit", g_lastUser);
    PasswordEdit = edit("PasswordEdit", {});
    PasswordEdit->setEchoMode(QLineEdit::Password);
    addRow(0, QStringLiteral("A&dresse des Routers:"), AddressEdit);
    addRow(1, QStringLiteral("&Benutzername:"), UserEdit);
    addRow(2, QStringLiteral("&Passwort:"), PasswordEdit);

    auto* queries = new QWidget(settings);
    auto* queryRow = new QHBoxLayout(queries);
    queryRow->setContentsMargins(0, 0, 0, 0);
    const std::vector<int> available = DefaultStatusQueries(m_entry);
    for (int n = 1; n <= 4; ++n) {
        QCheckBox* box = new QCheckBox(QueryName(n), queries);
        box->setObjectName(QStringLiteral("Status%1ChkBox").arg(n));
        const bool has = std::find(available.begin(), available.end(), n) != available.end();
        box->setChecked(has);
        box->setEnabled(has);
        if (!has)
            box->setToolTip(QStringLiteral("Dieser Router hat für Statusabfrage %1 keine Eigenschaften.").arg(n));
        queryRow->addWidget(box);
        m_queryBoxes[std::size_t(n - 1)] = box;
    }
    queryRow->addStretch(1);
    addRow(3, QStringLiteral("Abfragen:"), queries);

    ActionCB = new QComboBox(settings);
    ActionCB->setObjectName(QStringLiteral("ActionCB"));
    ActionCB->addItem(QStringLiteral("nichts"), int(TLiveAction::None));
    for (const TActionChoice& choice : kActions) {
        if (!ActionRequest(m_entry, choice.action).empty())
            ActionCB->addItem(QString::fromUtf8(choice.text), int(choice.action));
    }
    ActionCB->setEnabled(ActionCB->count() > 1);
    ActionCB->setToolTip(QStringLiteral("Wird nach der Anmeldung und vor den Statusabfragen gesendet"));
    addRow(4, QStringLiteral("&Vorher senden:"), ActionCB, 1);
    InsecureChkBox = new QCheckBox(QStringLiteral("&Zertifikat nicht prüfen"), settings);
    InsecureChkBox->setObjectName(QStringLiteral("InsecureChkBox"));
    InsecureChkBox->setToolTip(QStringLiteral("Nimmt bei https:// jedes Zertifikat an, nur für diesen Test"));
    grid->addWidget(InsecureChkBox, 4, 2, 1, 2);

    const auto spin = [&](const char* name, int value, int maximum) {
        auto* field = new QSpinBox(settings);
        field->setObjectName(QLatin1String(name));
        field->setRange(1, maximum);
        field->setValue(value);
        field->setSuffix(QStringLiteral(" s"));
        return field;
    };
    ConnectTimeoutEdit = spin("ConnectTimeoutEdit", TLiveLimits().connectTimeoutMs / 1000, 60);
    ReadTimeoutEdit = spin("ReadTimeoutEdit", TLiveLimits().readTimeoutMs / 1000, 600);
    addRow(5, QStringLiteral("Zeitlimit Verbindun&g:"), ConnectTimeoutEdit, 1);
    auto* readLabel = new QLabel(QStringLiteral("Zeitlimit A&ntwort:"), settings);
    readLabel->setBuddy(ReadTimeoutEdit);
    grid->addWidget(readLabel, 5, 2);
    grid->addWidget(ReadTimeoutEdit, 5, 3, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return settings;
}

TLiveTestOptions TLiveTestDlg::Options() const
{
    TLiveTestOptions options;
    options.address = ToCp1252(AddressEdit->text().trimmed());
    options.credentials = {ToCp1252(UserEdit->text()), ToCp1252(PasswordEdit->text())};
    for (int n = 1; n <= 4; ++n) {
        if (m_queryBoxes[std::size_t(n - 1)]->isChecked())
            options.statusQueries.push_back(n);
    }
    options.action = TLiveAction(ActionCB->currentData().toInt());
    options.limits.connectTimeoutMs = ConnectTimeoutEdit->value() * 1000;
    options.limits.readTimeoutMs = ReadTimeoutEdit->value() * 1000;
    options.limits.acceptAnyCertificate = InsecureChkBox->isChecked();
    return options;
}

void TLiveTestDlg::TestBtnClick()
{
    if (m_running)
        return;
    if (!FitsCp1252(UserEdit->text()) || !FitsCp1252(PasswordEdit->text()))
        return ShowState(QStringLiteral("Benutzername oder Passwort enthalten Zeichen, die der Router nicht "
                                        "erhalten kann (nur Windows-1252)."),
                         true);
    TLiveTestOptions options = Options();
    if (options.statusQueries.empty())
        return ShowState(QStringLiteral("Bitte mindestens eine Abfrage wählen."), true);
    if (!ConfirmAction(options.action))
        return;
    g_lastAddress = AddressEdit->text().trimmed();
    g_lastUser = UserEdit->text();
    Start(std::move(options));
}

bool TLiveTestDlg::ConfirmAction(TLiveAction action) const
{
    if (action == TLiveAction::None)
        return true;
    const TCp1252Text text = ToCp1252Text(
        QStringLiteral("Vor den Statusabfragen wird „%1“ an den Router gesendet (%2). Das kann seine "
                       "Verbindung ins Internet trennen, aufbauen oder anders ändern.\n\nTrotzdem senden?")
            .arg(ActionCB->currentText(), ToQString(ActionRequest(m_entry, action))));
    return ShowMsgBox(text, {}, mkWarning, btnYesNo) == MsgBox::IDYES;
}

void TLiveTestDlg::Start(TLiveTestOptions options)
{
    m_exchanges.clear();
    m_results.clear();
    LogView->clear();
    ResultView->clear();
    m_cancel = std::make_shared<TLiveCancel>();
    SetRunning(true);
    ShowState(QStringLiteral("Der Test läuft..."), false);
    m_run = QtConcurrent::run([this, entry = m_entry, options, cancel = m_cancel] {
        TLiveTestReport report;
        try {
            report = RunLiveTest(entry, options, *cancel, [this](const auto& exchange, const auto& results) {
                QMetaObject::invokeMethod(
                    this, [this, exchange, results] { AddExchange(exchange, results); }, Qt::QueuedConnection);
            });
        } catch (const std::exception& error) {
            report.failure = TLiveFailure::Other;
            report.message = error.what();
        }
        QMetaObject::invokeMethod(
            this,
            [this, failure = report.failure, message = report.message, succeeded = report.Succeeded(), options] {
                Finish(failure, message, succeeded, options);
            },
            Qt::QueuedConnection);
    });
}

void TLiveTestDlg::CancelBtnClick()
{
    if (m_cancel)
        m_cancel->Cancel();
}

void TLiveTestDlg::reject()
{
    if (!m_running)
        return QDialog::reject();
    m_closeWhenDone = true;
    CancelBtnClick();
}

void TLiveTestDlg::SetRunning(bool running)
{
    m_running = running;
    TestBtn->setEnabled(!running);
    CancelBtn->setEnabled(running);
    if (running)
        CancelBtn->setFocus();
    else if (CancelBtn->hasFocus())
        TestBtn->setFocus();
}

void TLiveTestDlg::AddExchange(const std::shared_ptr<const TLiveExchange>& exchange,
                               const std::vector<TLiveQueryResult>& results)
{
    const int index = int(m_exchanges.size());
    m_exchanges.push_back(exchange);
    auto* item = new QTreeWidgetItem(LogView);
    item->setText(0, QString::number(index + 1));
    item->setText(1, QString::fromLatin1(exchange->method));
    item->setText(2, ToQString(exchange->shownUrl));
    item->setText(3, exchange->status ? QString::number(exchange->status) : QStringLiteral("–"));
    item->setText(4, QString::number(exchange->bytes));
    item->setText(5, QStringLiteral("%1 ms").arg(exchange->ms));
    item->setText(6, QString::number(exchange->redirects.size()));
    for (int column : {0, 3, 4, 5, 6})
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    if (exchange->failure != TLiveFailure::None) {
        for (int column = 0; column < LogView->columnCount(); ++column) {
            item->setForeground(column, QColor(170, 0, 0));
            item->setToolTip(column, Qt::convertFromPlainText(EscapedControls(QString::fromStdString(exchange->message))));
        }
    }
    for (const std::string& hop : exchange->redirects) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(2, QStringLiteral("→ ") + ToQString(hop));
    }
    item->setExpanded(true);
    for (const TLiveQueryResult& result : results)
        AddResult(result);
    ShowState(QStringLiteral("Der Test läuft... %1 Anfrage(n) beantwortet.").arg(index + 1), false);
}

void TLiveTestDlg::AddResult(const TLiveQueryResult& result)
{
    const int index = int(m_results.size());
    m_results.push_back(result);
    auto* item = new QTreeWidgetItem(ResultView);
    item->setText(0, QueryName(result.statusQuery) + QStringLiteral(" (Antwort %1)").arg(result.page + 1));
    item->setData(0, Qt::UserRole, index);
    const TStaticTestResult& found = result.test->Result();
    const auto addLine = [item, index](const QString& name, const QString& value) {
        auto* line = new QTreeWidgetItem(item, {name, value});
        line->setData(0, Qt::UserRole, index);
    };
    if (result.statusQuery == 1) {
        item->setText(1, found.offline ? QStringLiteral("OFFLINE") : QStringLiteral("ONLINE"));
        addLine(QStringLiteral("IP-Adresse:"), ValueStart(found.ipAddress));
    } else {
        const int count = found.values.Count();
        item->setText(1, count ? QStringLiteral("%1 Wert(e)").arg(count) : QStringLiteral("keine Werte"));
        for (int row = 0; row < found.values.Count(); ++row)
            addLine(ToQString(found.values.Name(row)) + QLatin1Char(':'), ValueStart(found.values.ValueAt(row)));
    }
    item->setExpanded(true);
}

void TLiveTestDlg::Finish(TLiveFailure failure, const std::string& message, bool succeeded,
                          const TLiveTestOptions& options)
{
    SetRunning(false);
    if (m_closeWhenDone)
        return QDialog::reject();
    if (ResultView->topLevelItemCount() > 0)
        ResultView->setCurrentItem(ResultView->topLevelItem(0));
    else if (LogView->topLevelItemCount() > 0)
        LogView->setCurrentItem(LogView->topLevelItem(LogView->topLevelItemCount() - 1));
    if (succeeded)
        ShowState(QStringLiteral("Test beendet: %1 Anfrage(n), jede Abfrage lief.").arg(m_exchanges.size()), false);
    else
        ShowState(message.empty() ? QStringLiteral("Nicht jede Abfrage konnte laufen.")
                                  : QString::fromStdString(message),
                  true);
    SelectionChanged();
    if (failure == TLiveFailure::Certificate && !options.limits.acceptAnyCertificate) {
        const std::string question = message + "\n\nNur wenn Sie sicher sind, dass Sie mit Ihrem Router verbunden "
                                               "sind: Zertifikat für diesen Test annehmen und erneut testen?";
        if (ShowMsgBox(ToCp1252Text(question), {}, mkWarning, btnYesNo) == MsgBox::IDYES) {
            TLiveTestOptions trusting = options;
            trusting.limits.acceptAnyCertificate = true;
            Start(std::move(trusting));
        }
    }
}

void TLiveTestDlg::ShowState(const QString& text, bool failed)
{
    StateLabel->setText(EscapedControls(text));
    StateLabel->setStyleSheet(failed ? QStringLiteral("QLabel { color: #aa0000; }") : QString());
}

int TLiveTestDlg::SelectedExchange() const
{
    if (const QTreeWidgetItem* item = ResultView->currentItem(); item && item->isSelected())
        return m_results[std::size_t(item->data(0, Qt::UserRole).toInt())].page;
    const QTreeWidgetItem* item = LogView->currentItem();
    if (!item || !item->isSelected())
        return -1;
    if (item->parent())
        item = item->parent();
    return LogView->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
}

std::shared_ptr<const TPageTest> TLiveTestDlg::SelectedTest() const
{
    if (const QTreeWidgetItem* item = ResultView->currentItem(); item && item->isSelected())
        return m_results[std::size_t(item->data(0, Qt::UserRole).toInt())].test;
    const int exchange = SelectedExchange();
    if (exchange < 0 || m_exchanges[std::size_t(exchange)]->status == 0)
        return nullptr;
    for (const TLiveQueryResult& result : m_results) {
        if (result.page == exchange)
            return result.test;
    }
    // A response no status query read, such as the login page: shown as
    // status query 1 reads it, for the rule proposals.
    return std::make_shared<const TPageTest>(m_entry, m_exchanges[std::size_t(exchange)]->body, 1, true);
}

void TLiveTestDlg::SelectionChanged()
{
    const int exchange = SelectedExchange();
    const bool answered = exchange >= 0 && m_exchanges[std::size_t(exchange)]->status != 0;
    MatchViewBtn->setEnabled(answered && m_showMatch);
    SavePageBtn->setEnabled(answered);
}

void TLiveTestDlg::MatchViewBtnClick()
{
    const std::shared_ptr<const TPageTest> test = SelectedTest();
    if (!test || !m_showMatch)
        return;
    const int exchange = SelectedExchange();
    m_showMatch(test, m_routerName + QStringLiteral(" – ") + QueryName(test->StatusQuery()) + QStringLiteral(" – ")
                          + QString::fromStdString(SavedPageName(exchange, *m_exchanges[std::size_t(exchange)]))
                          + QStringLiteral(" (vom Router)"));
}

void TLiveTestDlg::SavePageBtnClick()
{
    const int index = SelectedExchange();
    if (index < 0)
        return;
    const TLiveExchange& exchange = *m_exchanges[std::size_t(index)];
    TFileDialog save(TFileDialog::TKind::Save, this);
    save.SetFilter(QStringLiteral("HTML-Seiten"), QStringLiteral("*.htm *.html"));
    const QString name = QString::fromStdString(SavedPageName(index, exchange));
    save.SetFileName(g_lastSaveFolder.isEmpty() ? name : QDir(g_lastSaveFolder).filePath(name));
    if (!save.Execute())
        return;
    g_lastSaveFolder = QFileInfo(save.FileName()).absolutePath();
    const std::string path = CorePath(save.FileName());
    const TWriteResult written = WriteFileCrashSafe(path, exchange.body);
    if (!written.Ok())
        throw TFileError(WriteFailureMessage(path, written));
    ShowState(QStringLiteral("Antwort %1 gespeichert: %2").arg(index + 1).arg(save.FileName()), false);
}
