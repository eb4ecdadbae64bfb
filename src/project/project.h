#pragma once

#include "project/exclusionlist.h"
#include "project/projectfolder.h"

#include <QString>

// The folder a new project starts with: the root of the file system.
inline const QString kDefaultProjectFolder = QStringLiteral("/");

// The open project. Exactly one is open at any time; the main window owns it.
struct TProject {
    bool Modified = false;
    QString FileName;
    bool PathRecursive = false;
    QString SrcPath = kDefaultProjectFolder;
    QString DestPath = kDefaultProjectFolder;
    ExclusionList ExtensionsToExclude{ExclusionList::Kind::Extensions};
    ExclusionList FilesToExclude{ExclusionList::Kind::Files};

    // The folders the listing, the classification, the copy run and the commands use: SrcPath
    // and DestPath, which stay as written, a relative one taken relative to the folder of the
    // project's file (projectFolderPath).
    QString sourceFolder() const { return projectFolderPath(SrcPath, FileName); }
    QString destinationFolder() const { return projectFolderPath(DestPath, FileName); }

    // An extension with its dot, as the classification takes it from a row.
    bool IsExtExcluded(const QString &extension) const
    {
        return ExtensionsToExclude.contains(extension);
    }
    // A whole relative path, as the file list shows it.
    bool IsFileExcluded(const QString &relativePath) const
    {
        return FilesToExclude.contains(relativePath);
    }
    // A row's file, by the entry that excluding it adds (ExclusionList::fileEntryOfRow).
    bool IsFileExcluded(const QString &files, const QByteArray &rawFiles) const
    {
        return FilesToExclude.contains(ExclusionList::fileEntryOfRow(files, rawFiles));
    }
};
