#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Deletes one file without a question, a progress window or an error box: to the trash of the
// desktop (freedesktop.org) when toTrash, else for good. A folder is never deleted; a symbolic
// link is deleted itself, not its target.
IoStatus ShellDeleteFile(const QByteArray &path, bool toTrash);
IoStatus ShellDeleteFile(const QString &path, bool toTrash);

} // namespace platform
