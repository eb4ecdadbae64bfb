#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

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

// Whether the name begins with '.'; also true when the file cannot be examined.
bool IsHiddenFile(const QByteArray &path);
bool IsHiddenFile(const QString &path);
// Nothing is a system file here.
bool IsSystemFile(const QByteArray &path);
bool IsSystemFile(const QString &path);

// Removes the read-only attribute: sets the owner's write bit, every other bit unchanged.
IoStatus clearReadOnly(const QByteArray &path);
// The hidden attribute is the name itself and the system attribute does not exist: removing
// either changes nothing and succeeds.
IoStatus clearHidden(const QByteArray &path);
IoStatus clearSystem(const QByteArray &path);

} // namespace platform
