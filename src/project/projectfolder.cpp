#include "project/projectfolder.h"

QString projectFolderPath(const QString &folderText, const QString &projectFileName)
{
    if (folderText.isEmpty() || folderText.startsWith(u'/'))
        return folderText;
    const qsizetype slash = projectFileName.lastIndexOf(u'/');
    if (slash < 0)
        return folderText; // no file, or one named relative to the current folder
    // The project file's folder with its '/' ("/" for a file at the root).
    return projectFileName.left(slash + 1) + folderText;
}
