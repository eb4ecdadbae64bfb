#pragma once

#include <QString>

namespace platform {

// The desktop's nearest tools for what the program leaves to the system.
enum class DesktopTool { NetworkConnect, NetworkDisconnect, FileSearch, FormatDisk };

// Starts the first installed program of the tool's candidates, detached, with a fixed argument
// list and no shell. False when none is installed or it did not start: the caller says nothing.
bool startDesktopTool(DesktopTool tool);

// The readme "A_Lire.txt": beside the executable, else where the installation put it; empty
// when there is none.
QString readmeFile();

} // namespace platform
