#pragma once

#include <QSortFilterProxyModel>

#include <vector>

class FileList;

// The order the user chose with a header click: codes as numbers, date-times chronologically,
// texts without regard to the case of the letters A to Z. Rows keep their FileList indices in
// the source model; the proxy only changes what is shown where. Rows do not move while they
// change one at a time (a copy run); once a bulk change of the list is over (a refresh, a
// classification, a row command) they are sorted again by the column and order chosen last.
class FileListSortModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    FileListSortModel(const FileList &list, QObject *parent = nullptr);

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    void bulkChangeEnded();
    void sortAgain();

    const FileList &m_list;
    bool m_sortQueued = false;
    // During a sort: each row's rank in the order of the column sorted (see sortRanks).
    std::vector<quint32> m_ranks;
};
