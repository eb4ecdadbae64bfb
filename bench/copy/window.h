#pragma once

#include <QString>

// One copy run through the real main window, headless, of every file of src into the empty
// dest: every row's texts, the current row, the panels and the progress bar reach the window as
// they do for a user. Prints the milliseconds from the command to the end of the run's closing
// work on the window, then the rows copied.
int measureWindowCopy(int argc, char *argv[], const QString &src, const QString &dest);
