#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QDateTime>

namespace platform {

// The record of a file in the desktop's trash (freedesktop.org): its [Trash Info] group with
// Path= and DeletionDate=. Path is the original path's exact bytes, URL-escaped: every byte
// but letters, digits, "-._~" and '/' is written as %XX, so that a name holding '%', a line
// break or bytes that are not UTF-8 is restored under that name and no other. deletedAt is
// written in local time, to the second.
QByteArray trashInfoRecord(const QByteArray &path, const QDateTime &deletedAt);

// Moves the file at path (its exact bytes; a symbolic link itself, never its target) into the
// trash of the desktop: the home trash ($XDG_DATA_HOME/Trash) when the file lies on the home
// trash's volume, else the trash at the top of the file's own volume (.Trash/<uid>, or
// .Trash-<uid>). Folders the trash lacks are made with mode 0700. The record is written first,
// under a name that no other record holds, then the file is renamed beside it; on any failure
// the file stays where it was and no record is left.
IoStatus moveToTrash(const QByteArray &path);

} // namespace platform
