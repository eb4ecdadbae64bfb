#pragma once

#include "platform/inifile.h"
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

// A project file is small: anything larger, or with a longer line, is no project.
inline constexpr platform::IniLimits kProjectFileLimits{16 * 1024 * 1024, 64 * 1024};

// How reading a project file went.
struct ProjectFileRead {
    platform::IniFile::LoadOutcome outcome = platform::IniFile::LoadOutcome::Read;
    // The system's reason when the file could not be read.
    platform::IoStatus status;
    // The folder keys the file lacks, as "Directories/SrcRelPath".
    QStringList missingKeys;

    bool ok() const { return outcome == platform::IniFile::LoadOutcome::Read; }
    // No file of that name; a folder is none either.
    bool noFile() const
    {
        return outcome == platform::IniFile::LoadOutcome::Missing ||
               outcome == platform::IniFile::LoadOutcome::Folder;
    }
};

// Reads a project file. A missing folder key leaves its folder empty, a missing PathRecursive
// reads as false; missing lists are empty. Fails when the file is missing, is no regular file,
// exceeds kProjectFileLimits or cannot be read (then content holds what a missing key gives).
ProjectFileRead readProjectFile(const QString &path, ProjectFileContent &content);

// Why the file at path was not opened, in French, for a message box; empty when it was read.
QString projectReadRefusal(const QString &path, const ProjectFileRead &read);
// The warning for a file read without some of its folder keys; empty when none is missing.
QString projectIncompleteWarning(const QString &path, const ProjectFileRead &read);

// Writes the project into the file at path. An existing file keeps its other sections and keys;
// the two exclusion sections are written anew at its end, and absent when their list is empty.
// Each entry is a key; one that the INI rules would change as a key ('=', a control character,
// spaces at either end, a leading '[', ';' or '%', bytes of a name that are not valid UTF-8) is
// written as '%' and its percent-encoded bytes, and read back decoded.
// The file is replaced at once: a failure leaves it as it was.
platform::IoStatus writeProjectFile(const QString &path, const ProjectFileContent &content);
