#pragma once

#include <QString>

namespace platform {

// The folder of the running executable, ending with '/'.
QString executableFolder();
// The full path of the running executable.
QString executablePath();

// The version information compiled into the program.
QString fileVersion();
QString rightsHolder();
QString comments();

} // namespace platform
