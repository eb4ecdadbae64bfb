#include "compare/rowedits.h"

#include "compare/filelist.h"
#include "compare/folderpath.h"
#include "compare/statuscode.h"
#include "compare/verdicttext.h"
#include "platform/nofollowpath.h"
#include "platform/paths.h"
#include "project/exclusionlist.h"

#include <QFile>

#include <algorithm>

namespace {

bool editable(const FileList &list, int row)
{
    return row >= 0 && row < list.count() && !list.row(row).message && list.row(row).classified;
}

// Writes the row's verdict and moves the count by what that changed.
void setVerdict(FileList &list, int row, std::int32_t code, const QString &text, int &count)
{
    const bool before = countsForCopy(list.row(row));
    list.setStatus(row, code, text);
    count += int(countsForCopy(list.row(row))) - int(before);
    count = std::max(count, 0);
}

} // namespace

bool countsForCopy(const FileEntry &row)
{
    return row.statusCode == StatusToCopyBack ||
           (row.statusCode == StatusToCopy && row.statusText != verdictText(Verdict::ReadOnly));
}

void addToCopy(FileList &list, const QList<int> &rows, int &filesToCopyCount)
{
    FileListUpdate update(list);
    for (const int row : rows) {
        if (editable(list, row))
            setVerdict(list, row, StatusToCopy, verdictText(Verdict::ToCopy), filesToCopyCount);
    }
}

void removeFromCopy(FileList &list, const QList<int> &rows, int &filesToCopyCount)
{
    FileListUpdate update(list);
    for (const int row : rows) {
        if (editable(list, row))
            setVerdict(list, row, StatusExcludedByUser, verdictText(Verdict::Excluded),
                       filesToCopyCount);
    }
}

void reverseDirection(FileList &list, const QList<int> &rows, int &filesToCopyCount)
{
    FileListUpdate update(list);
    for (const int row : rows) {
        if (!editable(list, row))
            continue;
        switch (list.row(row).statusCode) {
        case StatusToCopy:
        case StatusInconsistent:
            setVerdict(list, row, StatusToCopyBack, verdictText(Verdict::ToCopyBack),
                       filesToCopyCount);
            break;
        case StatusToCopyBack:
            setVerdict(list, row, StatusToCopy, verdictText(Verdict::ToCopy), filesToCopyCount);
            break;
        default:
            break;
        }
    }
}

int clearReadOnlyOfDestinations(const FileList &list, const QList<int> &rows,
                                const QString &destPath)
{
    const QByteArray root = QFile::encodeName(destPath);
    int changed = 0;
    for (const int row : rows) {
        if (row < 0 || row >= list.count() || list.row(row).message)
            continue;
        const FileEntry &entry = list.row(row);
        const platform::NoFollowPath path(root, relativePathBytes(entry.files, entry.rawFiles));
        if (path.isReadOnlyFile() && path.clearReadOnly().ok())
            ++changed;
    }
    return changed;
}

namespace {

template <typename EntryOf>
int excludeOfRows(ExclusionList &exclusions, const FileList &list, const QList<int> &rows,
                  bool &modified, EntryOf entryOf)
{
    int given = 0;
    for (const int row : rows) {
        if (row < 0 || row >= list.count() || list.row(row).message)
            continue;
        const QString entry = entryOf(list.row(row));
        if (entry.isEmpty())
            continue;
        ++given;
        modified = exclusions.add(entry) || modified;
    }
    return given;
}

} // namespace

int excludeExtensionsOfRows(ExclusionList &extensions, const FileList &list, const QList<int> &rows,
                            bool &modified)
{
    return excludeOfRows(extensions, list, rows, modified,
                         [](const FileEntry &row) { return extensionOf(row.files); });
}

int excludeFilesOfRows(ExclusionList &files, const FileList &list, const QList<int> &rows,
                       bool &modified)
{
    return excludeOfRows(files, list, rows, modified, [](const FileEntry &row) {
        return ExclusionList::fileEntryOfRow(row.files, row.rawFiles);
    });
}

QByteArray documentToOpen(const FileList &list, int row, const QString &srcPath)
{
    if (row < 0 || row >= list.count() || list.row(row).message)
        return QByteArray();
    const FileEntry &entry = list.row(row);
    RowPathBuilder paths(srcPath);
    const QByteArray path = paths.path(entry.files, entry.rawFiles);
    if (platform::mayRunAsProgram(path))
        return path.left(path.lastIndexOf('/') + 1);
    return path;
}
