#pragma once

#include <QAbstractListModel>

class ExclusionList;

// Shows one of the project's exclusion lists in a list box, entry by entry, in list order.
class ExclusionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    ExclusionListModel(const ExclusionList &list, QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    const ExclusionList &m_list;
};
