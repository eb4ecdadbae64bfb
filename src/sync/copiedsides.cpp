#include "sync/copiedsides.h"

#include "platform/paths.h"

#include <algorithm>

namespace {

// Whether path's folder is folder (as folderOfPath gives it), without making it.
bool inFolder(const QByteArray &path, const QByteArray &folder)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 && QByteArrayView(path).first(slash) == QByteArrayView(folder);
}

} // namespace

void CopiedSides::watchFoldersOf(const QByteArray &source, int sourceFolderFd,
                                 const QByteArray &destination, int destinationFolderFd)
{
    watchFolderOf(source, sourceFolderFd, m_lastSourceFolder);
    watchFolderOf(destination, destinationFolderFd, m_lastDestinationFolder);
}

void CopiedSides::watchFolderOf(const QByteArray &path, int folderFd, QByteArray &last)
{
    if (inFolder(path, last))
        return;
    last = platform::folderOfPath(path);
    if (!m_changes.watches(last))
        m_changes.watch(last, folderFd);
}

void CopiedSides::copied(int index, bool back, const platform::CopyResult &result)
{
    if (!result.placed() || !result.origin.ok() || !result.target.ok())
        return;
    if (back)
        m_copied.push_back({index, result.target, result.origin});
    else
        m_copied.push_back({index, result.origin, result.target});
}

bool CopiedSides::unchanged(RowPathBuilder &paths, const RowToRead &row, LastFolder &last) const
{
    const QByteArray &path = paths.path(row.files, row.rawFiles);
    if (!inFolder(path, last.folder)) {
        last.folder = platform::folderOfPath(path);
        last.anyChange = m_changes.anyMayHaveChanged(last.folder);
    }
    return !last.anyChange ||
           !m_changes.mayHaveChanged(last.folder, path.mid(path.lastIndexOf('/') + 1));
}

std::vector<RowSides> CopiedSides::sides(const QString &srcPath, const QString &destPath,
                                         const std::vector<RowToRead> &rows,
                                         const std::atomic<bool> &stop)
{
    m_changes.collect();
    m_changes.checkPaths();
    // The kept rows that still hold stay, in order, at the front; the others are read.
    RowPathBuilder sources(srcPath);
    RowPathBuilder destinations(destPath);
    std::vector<RowToRead> toRead;
    std::size_t kept = 0;
    LastFolder lastSource;
    LastFolder lastDestination;
    auto copied = m_copied.begin();
    for (const RowToRead &row : rows) {
        while (copied != m_copied.end() && copied->index < row.index)
            ++copied;
        if (copied != m_copied.end() && copied->index == row.index &&
            unchanged(sources, row, lastSource) && unchanged(destinations, row, lastDestination))
            m_copied[kept++] = *copied;
        else
            toRead.push_back(row);
    }
    std::vector<RowSides> sides = std::move(m_copied);
    m_copied.clear();
    sides.resize(kept);
    const std::vector<RowSides> read =
        toRead.empty() ? std::vector<RowSides>() : readRowSides(srcPath, destPath, toRead, stop);
    sides.insert(sides.end(), read.begin(), read.end());
    std::inplace_merge(sides.begin(), sides.begin() + std::ptrdiff_t(kept), sides.end(),
                       [](const RowSides &a, const RowSides &b) { return a.index < b.index; });
    return sides;
}
