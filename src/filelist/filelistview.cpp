#include "filelist/filelistview.h"

#include "compare/fileentry.h"
#include "compare/filelist.h"
#include "filelist/filelistdelegate.h"
#include "filelist/filelistmodel.h"
#include "filelist/filelistsortmodel.h"

#include <QHeaderView>

#include <array>

namespace {
constexpr std::array<int, kFileFieldCount> kColumnWidths{32, 200, 40, 50, 120, 32, 120, 90};
}

FileListView::FileListView(FileList &list, QWidget *parent)
    : QTableView(parent), m_model(new FileListModel(list, this)),
      m_sort(new FileListSortModel(list, this))
{
    setObjectName(QStringLiteral("rvFiles"));
    m_sort->setSourceModel(m_model);
    setModel(m_sort);
    setItemDelegate(new FileListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setShowGrid(false);
    setIconSize(QSize(16, 16));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < kFileFieldCount; ++column)
        setColumnWidth(column, kColumnWidths[std::size_t(column)]);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::sortByColumn);
    connect(this, &QTableView::clicked, this, &FileListView::rowsClicked);
    connect(this, &QTableView::doubleClicked, this, &FileListView::rowDoubleClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FileListView::rowsClicked);
}

void FileListView::sortByColumn(int column)
{
    m_sortOrder = (column == m_sortColumn && m_sortOrder == Qt::AscendingOrder)
                      ? Qt::DescendingOrder
                      : Qt::AscendingOrder;
    m_sortColumn = column;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, m_sortOrder);
    m_sort->sort(column, m_sortOrder);
}

QModelIndex FileListView::viewIndex(int row, int column) const
{
    return m_sort->mapFromSource(m_model->index(row, column));
}

int FileListView::fileRowAt(int displayRow) const
{
    return m_sort->mapToSource(m_sort->index(displayRow, 0)).row();
}

QList<int> FileListView::selectedRows() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex &index : selected)
        rows.append(m_sort->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int FileListView::selectedCount() const
{
    return int(selectionModel()->selectedRows().size());
}

void FileListView::selectAllRows()
{
    selectAll();
}

void FileListView::clearRowSelection()
{
    clearSelection();
}

void FileListView::setCurrentRow(int row)
{
    const QModelIndex index = viewIndex(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

int FileListView::currentFileRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? m_sort->mapToSource(current).row() : -1;
}

void FileListView::clearCurrentRow()
{
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}
