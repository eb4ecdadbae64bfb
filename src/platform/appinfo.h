#pragma once

#include <QString>

namespace platform {

// The folder of the running executable, ending with '/'.
QString executableFolder();
// The full path of the running executable.
QString executablePath();

// Whether the program may write into that folder: true for a build folder, false for an
// installed program's (/usr/bin) run by a user.
bool folderWritable(const QString &folder);

// The settings file that the window and the command line share: TANDRIMO_INI when set; else
// "tandrimo.ini" beside the executable when its folder is writable; else
// $XDG_CONFIG_HOME/tandrimo/tandrimo.ini (~/.config when the variable is unset).
QString settingsFilePath(const QString &programFolder = executableFolder());
// Makes the folder of the settings file when it is the user's configuration folder, before the
// first write; any other folder is left as it is.
void prepareSettingsFolder(const QString &settingsFile);

// Where the file dialogs open: the executable's folder when writable, else the user's
// documents folder.
QString userFilesFolder(const QString &programFolder = executableFolder());

// The version information compiled into the program.
QString fileVersion();
QString rightsHolder();
QString comments();

} // namespace platform
