#include "filelist/filelistmodel.h"

#include "compare/filelist.h"
#include "compare/statuscode.h"
#include "filelist/datetimetext.h"
#include "filelist/resources.h"
#include "filelist/statusstyle.h"

#include <algorithm>

FileListModel::FileListModel(FileList &list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list), m_rowCount(list.count())
{
    ensureResources();
    connect(&list, &FileList::reset, this, &FileListModel::listReset);
    connect(&list, &FileList::rowChanged, this, &FileListModel::rowChanged);
    connect(&list, &FileList::rowsChanged, this, &FileListModel::rowsChanged);
}

void FileListModel::listReset()
{
    m_locale = QLocale();
    if (m_list.count() == m_rowCount) {
        if (m_rowCount > 0)
            Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, kFileFieldCount - 1));
        return;
    }
    beginResetModel();
    m_rowCount = m_list.count();
    endResetModel();
}

void FileListModel::rowChanged(int row)
{
    if (row >= 0 && row < m_rowCount)
        Q_EMIT dataChanged(index(row, 0), index(row, kFileFieldCount - 1));
}

void FileListModel::rowsChanged(int first, int last)
{
    last = std::min(last, m_rowCount - 1);
    if (first >= 0 && first <= last)
        Q_EMIT dataChanged(index(first, 0), index(last, kFileFieldCount - 1));
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kFileFieldCount;
}

QVariant FileListModel::display(int row, int column) const
{
    const FileEntry &entry = m_list.row(row);
    switch (FileField(column)) {
    case fldStatusCode:
        return QString::number(entry.statusCode);
    case fldDTSrc:
        return dateTimeText(entry.dtSrc, m_locale);
    case fldDTDest:
        return dateTimeText(entry.dtDest, m_locale);
    case fldFiles:
    case fldFileExt:
    case fldFileSize:
    case fldCopyIcon:
    case fldStatusText:
        return entry.field(column);
    }
    return QVariant();
}

QIcon FileListModel::directionIcon(std::int32_t code) const
{
    const int slot = code == StatusToCopy ? 0 : code == StatusToCopyBack ? 1 : 2;
    if (m_icons[std::size_t(slot)].isNull())
        m_icons[std::size_t(slot)] = QIcon(directionIconPath(code));
    return m_icons[std::size_t(slot)];
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        index.row() >= m_list.count())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    const FileEntry &entry = m_list.row(row);
    switch (role) {
    case Qt::DisplayRole:
        return display(row, column);
    case Qt::ForegroundRole:
        if (column == fldStatusCode)
            return QVariant();
        return statusTextColour(entry.statusCode);
    case Qt::DecorationRole:
        if (column != fldCopyIcon || directionIconPath(entry.statusCode).isEmpty())
            return QVariant();
        return directionIcon(entry.statusCode);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole: {
        const QString detail = m_list.statusDetail(row);
        return detail.isEmpty() ? QVariant() : QVariant(detail);
    }
    default:
        return QVariant();
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (FileField(section)) {
    case fldFiles:
        return QStringLiteral("Fichiers");
    case fldFileExt:
        return QStringLiteral("Ext.");
    case fldFileSize:
        return QStringLiteral("Taille");
    case fldDTSrc:
        return QStringLiteral("Source");
    case fldDTDest:
        return QStringLiteral("Destination");
    case fldStatusText:
        return QStringLiteral("Statut");
    case fldStatusCode:
    case fldCopyIcon:
        break;
    }
    return QString();
}
