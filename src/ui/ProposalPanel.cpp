#include "ProposalPanel.h"

#include "Cp1252LineEdit.h"
#include "Cp1252Validator.h"
#include "ErrorHandler.h"
#include "FileDialog.h"
#include "PageEvaluation.h"
#include "PageView.h"
#include "QtText.h"
#include "RuleReceiver.h"
#include "StatusPageFile.h"
#include "WMsgBox.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>

namespace {

// A marked value longer than this is taken for a slip of the mouse.
constexpr std::size_t kLongestValue = 4096;
// Places of a value counted for the note on where it stands.
constexpr std::size_t kPlacesCounted = 64;
// Results are shown up to this many characters.
constexpr qsizetype kShownResult = 200;

const QString kHint = QStringLiteral(
    "Markieren Sie den Wert in der Seite mit der Maus (ein Doppelklick markiert ein Wort oder "
    "eine Zahl) oder geben Sie ihn ein, und wählen Sie, wofür die Regel ist.");
const QColor kFailureColor(0xB0, 0x00, 0x00);

QString Quoted(const QString& text)
{
    const QString shown = text.size() > kShownResult ? text.left(kShownResult) + QChar(0x2026) : text;
    return QStringLiteral("„") + EscapedControls(shown) + QStringLiteral("“");
}

QString Quoted(std::string_view cp1252)
{
    return Quoted(ToQString(cp1252.substr(0, std::size_t(kShownResult) + 1)));
}

void SetTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QLabel* WrappedLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumHeight(label->fontMetrics().height()); // the rows below stay where they are
    return label;
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLineEdit* RuleField(const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    return field;
}

void CopyToClipboard(const QLineEdit* field)
{
    QGuiApplication::clipboard()->setText(field->text());
}

// The name as the HTML code dialog leaves it: without leading and trailing
// spaces and control characters.
std::string TrimmedName(std::string name)
{
    const auto isText = [](char c) { return static_cast<unsigned char>(c) > 0x20; };
    name.erase(std::find_if(name.rbegin(), name.rend(), isText).base(), name.end());
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), isText));
    return name;
}

// Runs `work` on a thread of the pool and hands its answer to `done` on the
// window's thread, unless `context` is gone by then.
template <typename Answer, typename Work, typename Done>
void RunBeside(QObject* context, Work work, Done done)
{
    auto* watcher = new QFutureWatcher<Answer>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        const Answer answer = watcher->result();
        watcher->deleteLater();
        Guarded([&] { done(answer); })();
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

struct TStatus1Reading {
    bool offline = false;
    std::string ipAddress;
};

TStatus1Reading ReadStatus1(const TRouterEntry& entry, std::string_view page)
{
    const TStaticTestResult result = TestPreparedPage(entry, page, 1);
    return {result.offline, std::string(result.ipAddress)};
}

QString ReadingText(const TStatus1Reading& reading)
{
    if (reading.offline)
        return QStringLiteral("OFFLINE");
    if (reading.ipAddress.empty())
        return QStringLiteral("ONLINE, keine IP-Adresse");
    return QStringLiteral("ONLINE, IP-Adresse ") + Quoted(reading.ipAddress);
}

} // namespace

struct TProposalPanel::TRuleAnswer {
    TRuleProposal proposal;
    std::vector<TValueSpan> places; // of the value, in the page
    std::optional<std::string> secondReading; // what the rule reads on the second page
    std::exception_ptr error;
};

struct TProposalPanel::TOfflineAnswer {
    TOfflineCodeProposal proposal;
    TStatus1Reading offlinePage;
    TStatus1Reading onlinePage;
    std::optional<TStatus1Reading> secondPage;
    std::exception_ptr error;
};

TProposalPanel::TProposalPanel(TPageView& pageView, TRuleReceiver* receiver, QWidget* parent)
    : QWidget(parent), m_pageView(pageView), m_receiver(receiver)
{
    setObjectName(QStringLiteral("ProposalPanel"));
    CreateControls();
    SetTest(nullptr);
}

TProposalPanel::~TProposalPanel() = default;

void TProposalPanel::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    auto* title = new QLabel(QStringLiteral("Regel vorschlagen"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(CreateValueRow());
    layout->addWidget(CreateSecondPageRow());
    m_note = WrappedLabel("ProposalNote", this);
    layout->addWidget(m_note);
    layout->addWidget(CreateRuleRows());
    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    layout->addWidget(line);
    layout->addWidget(CreateOfflineRows());
    layout->addStretch();
}

QWidget* TProposalPanel::CreateValueRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Wert:"), row));
    m_valueEdit = new TCp1252LineEdit(row);
    m_valueEdit->setObjectName(QStringLiteral("ProposalValueEdit"));
    m_valueEdit->setMaxLength(int(kLongestValue));
    m_valueEdit->setPlaceholderText(QStringLiteral("in der Seite markieren oder eingeben"));
    layout->addWidget(m_valueEdit, 3);
    layout->addWidget(new QLabel(QStringLiteral("Regel für:"), row));
    m_targetBox = new QComboBox(row);
    m_targetBox->setObjectName(QStringLiteral("ProposalTargetCB"));
    m_targetBox->addItem(QStringLiteral("IP-Adresse (Statusabfrage 1)"));
    for (int query = 2; query <= 4; ++query)
        m_targetBox->addItem(QStringLiteral("Eigenschaft der Statusabfrage %1").arg(query));
    layout->addWidget(m_targetBox);
    layout->addWidget(new QLabel(QStringLiteral("Name:"), row));
    m_nameBox = new QComboBox(row);
    m_nameBox->setObjectName(QStringLiteral("ProposalNameCB"));
    m_nameBox->setEditable(true);
    m_nameBox->setInsertPolicy(QComboBox::NoInsert);
    m_nameBox->lineEdit()->setValidator(new TCp1252Validator(m_nameBox));
    m_nameBox->lineEdit()->setPlaceholderText(QStringLiteral("Eigenschaft"));
    m_nameBox->setMinimumContentsLength(14);
    layout->addWidget(m_nameBox, 1);
    m_proposeButton = Button("ProposeBtn", QStringLiteral("Vorschlagen"), row);
    layout->addWidget(m_proposeButton);

    connect(m_valueEdit, &QLineEdit::textEdited, this, [this] {
        m_selection.reset(); // typed: the value is looked for in the page
        ClearRule();
    });
    connect(m_valueEdit, &QLineEdit::returnPressed, this, Guarded([this] { Propose(); }));
    connect(m_proposeButton, &QPushButton::clicked, this, Guarded([this] { Propose(); }));
    connect(m_targetBox, &QComboBox::currentIndexChanged, this, Guarded([this] { TargetChanged(); }));
    return row;
}

QWidget* TProposalPanel::CreateSecondPageRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_secondPageButton = Button("SecondPageBtn", QStringLiteral("Zweite Seite wählen..."), row);
    m_secondPageButton->setToolTip(QStringLiteral("Dieselbe Statusseite, zu einer anderen Zeit gespeichert (nach "
                                                  "einer Neueinwahl oder mit anderer Firmware): die Regel muss "
                                                  "den Wert auf beiden Seiten lesen"));
    m_secondPageName = new QLabel(row);
    m_secondPageName->setObjectName(QStringLiteral("SecondPageName"));
    m_secondPageName->setTextFormat(Qt::PlainText);
    m_secondValueEdit = new TCp1252LineEdit(row);
    m_secondValueEdit->setObjectName(QStringLiteral("SecondValueEdit"));
    m_secondValueEdit->setMaxLength(int(kLongestValue));
    m_secondValueEdit->setPlaceholderText(QStringLiteral("Wert in der zweiten Seite"));
    m_clearSecondPageButton = Button("ClearSecondPageBtn", QStringLiteral("Ohne zweite Seite"), row);
    layout->addWidget(m_secondPageButton);
    layout->addWidget(m_secondPageName);
    auto* valueLabel = new QLabel(QStringLiteral("Wert dort:"), row);
    valueLabel->setBuddy(m_secondValueEdit);
    layout->addWidget(valueLabel);
    layout->addWidget(m_secondValueEdit, 1);
    layout->addWidget(m_clearSecondPageButton);

    connect(m_secondPageButton, &QPushButton::clicked, this, Guarded([this] { ChooseSecondPage(); }));
    connect(m_clearSecondPageButton, &QPushButton::clicked, this, Guarded([this] { ClearSecondPage(); }));
    connect(m_secondValueEdit, &QLineEdit::textEdited, this, [this] {
        m_secondValueFound = false; // typed: the rule must read it there
        ClearRule();
    });
    connect(m_secondValueEdit, &QLineEdit::returnPressed, this, Guarded([this] { Propose(); }));
    return row;
}

QWidget* TProposalPanel::CreateRuleRows()
{
    auto* rows = new QWidget(this);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* fields = new QHBoxLayout;
    m_beforeLabel = new QLabel(QStringLiteral("Vor der IP-Adresse:"), rows);
    m_beforeField = RuleField("BeforeIPAddressProposal", rows);
    m_copyBeforeButton = Button("CopyBeforeIPAddressBtn", QStringLiteral("Kopieren"), rows);
    m_afterLabel = new QLabel(QStringLiteral("Nach der IP-Adresse:"), rows);
    m_afterField = RuleField("AfterIPAddressProposal", rows);
    m_copyAfterButton = Button("CopyAfterIPAddressBtn", QStringLiteral("Kopieren"), rows);
    m_codeLabel = new QLabel(QStringLiteral("HTML-Code:"), rows);
    m_codeField = RuleField("CodeProposal", rows);
    m_copyCodeButton = Button("CopyCodeBtn", QStringLiteral("Kopieren"), rows);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_beforeLabel, m_beforeField, m_copyBeforeButton,
                                                           m_afterLabel, m_afterField, m_copyAfterButton,
                                                           m_codeLabel, m_codeField, m_copyCodeButton})
        fields->addWidget(widget, widget == m_beforeField || widget == m_afterField || widget == m_codeField);
    layout->addLayout(fields);

    m_result = WrappedLabel("ProposalResult", rows);
    layout->addWidget(m_result);

    auto* takeOver = new QHBoxLayout;
    m_takeOverButton = Button("TakeOverBtn", QStringLiteral("Übernehmen"), rows);
    m_takeOverButton->setToolTip(QStringLiteral("Setzt die Regel in die Felder des Routers, der gerade "
                                                "geändert oder neu angelegt wird"));
    m_takeOverNote = WrappedLabel("TakeOverNote", rows);
    takeOver->addWidget(m_takeOverButton);
    takeOver->addWidget(m_takeOverNote, 1);
    layout->addLayout(takeOver);

    connect(m_copyBeforeButton, &QPushButton::clicked, this, [this] { CopyToClipboard(m_beforeField); });
    connect(m_copyAfterButton, &QPushButton::clicked, this, [this] { CopyToClipboard(m_afterField); });
    connect(m_copyCodeButton, &QPushButton::clicked, this, [this] { CopyToClipboard(m_codeField); });
    connect(m_takeOverButton, &QPushButton::clicked, this, Guarded([this] { TakeOverRule(); }));
    return rows;
}

QWidget* TProposalPanel::CreateOfflineRows()
{
    auto* rows = new QWidget(this);
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* fields = new QHBoxLayout;
    m_offlinePageButton = Button("OfflinePageBtn", QStringLiteral("Offline-Seite wählen..."), rows);
    m_offlinePageButton->setToolTip(QStringLiteral("Schlägt den Offline-Code vor: Text einer Seite, die "
                                                   "gespeichert wurde, als der Router offline war, und der "
                                                   "in dieser Seite fehlt"));
    m_offlineField = RuleField("OfflineCodeProposal", rows);
    m_copyOfflineButton = Button("CopyOfflineCodeBtn", QStringLiteral("Kopieren"), rows);
    m_takeOverOfflineButton = Button("TakeOverOfflineCodeBtn", QStringLiteral("Übernehmen"), rows);
    fields->addWidget(m_offlinePageButton);
    fields->addWidget(new QLabel(QStringLiteral("Offline-Code:"), rows));
    fields->addWidget(m_offlineField, 1);
    fields->addWidget(m_copyOfflineButton);
    fields->addWidget(m_takeOverOfflineButton);
    layout->addLayout(fields);
    m_offlineResult = WrappedLabel("OfflineResult", rows);
    layout->addWidget(m_offlineResult);

    connect(m_offlinePageButton, &QPushButton::clicked, this, Guarded([this] { ChooseOfflinePage(); }));
    connect(m_copyOfflineButton, &QPushButton::clicked, this, [this] { CopyToClipboard(m_offlineField); });
    connect(m_takeOverOfflineButton, &QPushButton::clicked, this, Guarded([this] { TakeOverOfflineCode(); }));
    return rows;
}

// ------------------------------------------------------------- the page

void TProposalPanel::SetTest(std::shared_ptr<const TPageTest> test)
{
    m_test = std::move(test);
    ++m_ruleRequest; // answers for the old page are void
    ++m_offlineRequest;
    m_ruleBusy = m_offlineBusy = false;
    if (m_selection)
        m_valueEdit->clear(); // marked in the old page; a typed value stays
    m_selection.reset();
    if (m_test) {
        const QSignalBlocker quiet(m_targetBox);
        m_targetBox->setCurrentIndex(m_test->StatusQuery() - 1);
    }
    m_note->setText(m_test ? kHint : QString());
    ClearRule();
    ClearOfflineCode();
    RefreshNames();
}

void TProposalPanel::TakeSelection(TPageSpan selection)
{
    if (!m_test || selection.length == 0)
        return;
    if (selection.length > kLongestValue) {
        m_note->setText(QStringLiteral("Die Markierung ist länger als %1 Bytes; markieren Sie nur den Wert.")
                            .arg(kLongestValue));
        ClearRule();
        return;
    }
    m_selection = TValueSpan{selection.offset, selection.End()};
    m_valueEdit->setText(ToQString(m_test->Page().substr(selection.offset, selection.length)));
    m_secondValueEdit->clear(); // another value: the rule finds it in the second page anew
    Propose();
}

void TProposalPanel::EditingChanged()
{
    RefreshNames();
    RefreshButtons();
}

// ------------------------------------------------------------ the target

int TProposalPanel::TargetStatusQuery() const
{
    return m_targetBox->currentIndex() + 1;
}

TRuleTarget TProposalPanel::Target() const
{
    return TargetStatusQuery() == 1 ? TRuleTarget::IPAddress : TRuleTarget::Property;
}

void TProposalPanel::TargetChanged()
{
    RefreshNames();
    if (m_selection || !m_valueEdit->text().isEmpty())
        Propose();
    else
        ClearRule();
}

// The names of the chosen list, keeping what the user typed.
void TProposalPanel::RefreshNames()
{
    const QString typed = m_nameBox->currentText();
    const QSignalBlocker quiet(m_nameBox);
    m_nameBox->clear();
    const bool property = Target() == TRuleTarget::Property;
    if (property && m_receiver)
        for (const std::string& name : m_receiver->PropertyNames(TargetStatusQuery()))
            m_nameBox->addItem(ToQString(name));
    m_nameBox->setEditText(typed);
    m_nameBox->setEnabled(property);
}

void TProposalPanel::RefreshButtons()
{
    const bool address = Target() == TRuleTarget::IPAddress;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_beforeLabel, m_beforeField, m_copyBeforeButton,
                                                           m_afterLabel, m_afterField, m_copyAfterButton})
        widget->setVisible(address);
    for (QWidget* widget : std::initializer_list<QWidget*>{m_codeLabel, m_codeField, m_copyCodeButton})
        widget->setVisible(!address);

    const bool editing = m_receiver && m_receiver->Editing() != TRuleReceiver::TEditing::None;
    const bool ruleFound = m_rule && m_rule->proposal.found;
    m_proposeButton->setEnabled(m_test != nullptr);
    m_valueEdit->setEnabled(m_test != nullptr);
    for (QPushButton* button : {m_copyBeforeButton, m_copyAfterButton, m_copyCodeButton})
        button->setEnabled(ruleFound);
    m_takeOverButton->setEnabled(ruleFound && editing);
    m_offlinePageButton->setEnabled(m_test != nullptr);
    m_secondPageButton->setEnabled(m_test != nullptr);
    m_secondValueEdit->setEnabled(m_secondPage != nullptr);
    m_clearSecondPageButton->setEnabled(m_secondPage != nullptr);
    m_copyOfflineButton->setEnabled(m_offlineCode.has_value());
    m_takeOverOfflineButton->setEnabled(m_offlineCode && editing);
    if (Busy())
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();

    m_takeOverNote->setText(TakeOverNote());
    SetTextColor(m_takeOverNote, EditsAnotherRouter() ? kFailureColor : palette().color(QPalette::WindowText));
}

// Whether the router being changed is another than the one whose rules the
// page was tested with.
bool TProposalPanel::EditsAnotherRouter() const
{
    return m_test && m_receiver && m_receiver->Editing() == TRuleReceiver::TEditing::Existing
           && m_receiver->EditedRouterName() != m_test->Entry().RouterVendor;
}

QString TProposalPanel::TakeOverNote() const
{
    if (!m_receiver || m_receiver->Editing() == TRuleReceiver::TEditing::None)
        return QStringLiteral("Übernehmen lässt sich eine Regel, während ein Router geändert oder neu "
                              "angelegt wird (im Editor „Ändern“ oder „Neu“); sonst kopieren Sie sie.");
    if (m_receiver->Editing() == TRuleReceiver::TEditing::New)
        return QStringLiteral("Übernommen wird in den neuen Router; gespeichert wird er im Editor mit "
                              "„Speichern“.");
    const QString edited = Quoted(m_receiver->EditedRouterName());
    if (EditsAnotherRouter())
        return QStringLiteral("Achtung: Die Seite wurde mit den Regeln von %1 getestet, geändert wird "
                              "aber %2.")
            .arg(Quoted(m_test->Entry().RouterVendor), edited);
    return QStringLiteral("Übernommen wird in %1; gespeichert wird im Editor mit „Speichern“.").arg(edited);
}

// ------------------------------------------------------------- the rule

TProposalPanel::TRuleAnswer TProposalPanel::WorkOutRule(std::string_view page, std::optional<TValueSpan> selection,
                                                        const std::string& typed, TRuleTarget target,
                                                        const std::string* secondPage, const std::string& secondValue)
{
    TRuleAnswer answer;
    try {
        std::vector<TPageValue> pages = {{page, typed, selection}};
        if (secondPage && !secondValue.empty())
            pages.push_back({*secondPage, secondValue, std::nullopt});
        answer.proposal = ProposeRuleForPages(pages, target);
        if (answer.proposal.found) {
            const TValueSpan span = answer.proposal.span;
            answer.places = FindValueInPage(page, page.substr(span.begin, span.end - span.begin), kPlacesCounted);
            if (secondPage)
                answer.secondReading = ReadWithRule(answer.proposal, target, *secondPage);
        }
    } catch (...) {
        answer.error = std::current_exception();
    }
    return answer;
}

namespace {

// Where the value stands, and how to pick another of its places.
QString PlaceNote(const std::vector<TValueSpan>& places, TValueSpan chosen, bool marked)
{
    const auto found = std::find_if(places.begin(), places.end(),
                                    [chosen](const TValueSpan& place) { return place.begin == chosen.begin; });
    if (places.size() < 2 || found == places.end())
        return QStringLiteral("Der Wert steht bei Byte %1 der Seite.").arg(chosen.begin);
    const QString count = places.size() >= kPlacesCounted ? QStringLiteral("mindestens %1-mal").arg(places.size())
                                                          : QStringLiteral("%1-mal").arg(places.size());
    QString note = QStringLiteral("Der Wert kommt %1 in der Seite vor; der Vorschlag gilt für die %2 Stelle bei "
                                  "Byte %3 (das %4. Vorkommen).")
                       .arg(count, marked ? QStringLiteral("markierte") : QStringLiteral("erste passende"))
                       .arg(chosen.begin)
                       .arg(found - places.begin() + 1);
    if (!marked)
        note += QStringLiteral(" Eine andere Stelle markieren Sie in der Seite.");
    return note;
}

} // namespace

void TProposalPanel::Propose()
{
    ClearRule();
    if (!m_test)
        return;
    const std::string typed = ToCp1252(m_valueEdit->text());
    if (m_selection && typed != m_test->Page().substr(m_selection->begin, m_selection->end - m_selection->begin))
        m_selection.reset(); // the field no longer shows what is marked
    if (!m_selection && ValueAsRulesSeeIt(typed).empty()) {
        m_note->setText(kHint);
        return;
    }
    if (m_secondValueFound) { // read with the former rule: the new one reads it anew
        m_secondValueEdit->clear();
        m_secondValueFound = false;
    }
    const std::string secondValue = ToCp1252(m_secondValueEdit->text());
    const int request = ++m_ruleRequest;
    const TRuleTarget target = Target();
    const int statusQuery = TargetStatusQuery();
    m_ruleBusy = true;
    m_note->setText(QStringLiteral("Die Regel wird gesucht …"));
    RefreshButtons();
    RunBeside<TRuleAnswer>(
        this,
        [test = m_test, selection = m_selection, typed, target, second = m_secondPage, secondValue] {
            return WorkOutRule(test->Page(), selection, typed, target, second.get(), secondValue);
        },
        [this, request, target, statusQuery](const TRuleAnswer& answer) {
            if (request != m_ruleRequest)
                return;
            m_ruleBusy = false;
            m_rule = TShownRule{target, statusQuery, answer.proposal};
            RefreshButtons();
            if (answer.error)
                std::rethrow_exception(answer.error);
            ShowRule(answer);
        });
}

void TProposalPanel::ShowRule(const TRuleAnswer& answer)
{
    const TRuleProposal& proposal = answer.proposal;
    if (!proposal.found) {
        m_note->clear();
        m_result->setText(QString::fromStdString(proposal.reason));
        SetTextColor(m_result, kFailureColor);
        return;
    }
    const bool address = m_rule->target == TRuleTarget::IPAddress;
    m_beforeField->setText(ToQString(proposal.beforeIPAddress));
    m_afterField->setText(ToQString(proposal.afterIPAddress));
    m_codeField->setText(ToQString(proposal.code));
    for (QLineEdit* field : {m_beforeField, m_afterField, m_codeField})
        field->setCursorPosition(0);
    m_result->setText((address ? QStringLiteral("Mit dieser Regel liest die Seitenprüfung die IP-Adresse %1.")
                               : QStringLiteral("Mit diesem HTML-Code liest die Seitenprüfung den Wert %1."))
                          .arg(Quoted(proposal.result)));
    SetTextColor(m_result, palette().color(QPalette::WindowText));
    ShowSecondValue(answer);
    m_note->setText(PlaceNote(answer.places, proposal.span, m_selection.has_value()));
    const TPageSpan place{proposal.span.begin, proposal.span.end - proposal.span.begin};
    if (!m_selection)
        m_pageView.SetSelection(place);
    m_pageView.ShowSpan(place);
}

// What the rule reads on the second page. Where the user gave no value
// there, it becomes the value there, for the user to check.
void TProposalPanel::ShowSecondValue(const TRuleAnswer& answer)
{
    if (!m_secondPage || !answer.secondReading)
        return;
    const QString reading = answer.secondReading->empty() ? QStringLiteral("nichts") : Quoted(*answer.secondReading);
    if (answer.proposal.results.size() > 1) {
        m_result->setText(m_result->text() + QStringLiteral(" Auf der zweiten Seite liest sie %1.").arg(reading));
        return;
    }
    if (m_secondValueEdit->text().isEmpty() && !answer.secondReading->empty()) {
        m_secondValueEdit->setText(ToQString(*answer.secondReading));
        m_secondValueFound = true;
    }
    m_result->setText(m_result->text()
                      + QStringLiteral(" Auf der zweiten Seite liest sie %1; steht dort ein anderer Wert, geben Sie "
                                       "ihn unter „Wert dort“ ein.")
                            .arg(reading));
}

void TProposalPanel::ChooseSecondPage()
{
    if (!m_test)
        return;
    TFileDialog dialog(TFileDialog::TKind::Open, this);
    dialog.SetFileName(m_secondFileName);
    if (!dialog.Execute())
        return;
    ClearSecondPage(); // also when the page cannot be read
    m_secondFileName = dialog.FileName();
    m_secondPage = std::make_shared<const std::string>(PreparePage(ReadStatusPageFile(m_secondFileName)));
    m_secondPageName->setText(Quoted(QFileInfo(m_secondFileName).fileName()));
    RefreshButtons();
    if (m_selection || !ValueAsRulesSeeIt(ToCp1252(m_valueEdit->text())).empty())
        Propose();
}

void TProposalPanel::ClearSecondPage()
{
    m_secondPage.reset();
    m_secondPageName->clear();
    m_secondValueEdit->clear();
    m_secondValueFound = false;
    ClearRule();
}

void TProposalPanel::ClearRule()
{
    ++m_ruleRequest;
    m_ruleBusy = false;
    m_rule.reset();
    for (QLineEdit* field : {m_beforeField, m_afterField, m_codeField})
        field->clear();
    m_result->clear();
    RefreshButtons();
}

void TProposalPanel::TakeOverRule()
{
    if (!m_rule || !m_rule->proposal.found || !m_receiver
        || m_receiver->Editing() == TRuleReceiver::TEditing::None)
        return;
    const TRuleProposal& proposal = m_rule->proposal;
    if (m_rule->target == TRuleTarget::IPAddress) {
        if (!MayTakeOverFromThisPage())
            return;
        m_receiver->TakeOverAddressRule(proposal.beforeIPAddress, proposal.afterIPAddress);
        m_note->setText(QStringLiteral("Übernommen in „HTML-Code vor der IP-Adresse“ und „HTML-Code nach der "
                                       "IP-Adresse“ der Statusabfrage 1."));
        return;
    }
    const std::string name = TrimmedName(ToCp1252(m_nameBox->currentText()));
    if (!AcceptsPropertyName(name) || !MayTakeOverFromThisPage())
        return;
    m_receiver->TakeOverPropertyRule(m_rule->statusQuery, name, proposal.code);
    RefreshNames();
    m_nameBox->setEditText(ToQString(name));
    m_note->setText(QStringLiteral("Übernommen in die Eigenschaft %1 der Statusabfrage %2.")
                        .arg(Quoted(name))
                        .arg(m_rule->statusQuery));
}

bool TProposalPanel::AcceptsPropertyName(const std::string& name) const
{
    QString problem;
    if (name.empty())
        problem = QStringLiteral("Geben Sie unter „Name“ an, für welche Eigenschaft die Regel ist.");
    else if (name.find('=') != std::string::npos)
        problem = QStringLiteral("Der Name einer Eigenschaft darf kein „=“ enthalten.");
    if (problem.isEmpty())
        return true;
    ShowMsgBox(ToCp1252Text(problem), {}, mkError, btnOK);
    return false;
}

// A rule found in a page tested with another router's rules goes into the
// router being changed only when the user says so.
bool TProposalPanel::MayTakeOverFromThisPage() const
{
    if (!EditsAnotherRouter())
        return true;
    const QString question = QStringLiteral("Die Seite wurde mit den Regeln von %1 getestet, geändert wird aber "
                                            "%2.\n\nDie Regel trotzdem in %2 übernehmen?")
                                 .arg(Quoted(m_test->Entry().RouterVendor), Quoted(m_receiver->EditedRouterName()));
    return ShowMsgBox(ToCp1252Text(question), {}, mkConfirmation, btnYesNo) == MsgBox::IDYES;
}

// ------------------------------------------------------ the offline code

void TProposalPanel::ChooseOfflinePage()
{
    if (!m_test)
        return;
    TFileDialog dialog(TFileDialog::TKind::Open, this);
    // The offline page is most likely saved beside the page tested.
    if (!m_testedFileName.isEmpty())
        dialog.SetDirectory(QFileInfo(m_testedFileName).absolutePath());
    dialog.SetFileName(m_offlineFileName);
    if (!dialog.Execute())
        return;
    m_offlineFileName = dialog.FileName();
    ClearOfflineCode(); // also when the page cannot be read
    FindOfflineCode(ReadStatusPageFile(m_offlineFileName), m_offlineFileName);
}

TProposalPanel::TOfflineAnswer TProposalPanel::WorkOutOfflineCode(std::string_view onlinePage,
                                                                  const std::string* secondPage,
                                                                  std::string loadedPage, TRouterEntry rules)
{
    TOfflineAnswer answer;
    try {
        const std::string offlinePage = PreparePage(std::move(loadedPage));
        std::vector<std::string_view> onlinePages = {onlinePage};
        if (secondPage)
            onlinePages.emplace_back(*secondPage);
        answer.proposal = ProposeOfflineCode(onlinePages, offlinePage, rules.BeforeIPAddress);
        if (answer.proposal.found) {
            rules.OfflineCode = answer.proposal.offlineCode;
            answer.offlinePage = ReadStatus1(rules, offlinePage);
            answer.onlinePage = ReadStatus1(rules, onlinePage);
            if (secondPage)
                answer.secondPage = ReadStatus1(rules, *secondPage);
        }
    } catch (...) {
        answer.error = std::current_exception();
    }
    return answer;
}

// The states both pages read as are shown with the IP rules proposed, or
// else with those in the editor.
void TProposalPanel::FindOfflineCode(std::string loadedPage, const QString& fileName)
{
    ClearOfflineCode();
    const bool rulesProposed = m_rule && m_rule->proposal.found && m_rule->target == TRuleTarget::IPAddress;
    TRouterEntry rules = NewRouterEntry();
    rules.BeforeIPAddress = rulesProposed ? m_rule->proposal.beforeIPAddress
                            : m_receiver  ? m_receiver->BeforeIPAddress()
                                          : m_test->Entry().BeforeIPAddress;
    rules.AfterIPAddress = rulesProposed ? m_rule->proposal.afterIPAddress
                           : m_receiver  ? m_receiver->AfterIPAddress()
                                         : m_test->Entry().AfterIPAddress;
    const int request = ++m_offlineRequest;
    m_offlineBusy = true;
    m_offlineResult->setText(QStringLiteral("Der Offline-Code wird gesucht …"));
    RefreshButtons();
    // Shared, as the pool's tasks are copied.
    auto page = std::make_shared<std::string>(std::move(loadedPage));
    RunBeside<TOfflineAnswer>(
        this,
        [test = m_test, second = m_secondPage, page, rules] {
            return WorkOutOfflineCode(test->Page(), second.get(), std::move(*page), rules);
        },
        [this, request, fileName, rulesProposed](const TOfflineAnswer& answer) {
            if (request != m_offlineRequest)
                return;
            m_offlineBusy = false;
            m_offlineResult->clear();
            RefreshButtons();
            if (answer.error)
                std::rethrow_exception(answer.error);
            ShowOfflineCode(answer, fileName, rulesProposed);
        });
}

void TProposalPanel::ShowOfflineCode(const TOfflineAnswer& answer, const QString& fileName, bool rulesProposed)
{
    const QString page = Quoted(QFileInfo(fileName).fileName());
    if (!answer.proposal.found) {
        m_offlineResult->setText(QStringLiteral("Offline-Seite %1: ").arg(page)
                                 + QString::fromStdString(answer.proposal.reason));
        SetTextColor(m_offlineResult, kFailureColor);
        return;
    }
    m_offlineCode = answer.proposal.offlineCode;
    m_offlineField->setText(ToQString(*m_offlineCode));
    m_offlineField->setCursorPosition(0);
    m_offlineResult->setText(QStringLiteral("Status1 mit diesem Offline-Code – Offline-Seite %1: %2; diese Seite: "
                                            "%3 (IP-Regeln %4).")
                                 .arg(page, ReadingText(answer.offlinePage), ReadingText(answer.onlinePage),
                                      rulesProposed ? QStringLiteral("des Vorschlags oben")
                                                    : QStringLiteral("aus dem Editor")));
    if (answer.secondPage)
        m_offlineResult->setText(m_offlineResult->text()
                                 + QStringLiteral(" Zweite Seite: %1.").arg(ReadingText(*answer.secondPage)));
    SetTextColor(m_offlineResult, palette().color(QPalette::WindowText));
    RefreshButtons();
}

void TProposalPanel::ClearOfflineCode()
{
    ++m_offlineRequest;
    m_offlineBusy = false;
    m_offlineCode.reset();
    m_offlineField->clear();
    m_offlineResult->clear();
    RefreshButtons();
}

void TProposalPanel::TakeOverOfflineCode()
{
    if (!m_offlineCode || !m_receiver || m_receiver->Editing() == TRuleReceiver::TEditing::None
        || !MayTakeOverFromThisPage())
        return;
    m_receiver->TakeOverOfflineCode(*m_offlineCode);
    m_offlineResult->setText(m_offlineResult->text()
                             + QStringLiteral(" Übernommen in den Offline-Code der Statusabfrage 1."));
}
