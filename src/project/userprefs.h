#pragma once

#include "platform/iostatus.h"

#include <QString>

// The preferences shared by all projects. IniWritable is found at start-up and never stored;
// the seven others live in the settings file.
struct UserPrefs {
    bool IniWritable = false;
    bool FileDeleteSrc = false;
    bool FileDeleteDest = true;
    bool FileDeleteSendToTrash = true;
    bool FileSyncReadOnly = true;
    bool FileCompareCopy = false;
    bool FileSpy = false;
    bool AppShowOpenProjectAtStartup = true;
};

// Reads the seven stored flags; a missing key or a value that is not a number keeps the default.
// IniWritable is left as it is. A settings file that exists but cannot be read (no regular file,
// too large, unreadable) keeps every default: the result then says why in a few French words;
// it is empty otherwise, a missing file included.
QString readUserPrefs(const QString &iniPath, UserPrefs &prefs);

// Writes the seven stored flags, in their order, as "1" or "0".
platform::IoStatus writeUserPrefs(const QString &iniPath, const UserPrefs &prefs);
