#pragma once

#include "RouterList.h"

#include <QAbstractListModel>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The display names of the main router list, for RoutersCB. The list stays
// the only place that holds them, so that a list of 100,000 routers costs
// the combo box nothing until it shows a row. Every change of the list goes
// through here, so that the combo box hears of it; its own item functions
// (addItem, insertItem, removeItem, setItemText) do not work on it.
class TRouterNamesModel : public QAbstractListModel {
    Q_OBJECT

public:
    TRouterNamesModel(TRouterList& list, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Runs a change that replaces the whole list, such as loading it.
    void Replace(const std::function<void()>& change);
    // TRouterList::Add, Delete and Rename, told to the combo box.
    int Add(std::string name, std::unique_ptr<TRouterEntry> entry);
    // Runs `add`, which adds one item of that name to the list where Add
    // would put it, and returns its index.
    int AddWith(std::string_view name, const std::function<int()>& add);
    void Delete(int row);
    void Rename(int row, std::string name);

private:
    TRouterList& m_list;
};
