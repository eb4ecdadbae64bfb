#pragma once

#include "platform/iostatus.h"

#include <QByteArray>

namespace platform {

// Creates the folder and every missing parent, outermost first; an existing folder needs
// nothing. Fails when a part of the path is not a folder or cannot be created.
IoStatus ForceFolder(const QByteArray &path);

} // namespace platform
