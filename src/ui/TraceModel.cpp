#include "TraceModel.h"

#include "TraceDescription.h"

#include <QColor>
#include <QFont>

namespace {

// Rows under a rule: its steps, then a note on occurrences not kept.
constexpr quintptr kTopLevel = 0;

const QColor kFailedColor(0xB0, 0x00, 0x00);
const QColor kMissedColor(0xA0, 0x58, 0x00);

// A tooltip that looks like markup is shown as rich text; the page's code
// in a step must show as it stands, on one line like the row.
QVariant LiteralToolTip(const QVariant& text)
{
    if (text.toString().isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toString().toHtmlEscaped()
           + QStringLiteral("</p>");
}

QString SpanText(TPageSpan span)
{
    return QStringLiteral("%1+%2").arg(span.offset).arg(span.length);
}

// The step that shows where a rule ended up.
const TTraceStep* MainStep(const TRuleTrace& rule)
{
    for (TStepKind kind : {TStepKind::Value, TStepKind::Marker})
        for (const TTraceStep& step : rule.steps)
            if (step.kind == kind && step.matched)
                return &step;
    if (rule.failedStep >= 0)
        return &rule.steps[std::size_t(rule.failedStep)];
    return nullptr;
}

} // namespace

std::optional<TPageView::THighlightKind> HighlightKindOf(const TRuleTrace& rule, const TTraceStep& step)
{
    using K = TPageView::THighlightKind;
    if (!step.matched)
        return std::nullopt;
    switch (step.kind) {
    case TStepKind::StartText: return K::StartText;
    case TStepKind::Occurrence: return K::Occurrence;
    case TStepKind::Marker: return rule.kind == TRuleKind::OfflineCode ? K::OfflineCode : K::Marker;
    case TStepKind::AfterText:
    case TStepKind::Terminator:
    case TStepKind::PageEnd:
    case TStepKind::Quote: return K::End;
    case TStepKind::Value: return K::Value;
    case TStepKind::Checked: return K::Checked;
    }
    return std::nullopt;
}

std::vector<TPageView::THighlight> HighlightsOf(const TPageTrace& trace)
{
    std::vector<TPageView::THighlight> highlights;
    for (const TRuleTrace& rule : trace.rules)
        for (const TTraceStep& step : rule.steps)
            if (const auto kind = HighlightKindOf(rule, step))
                highlights.push_back({step.span, *kind});
    return highlights;
}

void TTraceModel::SetTest(std::shared_ptr<const TPageTest> test)
{
    beginResetModel();
    m_test = std::move(test);
    endResetModel();
}

const std::vector<TRuleTrace>& TTraceModel::Rules() const
{
    static const std::vector<TRuleTrace> none;
    return m_test ? m_test->Trace().rules : none;
}

QModelIndex TTraceModel::RuleIndex(int rule) const
{
    return index(rule, StepColumn);
}

const TRuleTrace* TTraceModel::RuleOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return nullptr;
    const std::size_t rule = index.internalId() == kTopLevel ? std::size_t(index.row()) : index.internalId() - 1;
    return rule < Rules().size() ? &Rules()[rule] : nullptr;
}

const TTraceStep* TTraceModel::StepOf(const QModelIndex& index) const
{
    const TRuleTrace* rule = RuleOf(index);
    if (!rule || index.internalId() == kTopLevel || std::size_t(index.row()) >= rule->steps.size())
        return nullptr;
    return &rule->steps[std::size_t(index.row())];
}

std::optional<TPageSpan> TTraceModel::SpanOf(const QModelIndex& index) const
{
    const TRuleTrace* rule = RuleOf(index);
    if (!rule)
        return std::nullopt;
    const TTraceStep* step = index.internalId() == kTopLevel ? MainStep(*rule) : StepOf(index);
    if (!step)
        return std::nullopt;
    return step->span;
}

QModelIndex TTraceModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kTopLevel);
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex TTraceModel::parent(const QModelIndex& index) const
{
    if (!index.isValid() || index.internalId() == kTopLevel)
        return {};
    return createIndex(int(index.internalId() - 1), StepColumn, kTopLevel);
}

int TTraceModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(Rules().size());
    if (parent.internalId() != kTopLevel || parent.column() != StepColumn)
        return 0;
    const TRuleTrace& rule = Rules()[std::size_t(parent.row())];
    return int(rule.steps.size()) + (OmittedOccurrencesNote(rule).empty() ? 0 : 1);
}

int TTraceModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant TTraceModel::data(const QModelIndex& index, int role) const
{
    const TRuleTrace* rule = RuleOf(index);
    if (!rule)
        return {};
    if (role == Qt::ToolTipRole)
        return LiteralToolTip(data(index, Qt::DisplayRole));
    if (index.internalId() == kTopLevel)
        return RuleData(*rule, index.column(), role);
    return StepData(*rule, index.row(), index.column(), role);
}

QVariant TTraceModel::RuleData(const TRuleTrace& rule, int column, int role) const
{
    const bool failed = rule.failure != TRuleFailure::None && rule.kind != TRuleKind::OfflineCode;
    switch (role) {
    case Qt::DisplayRole:
        if (column == StepColumn)
            return QString::fromStdString(RuleTitle(rule) + ": " + RuleSummary(rule));
        if (column == OffsetColumn)
            if (const TTraceStep* step = MainStep(rule))
                return SpanText(step->span);
        return {};
    case Qt::ForegroundRole: return failed ? QVariant(kFailedColor) : QVariant();
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    default: return {};
    }
}

QVariant TTraceModel::StepData(const TRuleTrace& rule, int stepIndex, int column, int role) const
{
    if (std::size_t(stepIndex) >= rule.steps.size()) // the note on occurrences not kept
        return role == Qt::DisplayRole && column == StepColumn
                   ? QString::fromStdString(OmittedOccurrencesNote(rule))
                   : QVariant();
    const TTraceStep& step = rule.steps[std::size_t(stepIndex)];
    const bool failed = stepIndex == rule.failedStep;
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case StepColumn: return QString::fromStdString(StepDescription(rule, step, m_test->Page()));
        case OffsetColumn: return SpanText(step.span);
        case ExcerptColumn: return QString::fromStdString(SpanExcerpt(m_test->Page(), step.span));
        }
        return {};
    case Qt::DecorationRole:
        if (const auto kind = HighlightKindOf(rule, step); kind && column == StepColumn)
            return TPageView::KindColor(*kind);
        return {};
    case Qt::ForegroundRole:
        if (failed)
            return kFailedColor;
        return step.matched ? QVariant() : QVariant(kMissedColor);
    case Qt::FontRole:
        if (failed) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default: return {};
    }
}

QVariant TTraceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case StepColumn: return QStringLiteral("Regel und Schritte");
    case OffsetColumn: return QStringLiteral("Offset+Länge");
    case ExcerptColumn: return QStringLiteral("Ausschnitt der Seite");
    }
    return {};
}
