#include "app/exclusionlistmodel.h"

#include "project/exclusionlist.h"

ExclusionListModel::ExclusionListModel(const ExclusionList &list, QObject *parent)
    : QAbstractListModel(parent), m_list(list)
{
    connect(&list, &ExclusionList::aboutToChange, this, &ExclusionListModel::beginResetModel);
    connect(&list, &ExclusionList::changed, this, &ExclusionListModel::endResetModel);
}

int ExclusionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_list.count());
}

QVariant ExclusionListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_list.entries().at(index.row());
    return QVariant();
}
