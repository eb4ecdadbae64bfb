#include "filelist/filelistview.h"

#include "compare/fileentry.h"
#include "compare/filelist.h"
#include "compare/filesize.h"
#include "compare/verdicttext.h"
#include "filelist/datetimetext.h"
#include "filelist/filelistdelegate.h"
#include "filelist/filelistmodel.h"
#include "filelist/filelistsortmodel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Widths at design size, made for a font 13 pixels high.
constexpr std::array<int, kFileFieldCount> kColumnWidths{32, 200, 40, 50, 120, 32, 120, 90};
constexpr double kDesignFontHeight = 13;

// What a column usually shows, at its widest.
QStringList usualContent(int column)
{
    switch (FileField(column)) {
    case fldStatusCode:
        return {QStringLiteral("-1"), QStringLiteral("12")};
    case fldFileExt:
        return {QStringLiteral(".jpeg"), QStringLiteral(".html")};
    case fldFileSize:
        return {SizeText(1048575.0, false), SizeText(1073741823.0, false), SizeText(1024.0, false)};
    case fldDTSrc:
    case fldDTDest:
        // 28/12/2026 23:58:57: two-digit day and month, a time late in the day.
        return {dateTimeText(46384.999282, QLocale())};
    case fldStatusText:
        return {verdictText(Verdict::ToCopyBack), verdictText(Verdict::Inconsistent),
                verdictText(Verdict::ReadOnly)};
    case fldFiles:
    case fldCopyIcon:
        break;
    }
    return {};
}

} // namespace

FileListView::FileListView(FileList &list, QWidget *parent)
    : QTableView(parent), m_model(new FileListModel(list, this)),
      m_sort(new FileListSortModel(list, this))
{
    setObjectName(QStringLiteral("rvFiles"));
    m_sort->setSourceModel(m_model);
    setModel(m_sort);
    // The header asks its selection model whether each column is selected whole whenever it
    // paints, which walks every row of a large selection; its sections are never highlighted, so
    // it gets a selection of its own that stays empty.
    horizontalHeader()->setSelectionModel(new QItemSelectionModel(m_sort, this));
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
    fitColumnsToFont();
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FileListView::sortByColumn);
    connect(this, &QTableView::doubleClicked, this, &FileListView::rowDoubleClicked);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &FileListView::rowsClicked);
}

double FileListView::fontScale() const
{
    return std::max(1.0, fontMetrics().height() / kDesignFontHeight);
}

int FileListView::cellWidth(const QString &text) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
}

int FileListView::headerWidth(int column) const
{
    QHeaderView *header = horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    option.text = model()->headerData(column, Qt::Horizontal).toString();
    // Room for the sort arrow, which any column may show.
    option.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
}

void FileListView::fitColumnsToFont()
{
    const double scale = fontScale();
    for (int column = 0; column < kFileFieldCount; ++column) {
        int width = int(std::lround(kColumnWidths[std::size_t(column)] * scale));
        width = std::max(width, headerWidth(column));
        for (const QString &text : usualContent(column))
            width = std::max(width, cellWidth(text));
        setColumnWidth(column, width);
    }
}

QSize FileListView::sizeHint() const
{
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QSize(horizontalHeader()->length() + scrollBar + 2 * frameWidth(),
                 QTableView::sizeHint().height());
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

// The view moves the current row before it selects the row pressed: the click is told once
// both are done, so that a right click on a row not selected yet enables the commands of the
// pop-up menu that opens on it.
void FileListView::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    Q_EMIT rowsClicked();
}

// A drag with the button held may have selected more rows than the press did.
void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    Q_EMIT rowsClicked();
}

QModelIndex FileListView::viewIndex(int row, int column) const
{
    return m_sort->mapFromSource(m_model->index(row, column));
}

int FileListView::fileRowAt(int displayRow) const
{
    return m_sort->mapToSource(m_sort->index(displayRow, 0)).row();
}

// The display rows selected whole, as sorted ranges that neither overlap nor touch. Read from
// the selection's ranges: a million selected rows are one range, not a million indices.
std::vector<std::pair<int, int>> FileListView::selectedDisplayRanges() const
{
    std::vector<std::pair<int, int>> ranges;
    const int lastColumn = model()->columnCount() - 1;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        if (range.isValid() && range.left() == 0 && range.right() == lastColumn)
            ranges.emplace_back(range.top(), range.bottom());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto &range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

QList<int> FileListView::selectedRows() const
{
    QList<int> rows;
    for (const auto &[first, last] : selectedDisplayRanges()) {
        for (int row = first; row <= last; ++row)
            rows.append(fileRowAt(row));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int FileListView::selectedCount() const
{
    int count = 0;
    for (const auto &[first, last] : selectedDisplayRanges())
        count += last - first + 1;
    return count;
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
