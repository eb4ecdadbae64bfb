#pragma once

#include "compare/foldersoflist.h"

#include <QString>

#include <optional>

class RefreshHost;

// Why a refresh does not go on past its folder checks, and how it says so: the error row it
// leaves, after the summary when summaryFirst, then a box when boxText is not empty.
struct FolderRefusal {
    QString rowText;
    QString statusText; // the row's status: "Erreur", or "Info" for the user's own "No"
    QString boxText;
    bool summaryFirst = false;
};

// The checks of a refresh's two folders, in order: the source is a reachable folder, the
// destination too (a missing one, on a disk that is there, is offered to be made), the two are
// not one folder, a whole drive as the source is confirmed, and so is a destination at the file
// system's root. The questions go to the host as they come. Nothing when the refresh may go on.
std::optional<FolderRefusal> checkFolders(const FoldersOfList &folders, RefreshHost &host);

// Each check alone, as checkFolders makes it.
std::optional<FolderRefusal> checkFolderAccessible(const QString &folder);
std::optional<FolderRefusal> checkDestinationFolder(const QString &folder, RefreshHost &host);
std::optional<FolderRefusal> checkFoldersDistinct(const FoldersOfList &folders);
std::optional<FolderRefusal> confirmDriveRoot(const FoldersOfList &folders, RefreshHost &host);
std::optional<FolderRefusal> confirmRootDestination(const QString &folder, RefreshHost &host);
