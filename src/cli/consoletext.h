#pragma once

#include <QString>

// A text from outside the program (a file's name, a path) as the console shows it, so that no
// name writes a line of its own, moves the cursor or clears the screen, on a terminal or in a
// log: "\n", "\r" and "\t" for those characters, "\xNN" for the other controls and for a byte
// that is not UTF-8 (kept as losslessText keeps it), "\uNNNN" for the C1 controls and the line
// and paragraph separators, and "\\" for a backslash itself, so that the escape is unambiguous.
QString consoleText(const QString &text);
