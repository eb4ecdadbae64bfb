#include "filelist/filelistsortmodel.h"

#include "compare/filelist.h"
#include "filelist/sortranks.h"

FileListSortModel::FileListSortModel(const FileList &list, QObject *parent)
    : QSortFilterProxyModel(parent), m_list(list)
{
    setDynamicSortFilter(false);
    connect(&list, &FileList::reset, this, &FileListSortModel::bulkChangeEnded);
}

// After a reset the proxy maps the new rows in list order, as it has no ranks to sort them by.
// The sort waits until the list is left alone: a listing ends a bulk update at each folder it
// lists, so that the view repaints, and starts the next at once; a sort at each would cost more
// than the listing.
void FileListSortModel::bulkChangeEnded()
{
    if (sortColumn() < 0 || m_sortQueued)
        return;
    m_sortQueued = true;
    QMetaObject::invokeMethod(this, &FileListSortModel::sortAgain, Qt::QueuedConnection);
}

void FileListSortModel::sortAgain()
{
    m_sortQueued = false;
    // A bulk update still open asks again when it ends.
    if (sortColumn() >= 0 && !m_list.updating())
        sort(sortColumn(), sortOrder());
}

void FileListSortModel::sort(int column, Qt::SortOrder order)
{
    if (column >= 0 && column < kFileFieldCount)
        m_ranks = sortRanks(m_list, column);
    QSortFilterProxyModel::sort(column, order);
    std::vector<quint32>().swap(m_ranks);
}

bool FileListSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const auto rows = std::size_t(m_list.count());
    const auto a = std::size_t(left.row());
    const auto b = std::size_t(right.row());
    if (m_ranks.size() != rows || a >= rows || b >= rows)
        return a < b;
    return m_ranks[a] < m_ranks[b];
}
