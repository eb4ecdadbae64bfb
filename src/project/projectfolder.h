#pragma once

#include <QString>

// The folder that a project's folder text names. An absolute text is that folder; a relative one
// is taken relative to the folder of the project's file (projectFileName), joined with one '/'
// and nothing else: ".." and links are left to the file system, as for any path the user gives.
// A relative text of a project without a file stays as written; an empty text stays empty.
QString projectFolderPath(const QString &folderText, const QString &projectFileName);
