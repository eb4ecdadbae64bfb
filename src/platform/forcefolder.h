#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QList>

namespace platform {

// Creates the folder and every missing parent, outermost first; an existing folder needs
// nothing. Fails when a part of the path is not a folder or cannot be created. made, when given,
// receives each folder the call created, outermost first.
IoStatus ForceFolder(const QByteArray &path, QList<QByteArray> *made = nullptr);

} // namespace platform
