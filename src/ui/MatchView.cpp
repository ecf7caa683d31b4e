#include "MatchView.h"

#include "PageView.h"
#include "ProposalPanel.h"
#include "TraceDescription.h"
#include "TraceModel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The colours of the page view with their meanings, as one label that
// wraps between its entries when the window is narrow.
QLabel* Legend(QWidget* parent)
{
    using K = TPageView::THighlightKind;
    const std::pair<QColor, QString> entries[] = {
        {TPageView::KindColor(K::OfflineCode), QStringLiteral("Offline-Code")},
        {TPageView::KindColor(K::StartText), QStringLiteral("Starttext")},
        {TPageView::KindColor(K::Occurrence), QStringLiteral("gezähltes Vorkommen")},
        {TPageView::KindColor(K::Marker), QStringLiteral("Marker")},
        {TPageView::KindColor(K::Value), QStringLiteral("Wert")},
        {TPageView::KindColor(K::End), QStringLiteral("Ende des Werts")},
        {TPageView::KindColor(K::Checked), QStringLiteral("„checked“")},
        {QColor(0xE8, 0xE8, 0xE8), QStringLiteral("hinter dem ersten NUL-Byte: grau")},
    };
    QStringList chips;
    for (const auto& [color, text] : entries) {
        QString kept = text.toHtmlEscaped();
        kept.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        chips << QStringLiteral("<span style=\"background-color:%1; color:black\">&nbsp;%2&nbsp;</span>")
                     .arg(color.name(), kept);
    }
    auto* legend = new QLabel(chips.join(QStringLiteral(" &nbsp; ")), parent);
    legend->setObjectName(QStringLiteral("MatchLegend"));
    legend->setTextFormat(Qt::RichText);
    legend->setWordWrap(true);
    return legend;
}

} // namespace

TMatchView::TMatchView(TRuleReceiver* receiver, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("MatchView"));
    setWindowTitle(QStringLiteral("Fundstellen"));
    resize(1000, 740);
    // Narrower, the row of the proposal's fields leaves no room to type.
    setMinimumWidth(760);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("MatchInfoLabel"));
    m_info->setTextFormat(Qt::PlainText); // router and file names are no markup
    m_info->setWordWrap(true);
    m_outdated = new QLabel(QStringLiteral("Veraltet: Die Regeln dieses Tests wurden seitdem geändert und gespeichert. "
                                           "„Testen“ (F5) prüft die Seite mit den gespeicherten Regeln."),
                            this);
    m_outdated->setObjectName(QStringLiteral("MatchOutdatedLabel"));
    m_outdated->setWordWrap(true);
    m_outdated->setStyleSheet(QStringLiteral("QLabel { background: #fff1b8; color: black; padding: 3px; }"));
    m_outdated->hide();

    m_model = new TTraceModel(this);
    m_steps = new QTreeView(this);
    m_steps->setObjectName(QStringLiteral("MatchSteps"));
    m_steps->setModel(m_model);
    m_steps->setUniformRowHeights(true);
    m_steps->setAllColumnsShowFocus(true);
    // The offsets take what they need; a step cut short shows whole in its
    // tooltip.
    QHeaderView* header = m_steps->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(TTraceModel::StepColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TTraceModel::OffsetColumn, QHeaderView::ResizeToContents);
    header->resizeSection(TTraceModel::ExcerptColumn, 110);
    m_steps->setMinimumHeight(120);

    m_page = new TPageView(this);
    m_page->setObjectName(QStringLiteral("MatchPageView"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_steps);
    splitter->addWidget(m_page);
    // The page needs the room; the steps are short lines.
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({470, 530});

    m_proposals = new TProposalPanel(*m_page, receiver, this);
    auto* panes = new QSplitter(Qt::Vertical, this);
    panes->addWidget(splitter);
    panes->addWidget(m_proposals);
    panes->setStretchFactor(0, 1);
    panes->setCollapsible(0, false);
    panes->setCollapsible(1, false);
    // The notes of the proposals wrap; their pane keeps room for every line.
    m_proposals->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_info);
    layout->addWidget(m_outdated);
    layout->addWidget(Legend(this));
    layout->addWidget(panes, 1);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    connect(m_steps->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ShowCurrentStep(); });
    connect(m_page, &TPageView::selectionMade, m_proposals, &TProposalPanel::TakeSelection);
}

TMatchView::~TMatchView() = default;

bool TMatchView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_proposals && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Resize))
        KeepProposalsWhole();
    return QWidget::eventFilter(watched, event);
}

void TMatchView::KeepProposalsWhole()
{
    const QLayout* layout = m_proposals->layout();
    if (layout && layout->hasHeightForWidth())
        m_proposals->setMinimumHeight(layout->totalHeightForWidth(m_proposals->width()));
}

void TMatchView::SetTest(std::shared_ptr<const TPageTest> test, const QString& source, const QString& pageFile)
{
    // The page view and the proposals let go of the old page before the
    // model does.
    m_proposals->SetTest(test);
    m_proposals->SetTestedFile(pageFile);
    m_outdated->hide();
    if (test) {
        setWindowTitle(QStringLiteral("Fundstellen – ") + source);
        m_info->setText(source + QStringLiteral("\n") + QString::fromStdString(PageNote(test->Trace())));
        m_page->SetPage(test->Page(), test->Trace().searchEnd, HighlightsOf(test->Trace()));
    } else {
        m_info->clear();
        m_page->SetPage({}, 0, {});
    }
    // A status 1 test has two rules; show their steps at once.
    const bool fewRules = test && test->Trace().rules.size() <= 2;
    m_model->SetTest(std::move(test));
    if (fewRules)
        m_steps->expandAll();
}

const TPageTest* TMatchView::Test() const
{
    return m_model->Test();
}

void TMatchView::ShowRule(int rule)
{
    const QModelIndex index = m_model->RuleIndex(rule);
    if (!index.isValid())
        return;
    m_steps->expand(index);
    m_steps->setCurrentIndex(index);
    m_steps->scrollTo(index, QAbstractItemView::PositionAtTop);
    ShowCurrentStep();
}

void TMatchView::ShowCurrentStep()
{
    if (const auto span = m_model->SpanOf(m_steps->currentIndex()))
        m_page->ShowSpan(*span);
}

void TMatchView::SetOutdated()
{
    m_outdated->show();
}

void TMatchView::EditingChanged()
{
    m_proposals->EditingChanged();
}

// Coming back to the view, the user may have changed the editor's lists.
void TMatchView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_proposals->EditingChanged();
    QWidget::changeEvent(event);
}

// A closed view lets go of its page.
void TMatchView::closeEvent(QCloseEvent* event)
{
    SetTest(nullptr, {});
    QWidget::closeEvent(event);
}
