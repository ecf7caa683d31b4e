#pragma once

#include "PageEvaluation.h"
#include "PageView.h"

#include <QAbstractItemModel>

#include <memory>
#include <optional>

// How the page view shows a step; nothing for a step that matched nothing.
std::optional<TPageView::THighlightKind> HighlightKindOf(const TRuleTrace& rule, const TTraceStep& step);
// Every place the steps of a trace matched.
std::vector<TPageView::THighlight> HighlightsOf(const TPageTrace& trace);

// The rules of one page test as a tree: each rule with what it gave, and
// under it the steps it made, with their offsets and a piece of the page.
// Texts are made when they are shown, so a trace of any length costs
// nothing until it is looked at.
class TTraceModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum TColumn { StepColumn, OffsetColumn, ExcerptColumn, ColumnCount };

    using QAbstractItemModel::QAbstractItemModel;

    // Null shows nothing.
    void SetTest(std::shared_ptr<const TPageTest> test);
    const TPageTest* Test() const { return m_test.get(); }

    QModelIndex RuleIndex(int rule) const;
    // The place in the page that belongs to a rule or a step: a rule's value,
    // else its marker, else the step that failed.
    std::optional<TPageSpan> SpanOf(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const std::vector<TRuleTrace>& Rules() const;
    const TRuleTrace* RuleOf(const QModelIndex& index) const;
    const TTraceStep* StepOf(const QModelIndex& index) const;
    QVariant RuleData(const TRuleTrace& rule, int column, int role) const;
    QVariant StepData(const TRuleTrace& rule, int stepIndex, int column, int role) const;

    std::shared_ptr<const TPageTest> m_test;
};
