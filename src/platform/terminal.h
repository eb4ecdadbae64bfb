#pragma once

#include <atomic>
#include <cstdio>

namespace platform {

// Whether the stream writes to a terminal, where a line can be rewritten in place.
bool isTerminal(std::FILE *stream);
// The terminal's width in columns; 80 when it does not say.
int terminalColumns(std::FILE *stream);

// From now on the first Ctrl+C (SIGINT), SIGTERM or SIGHUP sets stop and interruptRequested(),
// and the process goes on so that the work can end at a safe point; a second one of them, the
// same or another, ends the process at once. A signal ignored when this is called (nohup) stays
// ignored.
void installInterruptHandler(std::atomic<bool> &stop);
bool interruptRequested();

} // namespace platform
