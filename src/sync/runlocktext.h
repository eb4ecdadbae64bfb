#pragma once

#include "platform/iostatus.h"

#include <QString>

// What both front ends tell the user about the destination's run lock (platform::RunLock),
// naming the destination as the project names it.

// The refusal of a run whose destination another run (window or command line) holds.
QString runLockRefusal(const QString &destination);

// The warning when the lock could not be taken for another reason: the run goes on unguarded.
QString runLockWarning(const QString &destination, const platform::IoStatus &status);
