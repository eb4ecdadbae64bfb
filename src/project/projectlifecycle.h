#pragma once

#include "platform/iostatus.h"
#include "project/projectfile.h"

#include <QString>

struct TProject;

// What New, Open and Save do to the open project, without a window: the window asks the user,
// shows the outcome and refreshes the list.

// An empty new project: both folders at the root, no sub-folders, no exclusions, no file, not
// modified.
void newProject(TProject &project);

// Reads the project file at path into the open project, which then carries its name and is not
// modified. When the file cannot be opened the open project stays as it was: the result tells
// why (projectReadRefusal); a file read without some of its keys is opened all the same
// (projectIncompleteWarning).
ProjectFileRead openProject(TProject &project, const QString &path);

// Writes the open project to path; once written it carries that name and is not modified. A
// failure leaves the file, the name and the modified state as they were.
platform::IoStatus saveProject(TProject &project, const QString &path);

// The main window's caption: "Tandrimo - [name of the project file]".
QString projectCaption(const TProject &project);
