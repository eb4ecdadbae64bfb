#pragma once

#include "platform/iostatus.h"

#include <QByteArray>

#include <optional>

namespace platform {

// A file's attributes as the program reasons about them, with the values the other platform
// gives them. Here: read-only is a clear owner write bit; hidden is a name that begins with '.';
// nothing is system.
enum FileAttribute : unsigned {
    AttributeReadOnly = 1,
    AttributeHidden = 2,
    AttributeSystem = 4,
};

// The attribute set of the file (links followed); empty when it cannot be examined.
std::optional<unsigned> fileAttributes(const QByteArray &path);

// Removes the read-only attribute: sets the owner's write bit, every other bit unchanged.
IoStatus clearReadOnly(const QByteArray &path);
// The hidden attribute is the name itself and the system attribute does not exist: removing
// either changes nothing and succeeds.
IoStatus clearHidden(const QByteArray &path);
IoStatus clearSystem(const QByteArray &path);

} // namespace platform
