#pragma once

#include "compare/folderpath.h"
#include "compare/rowsides.h"
#include "platform/failsafecopy.h"
#include "platform/folderchangewatch.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <vector>

// Both files of each row a copy run placed, as its commit found them, kept for the
// classification at the end of the run: they serve it instead of a second reading of the two
// files, unless the folders' watch tells that one of them may have changed since. The folders
// are watched from before the commit. On the worker's thread.
class CopiedSides {
public:
    // Watches the folders of a copy's two files (full paths, and their folders held open) from
    // now on. Copies come folder by folder: a folder just watched costs a comparison.
    void watchFoldersOf(const QByteArray &source, int sourceFolderFd, const QByteArray &destination,
                        int destinationFolderFd);
    // Keeps the two files of a copy in place; rows in list order. back: copied from the
    // destination over the source.
    void copied(int index, bool back, const platform::CopyResult &result);
    // Takes in what the watch was told; often enough that none of it is lost (see
    // FolderChangeWatch::collect).
    void collect() { m_changes.collect(); }
    // Both files of every row, in list order: kept ones unless told changed, the others read
    // now. Fewer rows when stop is set meanwhile.
    std::vector<RowSides> sides(const QString &srcPath, const QString &destPath,
                                const std::vector<RowToRead> &rows, const std::atomic<bool> &stop);

private:
    // What the watch tells of the last folder asked about on one side: rows come folder by
    // folder, and most folders have no change at all.
    struct LastFolder {
        QByteArray folder;
        bool anyChange = true;
    };

    bool unchanged(RowPathBuilder &paths, const RowToRead &row, LastFolder &last) const;
    void watchFolderOf(const QByteArray &path, int folderFd, QByteArray &last);

    platform::FolderChangeWatch m_changes;
    std::vector<RowSides> m_copied; // in list order
    QByteArray m_lastSourceFolder;  // the last folder watched on each side
    QByteArray m_lastDestinationFolder;
};
