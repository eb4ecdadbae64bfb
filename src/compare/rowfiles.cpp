#include "compare/rowfiles.h"

#include "compare/filelist.h"
#include "compare/folderpath.h"

#include <QFile>

QList<RowFile> filesOfRows(const FileList &rows, const QList<int> &selected,
                           const QString &sourceFolder, const QString &destinationFolder,
                           bool source, bool destination)
{
    QList<RowFile> files;
    RowPathBuilder sources(sourceFolder);
    RowPathBuilder destinations(destinationFolder);
    // The builders' paths begin with the folder's own bytes.
    const qsizetype sourceRoot = QFile::encodeName(sourceFolder).size();
    const qsizetype destinationRoot = QFile::encodeName(destinationFolder).size();
    for (const int index : selected) {
        if (index < 0 || index >= rows.count() || rows.row(index).message)
            continue;
        const FileEntry &row = rows.row(index);
        if (source)
            files.append({sources.path(row.files, row.rawFiles), sourceRoot});
        if (destination)
            files.append({destinations.path(row.files, row.rawFiles), destinationRoot});
    }
    return files;
}
