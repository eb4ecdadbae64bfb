#include "filelist/filelistsortmodel.h"

#include "compare/filelist.h"
#include "filelist/sortranks.h"

FileListSortModel::FileListSortModel(const FileList &list, QObject *parent)
    : QSortFilterProxyModel(parent), m_list(list)
{
    setDynamicSortFilter(false);
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
