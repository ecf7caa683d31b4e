#pragma once

#include "PropertyRows.h"

#include <QTableView>

class TPropertyRowsModel;

// The two-column grid over one property list: title row "Eigenschaft",
// "Wert", one row per property, whole rows selected, nothing edited in place.
// The rows and their rules live in TPropertyRows; the grid shows them and
// turns clicks and keys into moves of the current row.
//
// rowClicked is the grid's click event: raised by a mouse click on a row and
// by every change of the current row, whether by mouse, keyboard or program.
class TPropertyListEditor : public QTableView, private TPropertyRowsObserver {
    Q_OBJECT

public:
    explicit TPropertyListEditor(QWidget* parent = nullptr);
    ~TPropertyListEditor() override;

    TPropertyRows& Rows() { return m_rows; }
    const TPropertyRows& Rows() const { return m_rows; }

    const TPropertyList& Strings() const { return m_rows.Lines(); }
    void SetStrings(const TPropertyList& strings) { m_rows.SetLines(strings); }
    void Clear() { m_rows.SetLines({}); }

signals:
    void rowClicked();
    void rowDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void RowsAboutToBeReset() override;
    void RowsReset() override;
    void RowAboutToBeInserted(int row) override;
    void RowInserted() override;
    void RowAboutToBeRemoved(int row) override;
    void RowRemoved() override;
    void RowsChanged(int first, int last) override;
    void CurrentRowChanged() override;

    // The row that a navigation key leads to from the current row, or 0.
    int RowForKey(int key) const;
    int RowsPerPage() const;
    // Puts the view's current row and selection where the rows say.
    void ShowCurrentRow();

    TPropertyRows m_rows;
    TPropertyRowsModel* m_model = nullptr;
    // Above zero while the view follows the rows, so that the view's own
    // reactions are not taken for the user's moves.
    int m_following = 0;
};
