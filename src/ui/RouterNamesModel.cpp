#include "RouterNamesModel.h"

#include "QtText.h"

TRouterNamesModel::TRouterNamesModel(TRouterList& list, QObject* parent)
    : QAbstractListModel(parent), m_list(list)
{
}

int TRouterNamesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.Count();
}

QVariant TRouterNamesModel::data(const QModelIndex& index, int role) const
{
    const bool text = role == Qt::DisplayRole || role == Qt::EditRole;
    if (!text || !index.isValid() || index.row() >= m_list.Count())
        return {};
    return ToQString(m_list.Name(index.row()));
}

void TRouterNamesModel::Replace(const std::function<void()>& change)
{
    beginResetModel();
    try {
        change();
    } catch (...) {
        endResetModel();
        throw;
    }
    endResetModel();
}

int TRouterNamesModel::Add(std::string name, std::unique_ptr<TRouterEntry> entry)
{
    const std::string_view place = name;
    return AddWith(place, [&] { return m_list.Add(std::move(name), std::move(entry)); });
}

int TRouterNamesModel::AddWith(std::string_view name, const std::function<int()>& add)
{
    const int row = m_list.PlaceFor(name);
    beginInsertRows({}, row, row);
    const int added = add();
    endInsertRows();
    return added;
}

void TRouterNamesModel::Delete(int row)
{
    beginRemoveRows({}, row, row);
    m_list.Delete(row);
    endRemoveRows();
}

void TRouterNamesModel::Rename(int row, std::string name)
{
    m_list.Rename(row, std::move(name));
    emit dataChanged(index(row), index(row));
}
