#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

// What a project file holds.
struct ProjectFileContent {
    QString SrcPath;
    QString DestPath;
    bool PathRecursive = false;
    QStringList extensionsToExclude;
    QStringList filesToExclude;
};

// Reads a project file; every missing or unreadable value takes its default. Fails only when
// the file exists but cannot be read (then content holds the defaults).
platform::IoStatus readProjectFile(const QString &path, ProjectFileContent &content);

// Writes the project into the file at path. An existing file keeps its other sections and keys;
// the two exclusion sections are written anew at its end, and absent when their list is empty.
// The file is replaced at once: a failure leaves it as it was.
platform::IoStatus writeProjectFile(const QString &path, const ProjectFileContent &content);
