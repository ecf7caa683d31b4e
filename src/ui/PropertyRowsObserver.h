#pragma once

// What a view of TPropertyRows hears about. Changes of the row count come in
// pairs around the change, so that a view can keep its own state in step.
class TPropertyRowsObserver {
public:
    virtual ~TPropertyRowsObserver() = default;

    virtual void RowsAboutToBeReset() {}
    virtual void RowsReset() {}
    virtual void RowAboutToBeInserted(int /*row*/) {}
    virtual void RowInserted() {}
    virtual void RowAboutToBeRemoved(int /*row*/) {}
    virtual void RowRemoved() {}
    virtual void RowsChanged(int /*first*/, int /*last*/) {}
    // The current row moved (or a move put another line into it).
    virtual void CurrentRowChanged() {}
};
