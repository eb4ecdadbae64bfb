#include "filelist/filelistsortmodel.h"

#include "compare/filelist.h"

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

} // namespace

int compareIgnoringAsciiCase(const QString &a, const QString &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t *pa = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *pb = reinterpret_cast<const char16_t *>(b.constData());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t ca = foldAscii(pa[i]);
        const char16_t cb = foldAscii(pb[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

FileListSortModel::FileListSortModel(const FileList &list, QObject *parent)
    : QSortFilterProxyModel(parent), m_list(list)
{
    setDynamicSortFilter(false);
}

bool FileListSortModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (left.row() >= m_list.count() || right.row() >= m_list.count())
        return left.row() < right.row();
    const FileEntry &a = m_list.row(left.row());
    const FileEntry &b = m_list.row(right.row());
    switch (FileField(left.column())) {
    case fldStatusCode:
        return a.statusCode < b.statusCode;
    case fldDTSrc:
        return a.dtSrc < b.dtSrc;
    case fldDTDest:
        return a.dtDest < b.dtDest;
    case fldFiles:
        return compareIgnoringAsciiCase(a.files, b.files) < 0;
    case fldFileExt:
        return compareIgnoringAsciiCase(a.fileExt(), b.fileExt()) < 0;
    case fldFileSize:
        return compareIgnoringAsciiCase(a.fileSize(), b.fileSize()) < 0;
    case fldStatusText:
        return compareIgnoringAsciiCase(a.statusText, b.statusText) < 0;
    case fldCopyIcon:
        break;
    }
    return false;
}
