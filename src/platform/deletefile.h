#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Deletes one file without a question, a progress window or an error box: to the trash of the
// desktop (freedesktop.org) when toTrash, else for good. A folder is never deleted; a symbolic
// link is deleted itself, not its target (see moveToTrash).
IoStatus ShellDeleteFile(const QByteArray &path, bool toTrash);
IoStatus ShellDeleteFile(const QString &path, bool toTrash);

// What became of a file to delete below a project folder.
struct DeleteOutcome {
    IoStatus status;
    // The file was reached, but the trash did not take it: deleting it for good may still work.
    bool trashRefused = false;
};

// Deletes the file at relative (its exact bytes) below root, a folder the user named, without
// following a symbolic link anywhere below root (a linked folder on the way gives ELOOP and
// nothing is touched). The file itself, a link included, is what goes; a folder never does.
DeleteOutcome deleteFileBelow(const QByteArray &root, const QByteArray &relative, bool toTrash);

} // namespace platform
